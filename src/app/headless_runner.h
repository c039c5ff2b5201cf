#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vsm {

// What the command line of `vrk-split-merge` asks for.
struct CommandLine {
  enum class Mode { window, run, help, version, usage_error };
  Mode mode = Mode::window;
  std::string file;    // for Mode::run
  bool trace = false;  // for Mode::run
  std::string error;   // for Mode::usage_error
};

// The arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();

// Exit codes of a run without a window.
inline constexpr int kExitLoaded = 0;
inline constexpr int kExitNotLoaded = 1;
inline constexpr int kExitUsage = 2;

// Loads `file` without a window, as the Load button does after its dialog: start-up in the
// current folder, the captions of a load, LoadThisFile (so a batch script runs), and the report
// of the load. Waits for every conversion started meanwhile and reports those that failed.
// kExitLoaded when LoadThisFile returned true, else kExitNotLoaded.
int RunHeadless(Platform& platform, const std::string& file);

}  // namespace vsm
