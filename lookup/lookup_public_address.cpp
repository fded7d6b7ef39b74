#include "lookup/lookup_public_address.h"

#include "lookup/text_between.h"

namespace zendalo {
namespace {

const Text kAddressLeftMarker = "[";
const Text kAddressRightMarker = "]";
const Text kRegionLeftMarker = "来自：";
const Text kRegionRightMarker = "</c";

// The markers go in as variables: the cut may rewrite them.
Text CutFromPage(const Text& pageText, const Text& left, const Text& right) {
    Text leftMarker = left;
    Text rightMarker = right;
    return TextBetween(pageText, leftMarker, rightMarker);
}

}  // namespace

void LookupPublicAddress(const Text& pageUrl, const PageFetcher& fetchPage, Text* address, Text* region) {
    const Text pageText = BytesToText(fetchPage(pageUrl));
    // Both cuts search the whole page from its first byte.
    if (address != nullptr) *address = CutFromPage(pageText, kAddressLeftMarker, kAddressRightMarker);
    if (region != nullptr) *region = CutFromPage(pageText, kRegionLeftMarker, kRegionRightMarker);
}

}  // namespace zendalo
