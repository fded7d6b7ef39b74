// The shell's rules that need no window: the program folder, the tab order, the icon directory,
// event delivery, the keyboard table and the geometry rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/event_delivery.h"
#include "app/icon_directory.h"
#include "app/keyboard_rules.h"
#include "app/program_folder.h"
#include "app/tab_order.h"
#include "app/window_description.h"
#include "app/window_geometry.h"

namespace zendalo {
namespace {

using namespace std::string_literals;

// ---- the program folder --------------------------------------------------------------------

TEST(FolderOfProgramFile, IsThePartBeforeTheLastBackslash) {
    struct Case {
        std::string moduleFileName;
        std::optional<std::string> folder;
    };
    const Case cases[] = {
        {R"(C:\Program Files\Zendalo\zendalo.exe)", R"(C:\Program Files\Zendalo)"},
        {R"(Z:\work\build\windows\zendalo.exe)", R"(Z:\work\build\windows)"},
        {R"(\\server\share\tools\zendalo.exe)", R"(\\server\share\tools)"},
        {R"(C:\a\\zendalo.exe)", R"(C:\a\)"},         // the last backslash, even when doubled
        {R"(C:\zendalo.exe)", R"(C:\)"},              // a drive's root keeps its backslash
        {R"(\\?\C:\zendalo.exe)", R"(\\?\C:\)"},
        {R"(\zendalo.exe)", R"(\)"},
        {"zendalo.exe", std::nullopt},                // no folder at all
        {"", std::nullopt},
        {"C:\\程序\\zendalo.exe", "C:\\程序"},         // code page 936 bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderOfProgramFile(c.moduleFileName), c.folder) << c.moduleFileName;
    }
}

TEST(FolderOfProgramFile, StepsOverTwoByteCharactersWhoseTrailByteLooksLikeABackslash) {
    // 0x81 0x5C is one two-byte character of code page 936; its trail byte is not a separator.
    const std::string folder = "C:\\x\x81\x5C"s;
    EXPECT_EQ(FolderOfProgramFile(folder + "\\zendalo.exe"), folder);
    EXPECT_EQ(FolderOfProgramFile("C:\\\x81\x5Czendalo.exe"s), "C:\\"s);
}

// ---- the tab order -------------------------------------------------------------------------

TEST(TabOrder, SortsByNumberAndPutsLaterControlsFirstAmongEqualNumbers) {
    struct Case {
        const char* name;
        std::vector<TabStopCandidate> controls;
        std::vector<std::size_t> order;
    };
    const Case cases[] = {
        // MainWindow: 编辑框2, 编辑框1, 标签2, 标签1, 按钮1, all with number 0, labels without a tab stop.
        {"main window", {{0, true}, {0, true}, {0, false}, {0, false}, {0, true}}, {4, 1, 0}},
        {"numbers first", {{2, true}, {0, true}, {1, true}}, {1, 2, 0}},
        {"mixed ties", {{1, true}, {0, true}, {1, true}, {0, true}}, {3, 1, 2, 0}},
        {"negative numbers", {{0, true}, {-1, true}}, {1, 0}},
        {"none takes the focus", {{0, false}, {0, false}}, {}},
        {"no controls", {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TabOrder(c.controls), c.order) << c.name;
    }
}

TEST(TabOrder, MainWindowDescriptionGivesButtonThenAddressThenRegion) {
    // The real description's tab stops, read through the rule, as the window builds them.
    const std::vector<std::uint32_t> described = {ids::编辑框2, ids::编辑框1, ids::标签2, ids::标签1, ids::按钮1};
    const std::vector<TabStopCandidate> controls = {{0, true}, {0, true}, {0, false}, {0, false}, {0, true}};
    std::vector<std::uint32_t> order;
    for (std::size_t index : TabOrder(controls)) order.push_back(described[index]);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{ids::按钮1, ids::编辑框1, ids::编辑框2}));
}

TEST(NextTabStop, WrapsAroundAtBothEnds) {
    EXPECT_EQ(NextTabStop(3, 0, true), 1u);
    EXPECT_EQ(NextTabStop(3, 2, true), 0u);
    EXPECT_EQ(NextTabStop(3, 0, false), 2u);
    EXPECT_EQ(NextTabStop(3, 1, false), 0u);
    EXPECT_EQ(NextTabStop(1, 0, true), 0u);
    EXPECT_EQ(NextTabStop(1, 0, false), 0u);
}

TEST(NextTabStop, StartsAtAnEndWhenTheFocusIsOnNoneAndHasNothingToGiveInAnEmptyOrder) {
    EXPECT_EQ(NextTabStop(3, std::nullopt, true), 0u);
    EXPECT_EQ(NextTabStop(3, std::nullopt, false), 2u);
    EXPECT_EQ(NextTabStop(3, 7, true), 0u);
    EXPECT_EQ(NextTabStop(0, std::nullopt, true), std::nullopt);
    EXPECT_EQ(NextTabStop(0, 0, false), std::nullopt);
}

// ---- the icon directory --------------------------------------------------------------------

// An icon file built in memory: a directory and, per entry, a bitmap or PNG header.
class IconFileBuilder {
public:
    struct Entry {
        std::uint8_t width;  // 0 means 256
        std::uint8_t colourCount;
        std::int32_t headerWidth;
        std::int32_t headerHeight;  // a bitmap's counts the mask: twice the drawn height
        bool png = false;
    };

