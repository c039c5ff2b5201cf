#pragma once

#include <string>
#include <string_view>

namespace vsm {

// The user's documents folder as the desktop knows it, without a trailing separator. On Windows
// the shell's Documents folder. Elsewhere XDG_DOCUMENTS_DIR as the desktop's user-dirs.dirs
// ($XDG_CONFIG_HOME, else ~/.config) or, failing that, the environment sets it; else
// ~/Documents when it is a folder; else the home folder. "" when not even that is known.
std::string DocumentsFolder();

// XDG_DOCUMENTS_DIR as the text of a user-dirs.dirs file sets it, with "$HOME" replaced by
// `home`; "" when the text does not set it. The file is written by xdg-user-dirs-update: lines
// XDG_NAME_DIR="$HOME/path" or XDG_NAME_DIR="/path", with '"', '\', '$' and '`' escaped by '\';
// the last line for a name counts.
std::string DocumentsFolderInUserDirs(std::string_view text, const std::string& home);

}  // namespace vsm
