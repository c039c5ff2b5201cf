#pragma once

#include <QTimer>
#include <string>

#include "app/qt/main_window.h"
#include "app/qt/qt_platform.h"
#include "session/session.h"

namespace vsm {

// One run of the tool with its window: the Qt platform, the session it serves and the window
// that drives the session's controls, wired together.
class WindowSession {
 public:
  // How often the idle window looks after the conversions that the saves and splits started.
  static constexpr int kConversionPollMilliseconds = 300;

  WindowSession(std::string start_folder, std::string converter_folder);
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  // The start-up steps around the window: working folders and satellite table, then the version
  // text and "Keep existing providers". The window is built already but not yet shown. Why not,
  // when the tool must not work in its start folder.
  Expected<void> StartUp();
  // After the window has closed: lets the conversions still running end and reports the failed
  // ones. Nothing is saved.
  void Finish();

  QtPlatform platform;
  Session session;
  MainWindow window;

 private:
  void LookAfterConversions();

  QTimer conversion_timer_;
  bool looking_after_conversions_ = false;
};

}  // namespace vsm
