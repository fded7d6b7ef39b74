// The program's icon file (resources/zendalo.ico), compiled in as data for the window description.
#pragma once

#include <span>

namespace zendalo {

// Every byte of the icon file: its directory and all six images.
std::span<const unsigned char> ProgramIconFile() noexcept;

}  // namespace zendalo