    explicit IconFileBuilder(std::vector<Entry> entries, std::uint16_t type = 1, std::uint16_t reserved = 0)
        : entries_(std::move(entries)), type_(type), reserved_(reserved) {}

    std::vector<unsigned char> Build() const {
        std::vector<unsigned char> file;
        Put16(file, reserved_);
        Put16(file, type_);
        Put16(file, static_cast<std::uint16_t>(entries_.size()));
        std::vector<std::vector<unsigned char>> images;
        for (const Entry& entry : entries_) images.push_back(Image(entry));
        std::size_t offset = 6 + 16 * entries_.size();
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            file.push_back(entries_[i].width);
            file.push_back(entries_[i].width);
            file.push_back(entries_[i].colourCount);
            file.push_back(0);
            Put16(file, 1);
            Put16(file, 8);
            Put32(file, static_cast<std::uint32_t>(images[i].size()));
            Put32(file, static_cast<std::uint32_t>(offset));
            offset += images[i].size();
        }
        for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
        return file;
    }

    // The offset of entry `index`'s image in the built file.
    std::size_t ImageOffset(const std::vector<unsigned char>& file, std::size_t index) const {
        const std::size_t at = 6 + 16 * index + 12;
        return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (static_cast<std::size_t>(file[at + 3]) << 24);
    }

private:
    static void Put16(std::vector<unsigned char>& out, std::uint16_t value) {
        out.push_back(static_cast<unsigned char>(value));
        out.push_back(static_cast<unsigned char>(value >> 8));
    }
    static void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(value >> shift));
    }
    static void PutBig32(std::vector<unsigned char>& out, std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
    }

    static std::vector<unsigned char> Image(const Entry& entry) {
        std::vector<unsigned char> image;
        if (entry.png) {
            const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
            image.assign(std::begin(signature), std::end(signature));
            PutBig32(image, static_cast<std::uint32_t>(entry.headerWidth));
            PutBig32(image, static_cast<std::uint32_t>(entry.headerHeight));
            image.resize(image.size() + 16, 0);
        } else {
            Put32(image, 40);
            Put32(image, static_cast<std::uint32_t>(entry.headerWidth));
            Put32(image, static_cast<std::uint32_t>(entry.headerHeight));
            image.resize(40 + 64, 0);
        }
        return image;
    }

    std::vector<Entry> entries_;
    std::uint16_t type_;
    std::uint16_t reserved_;
};

// Which entry ChooseIconImage took, told by the offset of the bytes it returned.
std::optional<std::size_t> ChosenEntry(const IconFileBuilder& builder, const std::vector<unsigned char>& file,
                                       std::int32_t width, std::size_t entryCount) {
    const auto image = ChooseIconImage(file, width);
    if (!image) return std::nullopt;
    for (std::size_t index = 0; index < entryCount; ++index) {
        if (image->bytes.data() == file.data() + builder.ImageOffset(file, index)) return index;
    }
    ADD_FAILURE() << "the image is none of the entries";
    return std::nullopt;
}

