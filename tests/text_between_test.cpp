#include "lookup/text_between.h"

#include <gtest/gtest.h>

#include "tests/text_printing.h"

#include <optional>
#include <string>

namespace zendalo {
namespace {

using namespace std::string_literals;

struct CutCase {
    Text fullText;
    Text leftMarker;
    Text rightMarker;
    std::optional<std::int32_t> startPosition;  // left out when empty
    Text expected;
};

// Leaves out the optional arguments where the case leaves them out.
Text Cut(const CutCase& c, std::optional<bool> caseSensitive = {}) {
    Text left = c.leftMarker;
    Text right = c.rightMarker;
    if (caseSensitive) return TextBetween(c.fullText, left, right, c.startPosition.value_or(0), *caseSensitive);
    if (c.startPosition) return TextBetween(c.fullText, left, right, *c.startPosition);
    return TextBetween(c.fullText, left, right);
}

TEST(TextBetween, WorkedExamples) {
    const CutCase cases[] = {
        {"a[b]c", "[", "]", {}, "b"},
        {"[1][2]", "[", "]", {}, "1"},
        {"[a[b]", "[", "]", {}, "a[b"},
        {"[]", "[", "]", {}, ""},
        {"x[", "[", "]", {}, ""},
        {"a]b[c", "[", "]", {}, ""},
        {"ab", "[", "]", {}, ""},
        {"xy[]ab]", "[", "]", 3, "]ab"},
        {"xy[]ab]", "[", "]", 1, ""},
        {"[1.2.3.4]来自：X省</c", "来自：", "</c", {}, "X省"},
        {"[1.2.3.4]来自：X省</c", "[", "]", {}, "1.2.3.4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fullText.View()));
        EXPECT_EQ(Cut(c), c.expected);
    }
}

TEST(TextBetween, EdgesOfMarkersAndPositions) {
    const CutCase cases[] = {
        {"", "[", "]", {}, ""},
        {"", "", "", {}, ""},
        {"ab]c", "", "]", {}, "ab"},      // an empty left marker is found at 1
        {"ab]c", "", "]", 2, "ab"},       // ... at 1, whatever the start position
        {"a[b]c", "[", "", {}, ""},       // an empty right marker leaves nothing before it
        {"a[b]c", "[", "]", 0, "b"},
        {"a[b]c", "[", "]", 1, "b"},
        {"a[b]c", "[", "]", -3, "b"},
        {"a[b]c", "[", "]", 6, ""},       // beyond the end
        {"a[b]c", "[", "]", INT32_MAX, ""},
        {"a[b]c[xyz]", "[", "]", 3, "xyz"},  // both searches start at byte 3
        {"a[b]c[d]", "[", "]", 3, ""},       // ... the right one at byte 3 of the rest "d]"
        {"a[ 1 ]c", "[", "]", {}, " 1 "}, // nothing is trimmed
        {"a[b]", "[", "]", {}, "b"},      // the right marker ends the text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fullText.View()) + " from " + std::to_string(c.startPosition.value_or(0)));
        EXPECT_EQ(Cut(c), c.expected);
    }
}

TEST(TextBetween, CaseFlag) {
    const CutCase upperC = {"来自：X省</C", "来自：", "</c", {}, "X省"};
    EXPECT_EQ(Cut(upperC), Text("X省"));
    EXPECT_EQ(Cut(upperC, /*caseSensitive=*/false), Text("X省"));
    EXPECT_EQ(Cut(upperC, /*caseSensitive=*/true), Text());
    const CutCase lowerC = {"来自：X省</c", "来自：", "</c", 0, "X省"};
    EXPECT_EQ(Cut(lowerC, /*caseSensitive=*/true), Text("X省"));
}

TEST(TextBetween, MarkersAreNeverFoundInsideTwoByteCharacters) {
    const std::string trap = "\xB0\x5B\x31\x5D";  // a character whose second byte is '['
    const CutCase cases[] = {
        {Text(trap), "[", "]", {}, ""},
        {Text(trap + "[2]"), "[", "]", {}, "2"},
        {Text("[\xB0]1]"), "[", "]", {}, "\xB0]1"},  // the ']' after 0xB0 is its second byte
        {Text("[1\xB0"), "[", "]", {}, ""},           // a lone lead byte at the end
        {Text("来自\xA3"), "来自：", "</c", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.fullText.View())));
        EXPECT_EQ(Cut(c), c.expected);
    }
}

TEST(TextBetween, QuotePlaceholderIsRewrittenInTheCallersMarkers) {
    Text left = "name=#引号";
    Text right = "#引号";
    EXPECT_EQ(TextBetween("name=\"abc\"", left, right), Text("abc"));
    EXPECT_EQ(left, Text("name=\""));
    EXPECT_EQ(right, Text("\""));

    Text twice = "a#引号#引号";
    Text plain = "]";
    const Text fullText = "a#引号#引号]";
    EXPECT_EQ(TextBetween(fullText, twice, plain), Text());
    EXPECT_EQ(twice, Text("a\"\""));
    EXPECT_EQ(plain, Text("]"));
    EXPECT_EQ(fullText, Text("a#引号#引号]"));  // never rewritten
}

TEST(TextBetween, MarkersWithoutPlaceholderComeBackUnchanged) {
    Text left = "来自：";
    Text right = "</c";
    TextBetween("来自：x</c", left, right);
    EXPECT_EQ(left, Text("\xC0\xB4\xD7\xD4\xA3\xBA"));
    EXPECT_EQ(right, Text("</c"));
}

}  // namespace
}  // namespace zendalo
