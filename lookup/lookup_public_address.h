// Finding the public address and its region on the lookup page.
#pragma once

#include <functional>

#include "support/text/text.h"

namespace zendalo {

// Fetches a page and returns its body (empty when nothing arrived): the web fetch in the program,
// a stand-in in tests.
using PageFetcher = std::function<ByteSet(const Text& url)>;

// Fetches `pageUrl` once and cuts the address (between "[" and "]") and the region (between
// "来自：" and "</c") out of the whole page, ignoring the case of ASCII letters. An output that is
// null is not supplied: it is neither computed nor touched. A supplied one always receives a new
// value, the empty text when its markers are not found.
void LookupPublicAddress(const Text& pageUrl, const PageFetcher& fetchPage, Text* address, Text* region);

}  // namespace zendalo
