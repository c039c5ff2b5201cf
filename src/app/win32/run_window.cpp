#include <windows.h>

#include <commctrl.h>

#include "app/win32/window_session.h"
#include "app/window_entry.h"
#include "platform/files.h"

namespace vsm {

namespace {

void RunMessageLoop(MainWindow& window) {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) window.Dispatch(message);
}

}  // namespace

Expected<int> RunWindow(int argc, char** argv, const std::string& converter_folder) {
  INITCOMMONCONTROLSEX common_controls{sizeof common_controls,
                                       ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&common_controls);
  WindowSession run(CurrentFolder(), converter_folder);
  const auto started = run.StartUp();
  if (!started) {
    ShowStartFailure(argc, argv, StartFailureText(started.error()));
    return Unexpected<std::string>{started.error()};
  }
  if (!*started) {
    MessageBoxA(nullptr, "The window could not be opened.", "VRK Split & Merge",
                MB_OK | MB_ICONERROR);
    return 1;
  }
  run.window.on_destroyed = [] { PostQuitMessage(0); };
  run.window.Show();
  RunMessageLoop(run.window);
  run.Finish();
  // Closing the window is the only way to end the tool, and it always ends well.
  return 0;
}

void ShowStartFailure(int, char**, const std::string& message) {
  MessageBoxA(nullptr, message.c_str(), "VRK Split & Merge", MB_OK | MB_ICONERROR);
}

}  // namespace vsm
