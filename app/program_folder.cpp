#include "app/program_folder.h"

namespace zendalo {
namespace {

// Offset of the last backslash that is a character of its own, or npos. A byte of 0x80 or above
// starts a two-byte character, as everywhere else in the program.
std::size_t LastBackslash(std::string_view path) {
    std::size_t found = std::string_view::npos;
    for (std::size_t at = 0; at < path.size(); at += static_cast<unsigned char>(path[at]) >= 0x80 ? 2 : 1) {
        if (path[at] == '\\') found = at;
    }
    return found;
}

}  // namespace

std::optional<std::string> FolderOfProgramFile(std::string_view moduleFileName) {
    const std::size_t lastBackslash = LastBackslash(moduleFileName);
    if (lastBackslash == std::string_view::npos) return std::nullopt;
    std::string folder(moduleFileName.substr(0, lastBackslash));
    // "C:" and "\\?\C:" alone would not name the root; "" stands for the current drive's root.
    if (folder.empty() || folder.back() == ':') folder += '\\';
    return folder;
}

}  // namespace zendalo
