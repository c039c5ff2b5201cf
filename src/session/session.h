#pragma once

#include <optional>
#include <string>

#include "model/workspace.h"
#include "platform/folder_lock.h"
#include "platform/platform.h"
#include "script/controls.h"

namespace vsm {

// The folder in which each file dialog opens next; empty until that dialog is first opened.
struct DialogFolders {
  std::string load_folder;
  std::string merge_folder;
  std::string save_folder;
};

// One run of the tool: the workspace, the controls that set its options (and with which a batch
// script that is loaded runs), the dialog folders, and the lock on the start folder that start-up
// takes.
class Session {
 public:
  // `converter_folder`: where the converter programs are taken from (Settings::converter_folder).
  Session(Platform& platform, std::string start_folder, std::string converter_folder);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // First, so that it is released last: the workspace's conversions and temporaries end before.
  std::optional<FolderLock> start_folder_lock;
  Workspace workspace;
  Controls controls;
  DialogFolders dialog_folders;
};

}  // namespace vsm
