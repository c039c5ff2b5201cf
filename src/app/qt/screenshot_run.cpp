#include "app/qt/screenshot_run.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/qt/window_session.h"

namespace vsm {

namespace {

QString Environment(const char* name) { return qEnvironmentVariable(name); }

void ClickWithAnswer(WindowSession& run, Button button, const QString& answer) {
  if (answer.isEmpty()) return;
  run.platform.choose_file_to_open = [answer](QWidget*, const FileDialogRequest&) {
    return answer;
  };
  run.window.button(button)->click();
}

void TakeScreenshot(WindowSession& run, const QString& picture) {
  run.platform.show_message = [](QWidget*, const QString& title, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
  };
  ClickWithAnswer(run, Button::load, Environment("VSM_SCREENSHOT_LOAD"));
  ClickWithAnswer(run, Button::merge, Environment("VSM_SCREENSHOT_MERGE"));
  QCoreApplication::processEvents();
  if (!run.window.grab().save(picture, "PNG")) {
    std::fprintf(stderr, "Cannot write the picture %s\n", qPrintable(picture));
  }
  run.window.close();
}

}  // namespace

void ArrangeScreenshotIfAsked(WindowSession& run) {
  const QString picture = Environment("VSM_SCREENSHOT");
  if (picture.isEmpty()) return;
  // Once the event loop runs, so that the window has been laid out and shown.
  QTimer::singleShot(200, &run.window, [&run, picture] { TakeScreenshot(run, picture); });
}

}  // namespace vsm
