// Where the program file lives: the folder that becomes the current directory at start.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zendalo {

// The folder part of a module file name in the ANSI code page: everything before its last
// backslash. Two-byte characters are stepped over whole, so a trail byte of 0x5C inside a folder
// name is not taken for a backslash. A folder that is a drive's root keeps its backslash ("C:\",
// not "C:", which names the drive's current directory). No backslash at all gives no folder.
std::optional<std::string> FolderOfProgramFile(std::string_view moduleFileName);

}  // namespace zendalo
