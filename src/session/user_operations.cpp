#include "session/user_operations.h"

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

// A dialog's answer counts as a choice only when it is longer than 4 characters (a cancelled
// dialog answers ""). `folder` is where the dialog opens: the start folder the first time (the
// tool never changes its current folder), then the folder of the last file chosen in it.
bool ChooseCurrentFile(Workspace& workspace, Dialog dialog, std::string_view title,
                       std::string& folder) {
  if (folder.empty()) folder = workspace.settings.start_folder;
  std::string& current_file = workspace.settings.current_file;
  current_file = dialog == Dialog::open ? workspace.platform.ChooseFileToOpen(title, folder)
                                        : workspace.platform.ChooseFileToSave(title, folder);
  if (current_file.size() <= 4) return false;
  folder = FolderPart(current_file);
  return true;
}

std::string CurrentFilePart(const Workspace& workspace) {
  return std::string(FilePart(workspace.settings.current_file));
}

bool HoldsList(const Workspace& workspace) { return !workspace.main_set.antennas.empty(); }

}  // namespace

void ReportLoadOutcome(Workspace& workspace, bool loaded) {
  Platform& platform = workspace.platform;
  if (loaded) {
    platform.SetStatus(StatusField::outcome, "Done loading.");
    platform.SetCaption(Button::load, "Loaded " + CurrentFilePart(workspace));
  } else {
    workspace.ShowMessage(
        kTitleNice, "LoadFile: No file specified or found.\r\n" + workspace.settings.current_file);
    platform.SetCaption(Button::load, "Load");
  }
  platform.SetStatus(StatusField::detail, CountText(workspace));
}

void LoadFile(Session& session) {
  Workspace& workspace = session.workspace;
  if (!ChooseCurrentFile(workspace, Dialog::open, "Please choose file to load",
                         session.dialog_folders.load_folder)) {
    return;
  }
  session.controls.RestoreOperationCaptions();
  ReportLoadOutcome(workspace, LoadThisFile(workspace));
}

void MergeFile(Session& session) {
  Workspace& workspace = session.workspace;
  if (!HoldsList(workspace)) {
    LoadFile(session);
    return;
  }
  if (!ChooseCurrentFile(workspace, Dialog::open, "Please choose file to merge",
                         session.dialog_folders.merge_folder)) {
    return;
  }
  Platform& platform = workspace.platform;
  if (MergeThisFile(workspace)) {
    platform.SetStatus(StatusField::outcome, "Done merging.");
    platform.SetCaption(Button::merge, "Merged " + CurrentFilePart(workspace));
    platform.SetCaption(Button::save, "Save");
    platform.SetCaption(Button::split, workspace.settings.split_caption);
  } else {
    platform.SetStatus(StatusField::outcome, "File not merged.");
  }
  platform.SetStatus(StatusField::detail, CountText(workspace));
}

void SaveFile(Session& session) {
  Workspace& workspace = session.workspace;
  if (!HoldsList(workspace)) return;
  Platform& platform = workspace.platform;
  if (!ChooseCurrentFile(workspace, Dialog::save, "Please choose file to save",
                         session.dialog_folders.save_folder)) {
    platform.SetCaption(Button::save, "Save");
    platform.SetStatus(StatusField::outcome, "Nothing saved.");
    return;
  }
  if (SaveThisFile(workspace, Button::save)) {
    platform.SetStatus(StatusField::outcome, "Done saving.");
  }
}

void SplitFile(Session& session) { SplitAsChecked(session.workspace, session.controls); }

}  // namespace vsm
