#include <cstdio>
#include <string>
#include <vector>

#include "app/console/console_platform.h"
#include "app/console/headless_runner.h"
#include "app/console/start_folder.h"
#include "app/console/tool_arguments.h"
#include "platform/files.h"
#include "session/version.h"

#if VSM_HAVE_WINDOW
#include "app/window_entry.h"
#endif

namespace {

int OpenWindow([[maybe_unused]] const vsm::ToolArguments& arguments, [[maybe_unused]] int argc,
               [[maybe_unused]] char** argv) {
#if VSM_HAVE_WINDOW
  // The window gets the program's name only: the tool's own arguments are not the toolkit's.
  const int name_only = argc > 0 ? 1 : 0;
  const auto converters = vsm::ChooseConverterFolder(arguments, argc > 0 ? argv[0] : "");
  std::string message = converters ? std::string() : converters.error();
  if (!converters || !vsm::EnterStartFolder(arguments, message)) {
    // Started from a menu there is no console to read the message in.
    vsm::ShowStartFailure(name_only, argv, vsm::StartFailureText(message));
    return vsm::ReportStartFailure(message);
  }
  const auto ran = vsm::RunWindow(name_only, argv, *converters);
  return ran ? *ran : vsm::ReportStartFailure(ran.error());
#else
  std::fputs("This build has no window; run a file with --run.\n\n", stderr);
  std::fputs(vsm::UsageText().c_str(), stderr);
  return vsm::kExitUsage;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  vsm::UseBinaryStandardStreams();
  vsm::LetFailedWritesBeReported();
  const vsm::ToolArguments arguments =
      vsm::ParseToolArguments(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  switch (arguments.mode) {
    case vsm::ToolArguments::Mode::window:
      return OpenWindow(arguments, argc, argv);
    case vsm::ToolArguments::Mode::help:
      std::fputs(vsm::UsageText().c_str(), stdout);
      return 0;
    case vsm::ToolArguments::Mode::version:
      std::puts(vsm::VersionText().c_str());
      return 0;
    case vsm::ToolArguments::Mode::usage_error:
      std::fprintf(stderr, "vrk-split-merge: %s\n\n%s", arguments.error.c_str(),
                   vsm::UsageText().c_str());
      return vsm::kExitUsage;
    case vsm::ToolArguments::Mode::run:
      break;
  }
  const auto converters = vsm::ChooseConverterFolder(arguments, argc > 0 ? argv[0] : "");
  if (!converters) return vsm::ReportStartFailure(converters.error());
  std::string message;
  if (!vsm::EnterStartFolder(arguments, message)) return vsm::ReportStartFailure(message);
  vsm::ConsolePlatform platform(stderr, arguments.trace ? stdout : nullptr);
  return vsm::RunHeadless(platform, arguments.file, *converters);
}
