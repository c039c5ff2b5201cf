#include "app/console/tool_arguments.h"

namespace vsm {

ToolArguments ParseToolArguments(const std::vector<std::string>& arguments) {
  ToolArguments line;
  const auto fail = [&line](std::string error) {
    line.mode = ToolArguments::Mode::usage_error;
    line.error = std::move(error);
    return line;
  };
  bool run = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      line.mode = ToolArguments::Mode::help;
      return line;
    }
    if (argument == "--version") {
      line.mode = ToolArguments::Mode::version;
      return line;
    }
    if (argument == "--trace") {
      line.trace = true;
    } else if (argument == "--run") {
      if (run) return fail("--run given twice");
      if (i + 1 == arguments.size()) return fail("--run needs a file");
      run = true;
      line.file = arguments[++i];
    } else {
      return fail("unknown argument: " + argument);
    }
  }
  if (line.trace && !run) return fail("--trace needs --run FILE");
  line.mode = run ? ToolArguments::Mode::run : ToolArguments::Mode::window;
  return line;
}

std::string UsageText() {
  return "Usage: vrk-split-merge [--run FILE [--trace]] [--help] [--version]\n"
         "\n"
         "Without arguments, opens the window.\n"
         "  --run FILE  load FILE without a window, as the Load button does: a channel list\n"
         "              (.vrk or text form) or a batch script whose first line is\n"
         "              [VRK_SPLIT_MERGE]; works below the current folder\n"
         "  --trace     with --run: write every message, status text and button caption to\n"
         "              standard output, one TAB-separated line each\n"
         "  --help      show this text\n"
         "  --version   show the version\n"
         "\n"
         "Exit status: 0 loaded, 1 not loaded, 2 wrong arguments.\n";
}

}  // namespace vsm
