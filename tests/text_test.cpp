#include "support/text/text.h"

#include <gtest/gtest.h>

#include "tests/text_printing.h"

#include <string>
#include <vector>

namespace zendalo {
namespace {

using namespace std::string_literals;

// A Text from raw bytes, for cases that are easier to read as bytes.
Text Bytes(std::initializer_list<unsigned char> bytes) {
    return Text(std::string(bytes.begin(), bytes.end()));
}

TEST(Literals, AreCodePage936Bytes) {
    EXPECT_EQ("来自："s, "\xC0\xB4\xD7\xD4\xA3\xBA"s);
    EXPECT_EQ("#引号"s, "\x23\xD2\xFD\xBA\xC5"s);
    EXPECT_EQ("外网IP"s, "\xCD\xE2\xCD\xF8IP"s);
}

TEST(TextValue, NoValueAndEmptyAreTheSame) {
    EXPECT_EQ(Text(), Text(""));
    EXPECT_EQ(Text(static_cast<const char*>(nullptr)), Text());
    EXPECT_EQ(TextLength(Text()), 0);
}

TEST(TextValue, EndsBeforeTheFirstZeroByte) {
    EXPECT_EQ(Text("ab\0c"s), Text("ab"));
    EXPECT_EQ(Text("\0a"s), Text());
}

TEST(TextValue, CopiesAreIndependent) {
    Text original = "abc";
    Text copy = original;
    original = TextLeft(original, 1);
    EXPECT_EQ(copy, Text("abc"));
    EXPECT_EQ(original, Text("a"));
}

TEST(TextLength, CountsBytes) {
    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength("来自："), 6);
    EXPECT_EQ(TextLength("a\xB0"), 2);
}

struct CutCase {
    const char* text;
    std::int32_t count;
    std::string left;
    std::string right;
};

TEST(TextLeftRight, ClampCounts) {
    const CutCase cases[] = {
        {"abc", 5, "abc", "abc"},
        {"abc", 3, "abc", "abc"},
        {"abc", 2, "ab", "bc"},
        {"abc", 9, "abc", "abc"},
        {"abc", 0, "", ""},
        {"abc", -1, "", ""},
        {"abc", INT32_MIN, "", ""},
        {"abc", INT32_MAX, "abc", "abc"},
        {"", 3, "", ""},
        {"来自", 1, "\xC0", "\xD4"},  // plain bytes: half a character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.count));
        EXPECT_EQ(TextLeft(c.text, c.count).View(), c.left);
        EXPECT_EQ(TextRight(c.text, c.count).View(), c.right);
    }
}

struct FindCase {
    Text text;
    Text sought;
    std::int32_t start;
    bool ignoreCase;
    std::int32_t expected;
};

TEST(FindText, PositionsClampingAndCase) {
    const FindCase cases[] = {
        {"abcabc", "c", 1, false, 3},
        {"abcabc", "c", 4, false, 6},  // position in the whole text, not the region
        {"abc", "b", 1, false, 2},
        {"abc", "b", 0, false, 2},
        {"abc", "b", -5, false, 2},
        {"abc", "b", INT32_MIN, false, 2},
        {"abc", "b", 10, false, -1},
        {"abc", "b", INT32_MAX, false, -1},
        {"abc", "", 1, false, 1},
        {"abc", "", 2, false, 1},  // 1, not the start position
        {"abc", "", 4, false, -1},
        {"", "", 1, false, -1},
        {"", "a", 1, false, -1},
        {"abc", "abcd", 1, false, -1},
        {"abc", "bc", 3, false, -1},  // region shorter than the sought text
        {"abc", "abc", 1, false, 1},
        {"ABC", "b", 1, true, 2},
        {"ABC", "b", 1, false, -1},
        {"abc", "B", 1, true, 2},
        {"</C", "</c", 1, true, 1},
        {"</C", "</c", 1, false, -1},
        {"[", "{", 1, true, -1},  // only A-Z fold: '[' and '{' differ by 0x20 too
        {"@", "`", 1, true, -1},
        {"\xC1", "\xE1", 1, true, -1},  // no folding above ASCII
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("find '" + std::string(c.sought.View()) + "' in '" + std::string(c.text.View()) +
                     "' from " + std::to_string(c.start) + (c.ignoreCase ? " ignoring case" : ""));
        EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected);
    }
}

TEST(FindText, LeftOutStartPositionAndFlagSearchExactlyFromTheFirstByte) {
    EXPECT_EQ(FindText("abcB", "B"), 4);
}

TEST(FindText, StepsOverTwoByteCharactersWhole) {
    const FindCase cases[] = {
        {Bytes({0xB0, 0x5B, 0x5B}), "[", 1, false, 3},       // the first 0x5B is a second byte
        {Bytes({0xB0, 0x5B, 0x31, 0x5D}), "[", 1, false, -1},
        {Bytes({0xB0, 0x5B, 0x5B}), "[", 2, false, 2},        // boundaries count from the start offset
        {Bytes({0xB0, 0xB0, 0x5B}), "[", 1, false, 3},
        {Bytes({0xB0, 0xB0, 0xB0, 0x5B}), "[", 1, false, -1},
        {Bytes({0x81, 0x41}), Bytes({0x81, 0x61}), 1, true, 1},  // second bytes fold like ASCII letters
        {Bytes({0x81, 0x41}), Bytes({0x81, 0x61}), 1, false, -1},
        {Text("[1.2.3.4]来自：X省</c"), "来自：", 1, false, 10},
        {Text("来自:"), "来自：", 1, false, -1},                  // ASCII colon is not the full-width one
        {Bytes({'a', 0xB0}), Bytes({0xB0}), 1, false, 2},       // a lone lead byte at the end
        {Bytes({'a', 0xB0}), "x", 1, false, -1},
        {Bytes({0xB0}), Bytes({0xB0, 0x41}), 1, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text.View())) + " from " + std::to_string(c.start));
        EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected);
    }
}

