#pragma once

#include <string>

#include "app/win32/main_window.h"
#include "app/win32/win32_platform.h"
#include "session/session.h"

namespace vsm {

// One run of the tool with its Windows window: the platform, the session it serves and the
// window that drives the session's controls, wired together.
class WindowSession {
 public:
  // How often the idle window looks after the conversions that the saves and splits started.
  static constexpr UINT kConversionPollMilliseconds = 300;

  WindowSession(std::string start_folder, std::string converter_folder);
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  // The start-up steps around the window: working folders and satellite table, the window (not
  // yet shown), then the version text and "Keep existing providers". Why not, when the tool must
  // not work in its start folder (nothing is open then); false when the window cannot be opened.
  Expected<bool> StartUp();
  // After the window has closed: lets the conversions still running end and reports the failed
  // ones. Nothing is saved.
  void Finish();

  Win32Platform platform;
  Session session;
  MainWindow window;

 private:
  void LookAfterConversions();
};

}  // namespace vsm
