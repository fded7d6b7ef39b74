// The web page fetch: one HTTP GET over WinInet, the response body back as bytes.
//
// FetchUrl never reports a failure. It returns the body bytes that arrived (all of them, or
// those that came before a read failed) and the empty ByteSet when none did. It blocks the
// calling thread until the body has been read, a read has failed or an earlier step has failed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/text/text.h"

namespace zendalo {

class WebAccess;

// The largest body a fetch keeps: 16 MiB, far above any real page. A server that sends more
// (or never stops) gets its first kMaxBodySize bytes kept and the rest unread, so a fetch
// always ends and its result always fits a Text length (signed 32-bit).
inline constexpr std::size_t kMaxBodySize = std::size_t{16} * 1024 * 1024;

// Read piece sizes: one more than the declared Content-Length up to kLargeReadPiece, and
// kDefaultReadPiece when the response declares no length, or one that is not positive.
inline constexpr std::uint32_t kLargeReadPiece = 102400;
inline constexpr std::uint32_t kDefaultReadPiece = 10240;

// Fetches `url` with the process-wide WebAccess (WebAccess::Process()).
ByteSet FetchUrl(const Text& url);

// Fetches `url` with the root handle kept in `access`.
ByteSet FetchUrl(const Text& url, WebAccess& access);

}  // namespace zendalo