TEST(ChooseIconImage, TakesTheFirstEntryOfTheWidthWithAtLeastSixteenColoursElseTheLast) {
    using E = IconFileBuilder::Entry;
    struct Case {
        const char* name;
        std::vector<E> entries;
        std::optional<std::size_t> large, small;
    };
    const Case cases[] = {
        {"the program's six images",
         {{32, 0, 32, 64}, {16, 0, 16, 32}, {0, 0, 256, 256, true}, {48, 0, 48, 96}, {32, 0, 32, 64}, {16, 0, 16, 32}},
         0, 1},
        {"too few colours are passed over",
         {{32, 2, 32, 64}, {32, 16, 32, 64}, {16, 15, 16, 32}, {16, 255, 16, 32}}, 1, 3},
        {"no entry of the width: the last", {{48, 0, 48, 96}, {24, 0, 24, 48}}, 1, 1},
        {"only too few colours: the last", {{32, 8, 32, 64}, {16, 4, 16, 32}}, 1, 1},
        {"one entry", {{16, 0, 16, 32}}, 0, 0},
        {"width 0 stands for 256, never 32", {{0, 0, 32, 64}, {64, 0, 64, 128}}, 1, 1},
    };
    for (const Case& c : cases) {
        const IconFileBuilder builder(c.entries);
        const auto file = builder.Build();
        EXPECT_EQ(ChosenEntry(builder, file, 32, c.entries.size()), c.large) << c.name;
        EXPECT_EQ(ChosenEntry(builder, file, 16, c.entries.size()), c.small) << c.name;
    }
}

TEST(ChooseIconImage, SizeComesFromTheImagesOwnHeader) {
    // The directory says 32 wide; the bitmap header says 30 x (2 x 28): the header wins.
    const IconFileBuilder bitmap({{32, 0, 30, 56}});
    const auto fromBitmap = ChooseIconImage(bitmap.Build(), 32);
    ASSERT_TRUE(fromBitmap);
    EXPECT_EQ(fromBitmap->width, 30);
    EXPECT_EQ(fromBitmap->height, 28);
    EXPECT_EQ(fromBitmap->bytes.size(), 104u);

    // A PNG has no mask: its IHDR height is taken as it is.
    const IconFileBuilder png({{0, 0, 256, 256, true}});
    const auto fromPng = ChooseIconImage(png.Build(), 32);
    ASSERT_TRUE(fromPng);
    EXPECT_EQ(fromPng->width, 256);
    EXPECT_EQ(fromPng->height, 256);
}

TEST(ChooseIconImage, BadDataYieldsNoIcon) {
    using E = IconFileBuilder::Entry;
    const std::vector<E> one = {{32, 0, 32, 64}};
    auto valid = IconFileBuilder(one).Build();
    ASSERT_TRUE(ChooseIconImage(valid, 32));

    auto truncatedDirectory = valid;
    truncatedDirectory.resize(6 + 15);
    auto imageBeyondTheEnd = valid;
    imageBeyondTheEnd.resize(valid.size() - 1);
    auto offsetBeyondTheEnd = valid;
    offsetBeyondTheEnd[6 + 15] = 0x7F;  // offset's high byte
    auto hugeSize = valid;
    hugeSize[6 + 8 + 3] = 0xFF;  // size's high byte: offset + size overflows 32 bits
    auto shortHeader = valid;
    shortHeader[22] = 12;  // a 12-byte core header: not one the icon maker takes

    struct Case {
        const char* name;
        std::vector<unsigned char> file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"shorter than the header", {0, 0, 1}},
        {"reserved word not 0", IconFileBuilder(one, 1, 1).Build()},
        {"type 0", IconFileBuilder(one, 0).Build()},
        {"type 3", IconFileBuilder(one, 3).Build()},
        {"no images", {0, 0, 1, 0, 0, 0}},
        {"directory cut short", truncatedDirectory},
        {"image cut short", imageBeyondTheEnd},
        {"image offset beyond the data", offsetBeyondTheEnd},
        {"image size beyond the data", hugeSize},
        {"header too small", shortHeader},
        {"zero width in the header", IconFileBuilder({{32, 0, 0, 64}}).Build()},
        {"negative height in the header", IconFileBuilder({{32, 0, 32, -64}}).Build()},
        {"absurd width in the header", IconFileBuilder({{32, 0, 0x7FFFFFFF, 64}}).Build()},
        {"height of one row: no colour rows", IconFileBuilder({{32, 0, 32, 1}}).Build()},
        {"PNG of no size", IconFileBuilder({{0, 0, 0, 0, true}}).Build()},
        {"text, not an icon", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'c', 'o', 'n'}},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ChooseIconImage(c.file, 32)) << c.name;
        EXPECT_FALSE(ChooseIconImage(c.file, 16)) << c.name;
    }
}

