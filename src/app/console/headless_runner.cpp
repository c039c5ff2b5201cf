#include "app/console/headless_runner.h"

#include "app/console/start_folder.h"
#include "app/console/tool_arguments.h"
#include "format/reader.h"
#include "platform/files.h"
#include "session/session.h"
#include "session/startup.h"
#include "session/user_operations.h"

namespace vsm {

int RunHeadless(Platform& platform, const std::string& file, const std::string& converter_folder) {
  Session session(platform, CurrentFolder(), converter_folder);
  if (auto started = StartUp(session); !started) return ReportStartFailure(started.error());
  Workspace& workspace = session.workspace;
  session.controls.RestoreOperationCaptions();
  const bool loaded = LoadAndReport(session, file);
  FinishConversions(session);
  if (!loaded) return kExitNotLoaded;
  return workspace.left_undone == 0 ? kExitLoaded : kExitLeftUndone;
}

}  // namespace vsm
