#pragma once

#include <string>
#include <vector>

namespace vsm {

// What the arguments of `vrk-split-merge` ask for.
struct ToolArguments {
  enum class Mode { window, run, help, version, usage_error };
  Mode mode = Mode::window;
  std::string file;    // for Mode::run
  bool trace = false;  // for Mode::run
  std::string error;   // for Mode::usage_error
};

// The arguments after the program name.
ToolArguments ParseToolArguments(const std::vector<std::string>& arguments);

std::string UsageText();

// Exit codes of a run without a window.
inline constexpr int kExitLoaded = 0;
inline constexpr int kExitNotLoaded = 1;
inline constexpr int kExitUsage = 2;

}  // namespace vsm