TEST(ChooseIconImage, AcceptsCursorFilesAsTheRuleAllows) {
    const auto cursorFile = IconFileBuilder({{32, 0, 32, 64}}, 2).Build();
    EXPECT_TRUE(ChooseIconImage(cursorFile, 32));
}

TEST(ChooseIconImage, TheProgramsIconFileGivesThe8BitImages) {
    std::ifstream in(ZENDALO_ICON_FILE, std::ios::binary);
    ASSERT_TRUE(in) << ZENDALO_ICON_FILE;
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GE(file.size(), 6u + 6 * 16);
    EXPECT_EQ(file[4], 6);  // six images
    for (std::size_t entry = 0; entry < 6; ++entry) EXPECT_EQ(file[6 + 16 * entry + 2], 0) << "colour count, entry " << entry;

    const auto entryOffset = [&](std::size_t index) {
        const std::size_t at = 6 + 16 * index + 12;
        return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (static_cast<std::size_t>(file[at + 3]) << 24);
    };
    const auto bitCount = [&](std::size_t index) { return file[entryOffset(index) + 14]; };
    const auto large = ChooseIconImage(file, 32);
    const auto small = ChooseIconImage(file, 16);
    ASSERT_TRUE(large && small);
    EXPECT_EQ(large->bytes.data(), file.data() + entryOffset(0));
    EXPECT_EQ(small->bytes.data(), file.data() + entryOffset(1));
    EXPECT_EQ(bitCount(0), 8);
    EXPECT_EQ(bitCount(1), 8);
    EXPECT_EQ(large->width, 32);
    EXPECT_EQ(large->height, 32);
    EXPECT_EQ(small->width, 16);
    EXPECT_EQ(small->height, 16);
}

// ---- event delivery ------------------------------------------------------------------------

std::vector<std::string> calls;
void RecordA() { calls.push_back("A"); }
void RecordB() { calls.push_back("B"); }
void RecordC() { calls.push_back("C"); }

class EventDeliveryTest : public ::testing::Test {
protected:
    void SetUp() override { calls.clear(); }
    EventDelivery delivery;
};

TEST_F(EventDeliveryTest, RunsTheHandlerBoundToTheExactTriple) {
    delivery.Bind(1, 1, 0, &RecordA);
    delivery.Bind(1, 2, 0, &RecordB);
    delivery.Bind(1, 2, 1, &RecordC);
    delivery.Deliver(1, 2, 1);
    delivery.Deliver(1, 1, 0);
    delivery.Deliver(1, 2, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"C", "A", "B"}));
}

TEST_F(EventDeliveryTest, UnboundEventsDoNothing) {
    delivery.Bind(1, 2, 0, &RecordA);
    delivery.Deliver(1, 2, 1);   // another event of the control
    delivery.Deliver(1, 3, 0);   // another control
    delivery.Deliver(2, 2, 0);   // the same control number on another window
    delivery.Deliver(1, 1, 0);   // the window itself
    delivery.Bind(1, 4, 0, nullptr);
    delivery.Deliver(1, 4, 0);   // bound to no handler
    EXPECT_TRUE(calls.empty());
}

TEST_F(EventDeliveryTest, NothingIsDeliveredWhileSuspendedAndNestingCounts) {
    delivery.Bind(1, 1, 0, &RecordA);
    delivery.Suspend();
    delivery.Suspend();
    delivery.Deliver(1, 1, 0);
    delivery.Resume();
    delivery.Deliver(1, 1, 0);
    EXPECT_TRUE(calls.empty());
    delivery.Resume();
    delivery.Deliver(1, 1, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"A"}));
}

TEST_F(EventDeliveryTest, AnEventHasAtMostOneHandler) {
    delivery.Bind(1, 1, 0, &RecordA);
    delivery.Bind(1, 1, 0, &RecordB);
    delivery.Deliver(1, 1, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"B"}));
}

