#include "session/user_operations.h"

#include <optional>
#include <string>

#include "format/reader.h"
#include "merge/merge_driver.h"
#include "model/messages.h"
#include "platform/paths.h"
#include "script/script_interpreter.h"
#include "split/save_driver.h"

namespace vsm {
namespace {

enum class Dialog { open, save };

// The file chosen in a dialog, which also becomes current_file (a cancelled dialog answers "").
// An answer counts as a choice only when it is longer than 4 characters. `folder` is where the
// dialog opens: the start folder the first time (the tool never changes its current folder),
// then the folder of the last file chosen in it.
std::optional<std::string> ChooseFile(Workspace& workspace, Dialog dialog, std::string_view title,
                                      std::string& folder) {
  if (folder.empty()) folder = workspace.settings.start_folder;
  std::string answer = dialog == Dialog::open ? workspace.platform.ChooseFileToOpen(title, folder)
                                              : workspace.platform.ChooseFileToSave(title, folder);
  workspace.settings.current_file = answer;
  if (answer.size() <= 4) return std::nullopt;
  folder = FolderPart(answer);
  return answer;
}

bool HoldsList(const Workspace& workspace) { return !workspace.main_set.antennas.empty(); }

}  // namespace

void ReportLoadOutcome(Workspace& workspace, const std::string& file, bool loaded) {
  Platform& platform = workspace.platform;
  if (loaded) {
    platform.SetStatus(StatusField::outcome, "Done loading.");
  } else {
    workspace.Show(NoFileLoaded(file));
  }
  platform.SetCaption(Button::load, LoadCaption(file, loaded));
  platform.SetStatus(StatusField::detail, CountText(workspace));
}

bool LoadAndReport(Session& session, const std::string& file) {
  Workspace& workspace = session.workspace;
  const bool loaded = workspace.Report(LoadThisFile(workspace, session.controls, file));
  ReportLoadOutcome(workspace, file, loaded);
  return loaded;
}

void LoadFile(Session& session) {
  Workspace& workspace = session.workspace;
  const auto file = ChooseFile(workspace, Dialog::open, "Please choose file to load",
                               session.dialog_folders.load_folder);
  if (!file) return;
  session.controls.RestoreOperationCaptions();
  LoadAndReport(session, *file);
}

void MergeFile(Session& session) {
  Workspace& workspace = session.workspace;
  if (!HoldsList(workspace)) {
    LoadFile(session);
    return;
  }
  const auto file = ChooseFile(workspace, Dialog::open, "Please choose file to merge",
                               session.dialog_folders.merge_folder);
  if (!file) return;
  Platform& platform = workspace.platform;
  if (workspace.Report(MergeThisFile(workspace, *file))) {
    platform.SetStatus(StatusField::outcome, "Done merging.");
    session.controls.RestoreOperationCaptions();
    platform.SetCaption(Button::merge, "Merged " + std::string(FilePart(*file)));
  } else {
    platform.SetStatus(StatusField::outcome, "File not merged.");
  }
  platform.SetStatus(StatusField::detail, CountText(workspace));
}

void SaveFile(Session& session) {
  Workspace& workspace = session.workspace;
  if (!HoldsList(workspace)) return;
  Platform& platform = workspace.platform;
  const auto file = ChooseFile(workspace, Dialog::save, "Please choose file to save",
                               session.dialog_folders.save_folder);
  if (!file) {
    platform.SetCaption(Button::save, "Save");
    platform.SetStatus(StatusField::outcome, "Nothing saved.");
    return;
  }
  if (workspace.Report(SaveThisFile(workspace, *file, Button::save))) {
    platform.SetStatus(StatusField::outcome, "Done saving.");
  }
}

void SplitFile(Session& session) { SplitAsChecked(session.workspace, session.controls); }

void RunButtonOperation(Session& session, Button button) {
  switch (button) {
    case Button::load:
      LoadFile(session);
      break;
    case Button::merge:
      MergeFile(session);
      break;
    case Button::save:
      SaveFile(session);
      break;
    case Button::split:
      SplitFile(session);
      break;
  }
}

}  // namespace vsm
