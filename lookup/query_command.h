// What the button "查询" does.
#pragma once

namespace zendalo {

// Bound to the click of 按钮1 on MainWindow.
void OnQueryClicked();

}  // namespace zendalo
