// The parts of the fetch that need no WinInet: the read piece size, the object name and the
// body as it accumulates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "support/text/text.h"
#include "support/web/fetch.h"

namespace zendalo {

// The read piece size for the Content-Length header's text, or for no header at all.
// The text reads as a decimal number: leading white space skipped, an optional sign, then
// digits up to the first other character; no digits read as 0. A number too large for any
// integer type still counts as large (kLargeReadPiece), never as an overflow.
std::uint32_t ReadPieceSize(std::optional<std::string_view> declaredLength) noexcept;

// The URL path as the request names it: cut before its first "#", so a fragment never reaches
// the server.
std::string_view ObjectName(std::string_view urlPath) noexcept;

// The response body as it arrives, held to a bound.
class BodyCollector {
public:
    explicit BodyCollector(std::size_t bound = kMaxBodySize) noexcept : bound_(bound) {}

    // Appends what fits under the bound. Returns false when reading should stop: the bound is
    // reached, or memory ran out, in which case the body stays as it was without this piece
    // (never a body with a hole in it).
    bool Append(const unsigned char* bytes, std::size_t count);

    [[nodiscard]] std::size_t Size() const noexcept { return body_.size(); }

    // The collected bytes; the collector is empty afterwards.
    ByteSet Take() noexcept;

private:
    std::size_t bound_;
    std::vector<unsigned char> body_;
};

}  // namespace zendalo
