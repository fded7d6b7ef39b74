// A caption that paints itself: button-face background, one line of black text, no prefix.
#pragma once

#include <windows.h>

#include "app/window_base.h"
#include "app/window_description.h"

namespace zendalo {

class Label final : public WindowBase {
public:
    Label() = default;
    ~Label() override;

    // Creates the label as a hidden child of `parent`, numbered with the control's number.
    bool Create(const ControlDescription& description, HWND parent);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();

    HFONT font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));  // a stock object: never deleted
};

}  // namespace zendalo
