#include "app/qt/window_session.h"

#include "format/conversions.h"
#include "session/startup.h"
#include "session/user_operations.h"

namespace vsm {

WindowSession::WindowSession(std::string start_folder, std::string converter_folder)
    : session(platform, std::move(start_folder), std::move(converter_folder)),
      window(platform, session.controls, session.workspace,
             [this](Button button) { RunButtonOperation(session, button); }) {
  platform.Attach(window.Widgets());
  conversion_timer_.setInterval(kConversionPollMilliseconds);
  QObject::connect(&conversion_timer_, &QTimer::timeout, &window,
                   [this] { LookAfterConversions(); });
}

Expected<void> WindowSession::StartUp() {
  if (auto prepared = PrepareWorkingFolders(session); !prepared) return prepared;
  ShowStartState(session);
  conversion_timer_.start();
  return {};
}

void WindowSession::Finish() {
  conversion_timer_.stop();
  FinishConversions(session);
}

// Starts the conversions waiting for their turn and reports the failed ones. Only while the
// window is idle: during an operation the engine does this itself.
void WindowSession::LookAfterConversions() {
  if (looking_after_conversions_ || window.OperationRunning() || session.workspace.script_running) {
    return;
  }
  looking_after_conversions_ = true;
  ReportFailedConversions(session.workspace);
  looking_after_conversions_ = false;
}

}  // namespace vsm
