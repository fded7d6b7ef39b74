#include "app/icon_directory.h"

#include <algorithm>
#include <array>
#include <vector>

namespace zendalo {
namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kBitmapInfoHeaderSize = 40;
constexpr std::size_t kPngHeaderSize = 24;  // signature and the IHDR chunk up to its height
constexpr std::array<unsigned char, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// No icon image is anywhere near this large; a header beyond it is bad data, not an icon.
constexpr std::int64_t kLargestSide = 0x10000;

std::uint32_t ReadLittleEndian(std::span<const unsigned char> bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i-- > 0;) value = (value << 8) | bytes[at + i];
    return value;
}

std::uint32_t ReadBigEndian32(std::span<const unsigned char> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | bytes[at + i];
    return value;
}

struct DirectoryEntry {
    std::int32_t width;  // 0 in the file means 256
    std::int32_t colourCount;
    std::uint32_t imageSize;
    std::uint32_t imageOffset;
};

std::optional<std::vector<DirectoryEntry>> ReadDirectory(std::span<const unsigned char> file) {
    if (file.size() < kDirectoryHeaderSize) return std::nullopt;
    const std::uint32_t reserved = ReadLittleEndian(file, 0, 2);
    const std::uint32_t type = ReadLittleEndian(file, 2, 2);
    const std::uint32_t count = ReadLittleEndian(file, 4, 2);
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) return std::nullopt;
    if (file.size() < kDirectoryHeaderSize + kEntrySize * count) return std::nullopt;
    std::vector<DirectoryEntry> entries;
    entries.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        const std::size_t at = kDirectoryHeaderSize + kEntrySize * index;
        const auto width = static_cast<std::int32_t>(file[at]);
        entries.push_back({width == 0 ? 256 : width, static_cast<std::int32_t>(file[at + 2]),
                           ReadLittleEndian(file, at + 8, 4), ReadLittleEndian(file, at + 12, 4)});
    }
    return entries;
}

const DirectoryEntry& ChooseEntry(const std::vector<DirectoryEntry>& entries, std::int32_t wantedWidth) {
    const auto qualifies = [&](const DirectoryEntry& entry) {
        return entry.width == wantedWidth && (entry.colourCount == 0 || entry.colourCount >= 16);
    };
    const auto found = std::find_if(entries.begin(), entries.end(), qualifies);
    return found != entries.end() ? *found : entries.back();
}

std::optional<IconImage> SizedImage(std::span<const unsigned char> bytes, std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return std::nullopt;
    return IconImage{bytes, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

// Width and drawn height from the image's own header: a PNG's IHDR, or a bitmap info header whose
// height covers the colour bitmap and the mask.
std::optional<IconImage> ReadImage(std::span<const unsigned char> bytes) {
    if (bytes.size() >= kPngHeaderSize && std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin())) {
        return SizedImage(bytes, ReadBigEndian32(bytes, 16), ReadBigEndian32(bytes, 20));
    }
    if (bytes.size() < kBitmapInfoHeaderSize || ReadLittleEndian(bytes, 0, 4) < kBitmapInfoHeaderSize) {
        return std::nullopt;
    }
    const auto width = static_cast<std::int32_t>(ReadLittleEndian(bytes, 4, 4));
    const auto doubledHeight = static_cast<std::int32_t>(ReadLittleEndian(bytes, 8, 4));
    return SizedImage(bytes, width, doubledHeight / 2);
}

}  // namespace

std::optional<IconImage> ChooseIconImage(std::span<const unsigned char> iconFile, std::int32_t wantedWidth) {
    const auto entries = ReadDirectory(iconFile);
    if (!entries) return std::nullopt;
    const DirectoryEntry& entry = ChooseEntry(*entries, wantedWidth);
    if (entry.imageOffset > iconFile.size() || entry.imageSize > iconFile.size() - entry.imageOffset) {
        return std::nullopt;
    }
    return ReadImage(iconFile.subspan(entry.imageOffset, entry.imageSize));
}

}  // namespace zendalo
