#pragma once

#include <string>
#include <vector>

namespace vsm {

// What the arguments of `vrk-split-merge` ask for.
struct ToolArguments {
  enum class Mode { window, run, help, version, usage_error };
  // Where the window or the run starts: where the tool was started, the folder that `--folder
  // DIR` names, or, for a bare `--folder`, the tool's folder among the user's documents.
  enum class StartFolder { current, given, documents };
  Mode mode = Mode::window;
  std::string file;    // for Mode::run
  bool trace = false;  // for Mode::run
  StartFolder start_folder = StartFolder::current;
  std::string folder;      // for StartFolder::given
  std::string converters;  // the folder of --converters; "" without it
  std::string error;       // for Mode::usage_error
};

// The arguments after the program name.
ToolArguments ParseToolArguments(const std::vector<std::string>& arguments);

std::string UsageText();

// Exit codes of a run without a window.
inline constexpr int kExitLoaded = 0;
inline constexpr int kExitNotLoaded = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitLeftUndone = 3;

}  // namespace vsm
