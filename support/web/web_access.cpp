#include "support/web/web_access.h"

namespace zendalo {

namespace {
// Exists from program start, before any window, and holds no handle until the first fetch.
WebAccess processAccess;
}  // namespace

WebAccess& WebAccess::Process() noexcept { return processAccess; }

bool WebAccess::EnsureOpen() noexcept {
    if (!root_) {
        root_ = InternetHandle(
            functions_->open(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0), *functions_);
    }
    return static_cast<bool>(root_);
}

}  // namespace zendalo
