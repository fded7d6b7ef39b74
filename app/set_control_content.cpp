#include "app/set_control_content.h"

#include "app/run_time_error.h"
#include "app/shell.h"

namespace zendalo {

void SetControlContent(std::uint32_t windowNumber, std::uint32_t controlNumber, std::int32_t property,
                       [[maybe_unused]] std::int32_t elementIndex, const Text& value,
                       [[maybe_unused]] std::int32_t valueLength) {
    Shell* shell = Shell::Current();
    FormWindow* window = shell != nullptr ? shell->LoadedWindow(windowNumber) : nullptr;
    if (window == nullptr || !window->SetControlProperty(controlNumber, property, value)) {
        TakeRunTimeErrorPath(RunTimeError::WindowNotLoaded);
    }
}

}  // namespace zendalo
