#include "support/text/text.h"

#include <algorithm>
#include <cstring>

namespace zendalo {
namespace {

// A byte of 0x80 or above starts a two-byte character; the code page's lead-byte table is not consulted.
constexpr std::size_t CharacterWidth(unsigned char first) noexcept { return first >= 0x80 ? 2 : 1; }

constexpr unsigned char FoldAsciiCase(unsigned char byte) noexcept {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool SameBytes(const unsigned char* a, const unsigned char* b, std::size_t count, bool ignoreCase) noexcept {
    if (!ignoreCase) return std::memcmp(a, b, count) == 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
    }
    return true;
}

// Offset of the first byte that a 1-based start position designates; below 1 means the first byte.
constexpr std::size_t StartOffset(std::int32_t startPosition) noexcept {
    return startPosition < 1 ? 0 : static_cast<std::size_t>(startPosition) - 1;
}

// Offset of the first match of `sought` (non-empty) at a character boundary counted from
// `offset`, or npos. Stops as soon as fewer bytes than `sought` has remain.
std::size_t ScanFor(const Text& text, std::size_t offset, const Text& sought, bool ignoreCase) noexcept {
    const unsigned char* bytes = text.Bytes();
    const std::size_t size = text.Size();
    const std::size_t soughtSize = sought.Size();
    if (offset >= size || size - offset < soughtSize) return std::string_view::npos;
    const std::size_t lastCandidate = size - soughtSize;
    const unsigned char first = ignoreCase ? FoldAsciiCase(sought.Bytes()[0]) : sought.Bytes()[0];
    for (std::size_t at = offset; at <= lastCandidate; at += CharacterWidth(bytes[at])) {
        const unsigned char candidate = ignoreCase ? FoldAsciiCase(bytes[at]) : bytes[at];
        if (candidate == first && SameBytes(bytes + at + 1, sought.Bytes() + 1, soughtSize - 1, ignoreCase)) {
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace

Text::Text(const char* zeroTerminated) : Text(std::string_view(zeroTerminated ? zeroTerminated : "")) {}

Text::Text(std::string_view bytes) {
    const std::size_t zero = bytes.find('\0');
    bytes_.assign(bytes.substr(0, std::min(zero, kMaxLength)));
}

std::int32_t TextLength(const Text& text) noexcept { return static_cast<std::int32_t>(text.Size()); }

Text TextLeft(const Text& text, std::int32_t count) {
    if (count <= 0) return {};
    return Text(text.View().substr(0, static_cast<std::size_t>(count)));
}

Text TextRight(const Text& text, std::int32_t count) {
    if (count <= 0) return {};
    const std::size_t kept = std::min(static_cast<std::size_t>(count), text.Size());
    return Text(text.View().substr(text.Size() - kept));
}

std::int32_t FindText(const Text& text, const Text& sought, std::int32_t startPosition, bool ignoreCase) noexcept {
    const std::size_t offset = StartOffset(startPosition);
    if (offset >= text.Size()) return -1;
    if (sought.Empty()) return 1;
    const std::size_t found = ScanFor(text, offset, sought, ignoreCase);
    return found == std::string_view::npos ? -1 : static_cast<std::int32_t>(found + 1);
}

Text ReplaceSubtext(const Text& text, const Text& subtext, const Text& replacement, std::int32_t startPosition,
                    std::int32_t count, bool caseSensitive) {
    const std::size_t offset = StartOffset(startPosition);
    if (text.Empty() || subtext.Empty() || offset >= text.Size() || count == 0) return text;

    const std::string_view source = text.View();
    const bool limited = count > 0;
    std::int32_t remaining = count;
    std::string result(source.substr(0, offset));
    std::size_t at = offset;
    while (at < source.size()) {
        const std::size_t found = ScanFor(text, at, subtext, !caseSensitive);
        if (found == std::string_view::npos) break;
        result.append(source.substr(at, found - at));
        result.append(replacement.View());
        at = found + subtext.Size();
        if (limited && --remaining == 0) break;
    }
    // What is left, a lone lead byte at the very end included, is copied as it is.
    result.append(source.substr(std::min(at, source.size())));
    return Text(result);
}

Text BytesToText(const ByteSet& bytes) {
    return Text(std::string_view(reinterpret_cast<const char*>(bytes.Data()), bytes.Size()));
}

}  // namespace zendalo
