#pragma once

namespace vsm {

// Opens the main window and runs it until it is closed; returns the process's exit code.
// Implemented by the Qt window (target `vsm_window`); `vrk-split-merge` calls it when started
// without arguments, if that target is built.
int RunWindow(int argc, char** argv);

}  // namespace vsm
