#pragma once

#include <string>

#include "platform/expected.h"

namespace vsm {

// Opens the main window and runs it until it is closed, the converters taken from
// `converter_folder`. Implemented by the window of the build (`vsm_qt_window` or
// `vsm_win32_window`); the program `vrk-split-merge` calls it when started without --run, if a
// window is built. The process's exit code, or, after a box that said it, why the tool cannot
// work in its start folder.
Expected<int> RunWindow(int argc, char** argv, const std::string& converter_folder);

// Shows `message` in a box before the window would open, for a person who started the tool from a
// menu and has no console to read it in. Does nothing without a display.
void ShowStartFailure(int argc, char** argv, const std::string& message);

// The text of that box when the tool cannot start for `reason`.
inline std::string StartFailureText(const std::string& reason) {
  return "The window could not be opened:\n" + reason + ".";
}

}  // namespace vsm
