#include "lookup/query_command.h"

#include "app/set_control_content.h"
#include "app/window_description.h"
#include "lookup/lookup_page_url.h"
#include "lookup/lookup_public_address.h"
#include "support/web/fetch.h"

namespace zendalo {
namespace {

constexpr std::int32_t kWholeValue = -1;
constexpr std::int32_t kTextLength = 0;

void ShowInField(std::uint32_t field, const Text& value) {
    SetControlContent(ids::MainWindow, field, kContentProperty, kWholeValue, value, kTextLength);
}

}  // namespace

// Blocks the window while the page is fetched; clicks made meanwhile wait in the queue and each
// runs a whole lookup of its own afterwards. Both fields are written every time, even when empty.
void OnQueryClicked() {
    Text address;
    Text region;
    LookupPublicAddress(LookupPageUrl, [](const Text& url) { return FetchUrl(url); }, &address, &region);
    ShowInField(ids::编辑框1, address);
    ShowInField(ids::编辑框2, region);
}

}  // namespace zendalo