TEST_F(EventDeliveryTest, ClearForgetsEveryBinding) {
    delivery.Bind(1, 1, 0, &RecordA);
    delivery.Clear();
    delivery.Deliver(1, 1, 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(EventDeliveryTest, BindingsComeFromTheDescriptions) {
    constexpr EventBinding windowBindings[] = {{0, &RecordA}};
    constexpr EventBinding buttonBindings[] = {{0, &RecordB}, {3, &RecordC}};
    const ControlDescription controls[] = {
        {7, "edit", ControlKind::EditBox, 0, 0, 10, 10, "", 0, 0, 0, {}},
        {8, "button", ControlKind::Button, 0, 0, 10, 10, "", 0, 0, 0, buttonBindings},
    };
    const WindowDescription windows[] = {{5, "", "", 0, 0, 10, 10, 0, 0, controls, windowBindings, {}}};
    BindDescribedHandlers(windows, delivery);
    delivery.Deliver(5, 7, 0);  // the edit box binds nothing
    delivery.Deliver(5, 5, 1);  // nor does the window's close query
    delivery.Deliver(5, 8, 3);
    delivery.Deliver(5, 5, 0);
    delivery.Deliver(5, 8, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(FindWindowDescription(windows, 5), &windows[0]);
    EXPECT_EQ(FindWindowDescription(windows, 6), nullptr);
}

// ---- keyboard ------------------------------------------------------------------------------

TEST(WindowKeyAction, TabShiftTabAndEscapeOnlyWithExactlyTheirModifiers) {
    constexpr std::uint32_t kF1 = 0x70, kF4 = 0x73, kSpace = 0x20, kLetterA = 'A', kDigit1 = '1';
    const Modifiers none{}, shift{false, true, false}, control{true, false, false}, alt{false, false, true},
        controlShift{true, true, false};
    struct Case {
        std::uint32_t key;
        Modifiers modifiers;
        KeyAction action;
    };
    const Case cases[] = {
        {keys::Tab, none, KeyAction::FocusNext},
        {keys::Tab, shift, KeyAction::FocusPrevious},
        {keys::Escape, none, KeyAction::RequestClose},
        {keys::Tab, control, KeyAction::PassOn},
        {keys::Tab, controlShift, KeyAction::PassOn},
        {keys::Tab, alt, KeyAction::PassOn},
        {keys::Escape, shift, KeyAction::PassOn},
        {keys::Escape, alt, KeyAction::PassOn},
        {keys::Enter, none, KeyAction::PassOn},
        {keys::Enter, control, KeyAction::PassOn},
        {kF1, none, KeyAction::PassOn},
        {kLetterA, alt, KeyAction::PassOn},
        {kDigit1, alt, KeyAction::PassOn},
        {kF4, alt, KeyAction::PassOn},
        {kSpace, none, KeyAction::PassOn},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowKeyAction(c.key, c.modifiers), c.action)
            << "key " << c.key << " ctrl " << c.modifiers.control << " shift " << c.modifiers.shift << " alt "
            << c.modifiers.alt;
    }
}

TEST(EditBoxClaimsKey, OnlyAMultiLineWritableBoxClaimsEnter) {
    EXPECT_TRUE(EditBoxClaimsKey(keys::Enter, true, false));
    EXPECT_FALSE(EditBoxClaimsKey(keys::Enter, true, true));
    EXPECT_FALSE(EditBoxClaimsKey(keys::Enter, false, false));
    EXPECT_FALSE(EditBoxClaimsKey(keys::Tab, true, false));
    EXPECT_FALSE(EditBoxClaimsKey(keys::Escape, true, false));
}

// ---- geometry ------------------------------------------------------------------------------

TEST(CentredOrigin, DividesTruncatingTowardZero) {
    EXPECT_EQ(CentredOrigin(1024, 768, 286, 126), (Point{369, 321}));
    EXPECT_EQ(CentredOrigin(1025, 769, 286, 126), (Point{369, 321}));
    EXPECT_EQ(CentredOrigin(800, 600, 286, 126), (Point{257, 237}));
    // A screen smaller than the window: -3 / 2 is -1, not -2.
    EXPECT_EQ(CentredOrigin(283, 123, 286, 126), (Point{-1, -1}));
    EXPECT_EQ(CentredOrigin(0, 0, 286, 126), (Point{-143, -63}));
}

TEST(EditBoxHeight, GrowsOnlyALowBoxToTextPlusBothEdges) {
    EXPECT_EQ(EditBoxHeight(20, 14, 2), 20);  // Wine's default GUI font: 14 + 2 x 2 fits
    EXPECT_EQ(EditBoxHeight(20, 16, 2), 20);  // exactly enough
    EXPECT_EQ(EditBoxHeight(20, 17, 2), 21);
    EXPECT_EQ(EditBoxHeight(12, 14, 2), 18);
}

}  // namespace
}  // namespace zendalo
