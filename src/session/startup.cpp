#include "session/startup.h"

#include "format/conversions.h"
#include "platform/files.h"
#include "session/version.h"
#include "split/sat_position_table.h"

namespace vsm {
namespace {

// Folder names end in a separator; the folder itself is created without it.
void CreateWorkingFolder(const Settings& settings, const std::string& folder) {
  CreateFolder(settings.start_folder + folder.substr(0, folder.size() - 1));
}

}  // namespace

void PrepareWorkingFolders(Session& session) {
  Settings& settings = session.workspace.settings;
  // An existing folder is the normal case, and one that cannot be created shows up later, when
  // a file in it cannot be written.
  CreateWorkingFolder(settings, settings.work_folder);
  CreateWorkingFolder(settings, settings.keep_folder);
  CreateWorkingFolder(settings, settings.result_folder);
  EnsureSatPositionFile(session.workspace);
}

void ShowStartState(Session& session) {
  session.workspace.platform.SetStatus(StatusField::detail, VersionText());
  session.controls.Click(Control::keep_existing_option, true);
}

void StartUp(Session& session) {
  PrepareWorkingFolders(session);
  ShowStartState(session);
}

void FinishConversions(Session& session) {
  Workspace& workspace = session.workspace;
  workspace.conversions.WaitAll(workspace.platform);
  ReportFailedConversions(workspace);
}

}  // namespace vsm
