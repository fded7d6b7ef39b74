#include "support/web/fetch_rules.h"

#include <algorithm>
#include <new>
#include <utility>

namespace zendalo {
namespace {

constexpr bool IsWhiteSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

}  // namespace

std::uint32_t ReadPieceSize(std::optional<std::string_view> declaredLength) noexcept {
    if (!declaredLength) return kDefaultReadPiece;
    std::string_view text = *declaredLength;
    std::size_t at = 0;
    while (at < text.size() && IsWhiteSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Accumulate only up to the largest piece: any longer number gives the same piece, and the
    // sum can never overflow however many digits follow.
    std::uint32_t value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = std::min<std::uint32_t>(value * 10 + static_cast<std::uint32_t>(text[at] - '0'), kLargeReadPiece);
    }
    if (negative || value == 0) return kDefaultReadPiece;
    return std::min(value + 1, kLargeReadPiece);
}

std::string_view ObjectName(std::string_view urlPath) noexcept {
    return urlPath.substr(0, urlPath.find('#'));
}

bool BodyCollector::Append(const unsigned char* bytes, std::size_t count) {
    const std::size_t room = bound_ - body_.size();
    const std::size_t kept = std::min(count, room);
    try {
        body_.insert(body_.end(), bytes, bytes + kept);
    } catch (const std::bad_alloc&) {
        return false;  // insert at the end leaves the body as it was
    }
    return kept == count && body_.size() < bound_;
}

ByteSet BodyCollector::Take() noexcept {
    return ByteSet(std::exchange(body_, {}));
}

}  // namespace zendalo
