// Text and byte values of the program, and the operations the lookup is built from.
//
// A Text is a byte string in the system's ANSI code page that never holds a zero byte;
// "no value" and the empty text are the same thing. A ByteSet is raw bytes with an explicit
// length, zero bytes allowed. Both are plain values: copying copies, destruction releases.
//
// Positions are 1-based byte positions, a search that finds nothing returns -1, and counts
// and positions out of range are clamped. Searches step over two-byte characters whole: a byte
// of 0x80 or above starts a two-byte character whatever follows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zendalo {

class Text {
public:
    // Lengths are signed 32-bit numbers, so a Text never holds more bytes than that.
    static constexpr std::size_t kMaxLength = INT32_MAX;

    Text() = default;
    // Takes the bytes up to the first zero byte (a null pointer is the empty text).
    Text(const char* zeroTerminated);  // NOLINT(google-explicit-constructor): literals read naturally
    // Takes the bytes of `bytes` up to the first zero byte, at most kMaxLength of them.
    explicit Text(std::string_view bytes);

    [[nodiscard]] std::string_view View() const noexcept { return bytes_; }
    [[nodiscard]] const char* CStr() const noexcept { return bytes_.c_str(); }
    [[nodiscard]] const unsigned char* Bytes() const noexcept {
        return reinterpret_cast<const unsigned char*>(bytes_.data());
    }
    [[nodiscard]] std::size_t Size() const noexcept { return bytes_.size(); }
    [[nodiscard]] bool Empty() const noexcept { return bytes_.empty(); }

    friend bool operator==(const Text&, const Text&) = default;

private:
    std::string bytes_;
};

class ByteSet {
public:
    ByteSet() = default;
    explicit ByteSet(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    explicit ByteSet(std::string_view bytes) : bytes_(bytes.begin(), bytes.end()) {}

    [[nodiscard]] const unsigned char* Data() const noexcept { return bytes_.data(); }
    [[nodiscard]] std::size_t Size() const noexcept { return bytes_.size(); }
    [[nodiscard]] bool Empty() const noexcept { return bytes_.empty(); }
    [[nodiscard]] const std::vector<unsigned char>& Bytes() const noexcept { return bytes_; }

    friend bool operator==(const ByteSet&, const ByteSet&) = default;

private:
    std::vector<unsigned char> bytes_;
};

// ReplaceSubtext's `count` when every occurrence is to be replaced; any negative count means the same.
inline constexpr std::int32_t kNoLimit = -1;

std::int32_t TextLength(const Text& text) noexcept;
Text TextLeft(const Text& text, std::int32_t count);
Text TextRight(const Text& text, std::int32_t count);

// 1-based position of the first occurrence of `sought` at or after `startPosition`, or -1.
// A start position below 1 means the first byte.
std::int32_t FindText(const Text& text, const Text& sought, std::int32_t startPosition = 1,
                      bool ignoreCase = false) noexcept;

// `text` with the occurrences of `subtext` from `startPosition` on replaced by `replacement`,
// at most `count` of them (a negative count places no limit).
Text ReplaceSubtext(const Text& text, const Text& subtext, const Text& replacement = {},
                    std::int32_t startPosition = 1, std::int32_t count = kNoLimit,
                    bool caseSensitive = false);

// The bytes up to the first zero byte, taken as they are.
Text BytesToText(const ByteSet& bytes);

}  // namespace zendalo
