#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/qt/display_text.h"
#include "app/qt/window_session.h"
#include "app/window_entry.h"
#include "platform/files.h"

namespace vsm {

namespace {

// Without a display Qt would stop the process with a message of its own; say what to do instead.
bool HasDisplay() {
#if defined(__linux__)
  return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
         qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
#else
  return true;
#endif
}

}  // namespace

Expected<int> RunWindow(int argc, char** argv, const std::string& converter_folder) {
  if (!HasDisplay()) {
    std::fputs(
        "vrk-split-merge: no display to open the window on. Set DISPLAY (or QT_QPA_PLATFORM, "
        "e.g. vnc), or run a list or script without a window: vrk-split-merge --run FILE\n",
        stderr);
    return 1;
  }
  QApplication application(argc, argv);
  WindowSession run(CurrentFolder(), converter_folder);
  if (auto started = run.StartUp(); !started) {
    QMessageBox::critical(nullptr, "VRK Split & Merge",
                          DisplayText(StartFailureText(started.error())));
    return Unexpected<std::string>{started.error()};
  }
  run.window.show();
  application.exec();
  run.Finish();
  // Closing the window is the only way to end the tool, and it always ends well.
  return 0;
}

void ShowStartFailure(int argc, char** argv, const std::string& message) {
  if (!HasDisplay()) return;
  QApplication application(argc, argv);
  QMessageBox::critical(nullptr, "VRK Split & Merge", DisplayText(message));
}

}  // namespace vsm
