#pragma once

#include <string>

namespace vsm {

// Opens the main window and runs it until it is closed; returns the process's exit code.
// Implemented by the window of the build (`vsm_qt_window` or `vsm_win32_window`); the program
// `vrk-split-merge` calls it when started without --run, if a window is built. The converters
// are taken from `converter_folder`.
int RunWindow(int argc, char** argv, const std::string& converter_folder);

// Shows `message` in a box before the window would open, for a person who started the tool from a
// menu and has no console to read it in. Does nothing without a display.
void ShowStartFailure(int argc, char** argv, const std::string& message);

}  // namespace vsm
