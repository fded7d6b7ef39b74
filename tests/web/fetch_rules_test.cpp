// The parts of the fetch that need no WinInet: piece sizes, object names, the bounded body.
#include "support/web/fetch_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "tests/text_printing.h"

namespace zendalo {
namespace {

struct PieceCase {
    std::optional<std::string_view> declared;
    std::uint32_t piece;
};

void PrintTo(const PieceCase& c, std::ostream* out) {
    *out << (c.declared ? ::testing::PrintToString(std::string(*c.declared)) : "no length") << " -> " << c.piece;
}

class ReadPieceSizeTest : public ::testing::TestWithParam<PieceCase> {};

TEST_P(ReadPieceSizeTest, FollowsTheDeclaredLength) {
    EXPECT_EQ(ReadPieceSize(GetParam().declared), GetParam().piece)
        << "declared: " << GetParam().declared.value_or("(none)");
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ReadPieceSizeTest,
    ::testing::Values(
        PieceCase{std::nullopt, 10240}, PieceCase{"", 10240}, PieceCase{"abc", 10240}, PieceCase{"0", 10240},
        PieceCase{"-0", 10240}, PieceCase{"-300", 10240}, PieceCase{"-99999999999999999999", 10240},
        PieceCase{"1", 2}, PieceCase{"300", 301}, PieceCase{"+300", 301}, PieceCase{" \t300", 301},
        PieceCase{"300abc", 301}, PieceCase{"300 400", 301}, PieceCase{"- 300", 10240}, PieceCase{"0300", 301},
        PieceCase{"102398", 102399}, PieceCase{"102399", 102400}, PieceCase{"102400", 102400},
        PieceCase{"500000", 102400}, PieceCase{"4294967295", 102400}, PieceCase{"4294967296", 102400},
        PieceCase{"9223372036854775808", 102400},
        PieceCase{"123456789012345678901234567890", 102400},  // 30 digits: large, not an overflow
        PieceCase{"00000000000000000000000000300", 301}));

TEST(ObjectNameTest, CutsBeforeTheFirstHash) {
    EXPECT_EQ(ObjectName("/ic.asp"), "/ic.asp");
    EXPECT_EQ(ObjectName("/ic.asp#part"), "/ic.asp");
    EXPECT_EQ(ObjectName("/ic.asp?a=1#x#y"), "/ic.asp?a=1");
    EXPECT_EQ(ObjectName("#only"), "");
    EXPECT_EQ(ObjectName(""), "");
}

ByteSet BytesOf(std::string_view text) { return ByteSet(text); }

const unsigned char* Raw(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

TEST(BodyCollectorTest, KeepsEveryPieceInOrderZeroBytesIncluded) {
    BodyCollector body;
    const std::string first("ab\0c", 4);
    EXPECT_TRUE(body.Append(Raw(first), first.size()));
    EXPECT_TRUE(body.Append(Raw("de"), 2));
    EXPECT_EQ(body.Take(), BytesOf(std::string("ab\0cde", 6)));
    EXPECT_EQ(body.Size(), 0u) << "Take leaves the collector empty";
}

TEST(BodyCollectorTest, StopsAtTheBoundKeepingWhatFits) {
    BodyCollector body(10);
    EXPECT_TRUE(body.Append(Raw("0123456"), 7));
    EXPECT_FALSE(body.Append(Raw("789ABC"), 6)) << "the piece passes the bound";
    EXPECT_EQ(body.Take(), BytesOf("0123456789"));
}

TEST(BodyCollectorTest, StopsWhenAPieceFillsItExactly) {
    BodyCollector body(4);
    EXPECT_FALSE(body.Append(Raw("abcd"), 4));
    EXPECT_FALSE(body.Append(Raw("e"), 1)) << "nothing more fits";
    EXPECT_EQ(body.Take(), BytesOf("abcd"));
}

TEST(BodyCollectorTest, TheDefaultBoundIsSixteenMebibytes) {
    EXPECT_EQ(kMaxBodySize, 16u * 1024 * 1024);
    BodyCollector body;
    const std::string piece(kLargeReadPiece, 'x');
    std::size_t appended = 0;
    while (body.Append(Raw(piece), piece.size())) appended += piece.size();
    EXPECT_EQ(body.Size(), kMaxBodySize);
    EXPECT_LT(appended, kMaxBodySize);
}

}  // namespace
}  // namespace zendalo
