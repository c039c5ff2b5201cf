#include <cstdio>
#include <string>
#include <vector>

#include "app/headless_runner.h"
#include "app/version.h"
#include "platform/console_platform.h"

#if VSM_HAVE_WINDOW
#include "app/window_entry.h"
#endif

namespace {

int RunWithoutArguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#if VSM_HAVE_WINDOW
  return vsm::RunWindow(argc, argv);
#else
  std::fputs("This build has no window; run a file with --run.\n\n", stderr);
  std::fputs(vsm::UsageText().c_str(), stderr);
  return vsm::kExitUsage;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  vsm::UseBinaryStandardStreams();
  const vsm::CommandLine command_line =
      vsm::ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  switch (command_line.mode) {
    case vsm::CommandLine::Mode::window:
      return RunWithoutArguments(argc, argv);
    case vsm::CommandLine::Mode::help:
      std::fputs(vsm::UsageText().c_str(), stdout);
      return 0;
    case vsm::CommandLine::Mode::version:
      std::puts(vsm::VersionText().c_str());
      return 0;
    case vsm::CommandLine::Mode::usage_error:
      std::fprintf(stderr, "vrk-split-merge: %s\n\n%s", command_line.error.c_str(),
                   vsm::UsageText().c_str());
      return vsm::kExitUsage;
    case vsm::CommandLine::Mode::run:
      break;
  }
  vsm::ConsolePlatform platform(stderr, command_line.trace ? stdout : nullptr);
  return vsm::RunHeadless(platform, command_line.file);
}