struct ReplaceCase {
    Text text;
    Text subtext;
    Text replacement;
    std::int32_t start;
    std::int32_t count;
    bool caseSensitive;
    Text expected;
};

TEST(ReplaceSubtext, LimitsStartAndCase) {
    const ReplaceCase cases[] = {
        {"aaaa", "a", "b", 1, kNoLimit, true, "bbbb"},
        {"aaaa", "a", "b", 1, 1, true, "baaa"},
        {"aaaa", "a", "b", 3, kNoLimit, true, "aabb"},
        {"aaaa", "a", "b", 1, 0, true, "aaaa"},
        {"aaaa", "a", "b", 1, -7, true, "bbbb"},  // any negative count is no limit
        {"aaaa", "a", "b", 0, 2, true, "bbaa"},
        {"aaaa", "aa", "b", 1, kNoLimit, true, "bb"},
        {"aaa", "aa", "b", 1, kNoLimit, true, "ba"},
        {"a-b-c", "-", "", 1, kNoLimit, true, "abc"},
        {"a-b-c", "-", "--", 1, kNoLimit, true, "a--b--c"},
        {"aAa", "a", "x", 1, kNoLimit, false, "xxx"},
        {"aAa", "a", "x", 1, kNoLimit, true, "xAx"},
        {"a#引号b#引号", "#引号", "\"", 1, kNoLimit, true, "a\"b\""},
        {"", "a", "b", 1, kNoLimit, true, ""},
        {"abc", "", "x", 1, kNoLimit, true, "abc"},
        {"abc", "a", "x", 4, kNoLimit, true, "abc"},
        {"abc", "a", "x", INT32_MAX, kNoLimit, true, "abc"},
        {"abc", "abcd", "x", 1, kNoLimit, true, "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("replace '" + std::string(c.subtext.View()) + "' in '" + std::string(c.text.View()) + "'");
        EXPECT_EQ(ReplaceSubtext(c.text, c.subtext, c.replacement, c.start, c.count, c.caseSensitive), c.expected);
    }
}

TEST(ReplaceSubtext, LeftOutArgumentsDeleteEveryOccurrence) {
    EXPECT_EQ(ReplaceSubtext("a-b-c", "-"), Text("abc"));
}

TEST(ReplaceSubtext, StepsOverTwoByteCharactersWhole) {
    const ReplaceCase cases[] = {
        {Bytes({0xB0, 0x5B, 0x5B}), "[", "(", 1, kNoLimit, true, Bytes({0xB0, 0x5B, 0x28})},
        {Bytes({0xB0, 0x5B, 0x5B}), "[", "(", 2, kNoLimit, true, Bytes({0xB0, 0x28, 0x28})},
        {Bytes({0xB0, 0x5B, 0x5B, 0x5B}), "[[", "(", 1, kNoLimit, true, Bytes({0xB0, 0x5B, 0x28})},
        {Bytes({0x81, 0x41, 0x81, 0x61}), Bytes({0x81, 0x61}), "x", 1, kNoLimit, false, "xx"},
        // A lone lead byte at the end is kept as it is, never read past.
        {Bytes({'a', 0xB0}), "a", "x", 1, kNoLimit, true, Bytes({'x', 0xB0})},
        {Bytes({'a', 0xB0}), "z", "x", 1, kNoLimit, true, Bytes({'a', 0xB0})},
        {Bytes({'a', 0xB0}), Bytes({0xB0}), "x", 1, kNoLimit, true, "ax"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text.View())));
        EXPECT_EQ(ReplaceSubtext(c.text, c.subtext, c.replacement, c.start, c.count, c.caseSensitive), c.expected);
    }
}

TEST(BytesToText, StopsAtTheFirstZeroByte) {
    const std::pair<std::vector<unsigned char>, std::string> cases[] = {
        {{0x61, 0x62, 0x00, 0x63}, "ab"},
        {{0x00, 0x61}, ""},
        {{}, ""},
        {{0x61, 0x62, 0x63}, "abc"},
        {{0xC0, 0xB4, 0xFF, 0x80}, "\xC0\xB4\xFF\x80"},  // no conversion of any kind
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(BytesToText(ByteSet(bytes)).View(), expected);
    }
    EXPECT_EQ(BytesToText(ByteSet()), Text());
}

TEST(ByteSet, KeepsZeroBytes) {
    const ByteSet bytes("a\0b"s);
    EXPECT_EQ(bytes.Size(), 3u);
    EXPECT_EQ(bytes.Data()[1], 0);
}

}  // namespace
}  // namespace zendalo
