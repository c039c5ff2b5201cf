#pragma once

namespace vsm {

// Opens the main window and runs it until it is closed; returns the process's exit code.
// Implemented by the window of the build (`vsm_qt_window` or `vsm_win32_window`); the program
// `vrk-split-merge` calls it when started without arguments, if a window is built.
int RunWindow(int argc, char** argv);

}  // namespace vsm
