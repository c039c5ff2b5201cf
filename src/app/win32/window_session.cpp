#include "app/win32/window_session.h"

#include "format/conversions.h"
#include "session/startup.h"
#include "session/user_operations.h"

namespace vsm {

WindowSession::WindowSession(std::string start_folder, std::string converter_folder)
    : session(platform, std::move(start_folder), std::move(converter_folder)),
      window(session.controls, session.workspace,
             [this](Button button) { RunButtonOperation(session, button); }) {
  platform.Attach(window.handles());
  window.on_timer = [this] { LookAfterConversions(); };
}

Expected<bool> WindowSession::StartUp() {
  if (auto prepared = PrepareWorkingFolders(session); !prepared) {
    return Unexpected<std::string>{prepared.error()};
  }
  if (!window.Create()) return false;
  ShowStartState(session);
  window.StartTimer(kConversionPollMilliseconds);
  return true;
}

void WindowSession::Finish() { FinishConversions(session); }

// Starts the conversions waiting for their turn and reports the failed ones. Only while the
// window is idle: during an operation the engine does this itself. A box shown here holds a close
// request like an operation does.
void WindowSession::LookAfterConversions() {
  if (window.OperationRunning() || session.workspace.script_running) return;
  window.RunOperation([this] { ReportFailedConversions(session.workspace); });
}

}  // namespace vsm
