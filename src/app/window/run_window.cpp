#include <QApplication>

#include "app/window/screenshot_run.h"
#include "app/window/window_session.h"
#include "app/window_entry.h"
#include "platform/files.h"

namespace vsm {

int RunWindow(int argc, char** argv) {
  QApplication application(argc, argv);
  WindowSession run(CurrentFolder());
  run.StartUp();
  run.window.show();
  ArrangeScreenshotIfAsked(run);
  application.exec();
  run.Finish();
  // Closing the window is the only way to end the tool, and it always ends well.
  return 0;
}

}  // namespace vsm
