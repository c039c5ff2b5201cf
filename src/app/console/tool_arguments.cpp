#include "app/console/tool_arguments.h"

#include <string_view>

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
    } else if (argument == "--folder" || argument.starts_with("--folder=")) {
      if (line.start_folder != ToolArguments::StartFolder::current) {
        return fail("--folder given twice");
      }
      // DIR may be left out, as a desktop entry must (it cannot name the user's folders): a bare
      // --folder, last or before another option, means the tool's folder among the documents.
      const bool attached = argument != "--folder";
      const bool follows = i + 1 < arguments.size() && !arguments[i + 1].starts_with('-');
      if (attached || follows) {
        line.folder =
            attached ? argument.substr(std::string_view("--folder=").size()) : arguments[++i];
        if (line.folder.empty()) return fail("--folder got an empty folder name");
        line.start_folder = ToolArguments::StartFolder::given;
      } else {
        line.start_folder = ToolArguments::StartFolder::documents;
      }
    } else if (argument == "--converters" || argument.starts_with("--converters=")) {
      if (!line.converters.empty()) return fail("--converters given twice");
      const bool attached = argument != "--converters";
      if (!attached && i + 1 == arguments.size()) return fail("--converters needs a folder");
      line.converters =
          attached ? argument.substr(std::string_view("--converters=").size()) : arguments[++i];
      if (line.converters.empty()) return fail("--converters got an empty folder name");
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
  return "Usage: vrk-split-merge [--folder [DIR]] [--converters DIR] [--run FILE [--trace]]\n"
         "                       [--help] [--version]\n"
         "\n"
         "Without --run, opens the window.\n"
         "  --run FILE  load FILE without a window, as the Load button does: a channel list\n"
         "              (.vrk or text form) or a batch script whose first line is\n"
         "              [VRK_SPLIT_MERGE]; works below the folder it starts in\n"
         "  --trace     with --run: write every message, status text and button caption to\n"
         "              standard output, one TAB-separated line each\n"
         "  --folder DIR\n"
         "              start in DIR as if started there, creating it when missing: the\n"
         "              working folders, the file dialogs and relative names (FILE of --run\n"
         "              too) are taken from DIR; exit status 2 when DIR cannot be made\n"
         "  --folder    without DIR: the folder \"VRK Split & Merge\" in your documents\n"
#ifdef _WIN32
         "              folder (Documents)\n"
#else
         "              folder (XDG_DOCUMENTS_DIR, else ~/Documents, else ~), as the\n"
         "              desktop menu starts it\n"
#endif
         "  --converters DIR\n"
         "              take the converter programs vrk2mvt and mvt2vrk from DIR (a\n"
         "              relative DIR is taken from the start folder); without it they are\n"
         "              taken from the tool's own folder, which holds the bundled ones for\n"
         "              this project's own .vrk format; exit status 2 when the folder\n"
         "              lacks one, or one of them is not executable\n"
         "  --help      show this text\n"
         "  --version   show the version\n"
         "\n"
         "Exit status:\n"
         "  0  FILE was loaded and everything it asked to read, merge, write and convert\n"
         "     was done (boxes about the data, such as \"Warning !!!\", do not count)\n"
         "  1  FILE was not loaded\n"
         "  2  nothing was started: wrong arguments; the folder of --folder cannot be\n"
         "     made; the converters' folder (DIR of --converters, else the tool's own)\n"
         "     lacks a converter it may run; a working folder is a symbolic link or no\n"
         "     folder, or cannot be made; the start folder's name holds a line break\n"
         "     (on Windows: the folder is too deep for the pieces of a split); another\n"
         "     vrk-split-merge is working in the start folder, or its work folder\n"
         "     cannot be locked against one\n"
         "  3  FILE was loaded, but some of what it asked for was left undone: a box\n"
         "     titled \"Nice....\" or \"Sorry, no go....\" said a file was not found,\n"
         "     read, merged, written or converted, or that nothing was saved or\n"
         "     split, or a script line loaded nothing\n";
}

}  // namespace vsm
