#include "session/startup.h"

#include <array>
#include <vector>

#include "format/conversions.h"
#include "model/messages.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "session/version.h"
#include "split/piece_name.h"
#include "split/sat_position_table.h"

namespace vsm {
namespace {

// A folder's name without its trailing separator (a root keeps it), as messages show it.
std::string Shown(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder;
}

Unexpected<std::string> Refusal(std::string_view folder, std::string_view why) {
  return Failure(CannotStartIn(Shown(std::string(folder)), why));
}

// The working folders' names below the start folder, without their separators.
std::array<std::string, 3> WorkingFolders(const Settings& settings) {
  std::array<std::string, 3> folders;
  const std::string* names[] = {&settings.work_folder, &settings.keep_folder,
                                &settings.result_folder};
  for (std::size_t i = 0; i < folders.size(); ++i) {
    folders[i] = names[i]->substr(0, names[i]->size() - 1);
  }
  return folders;
}

// A working folder must be a folder of its own: a link would lead every file the tool makes, and
// the pieces that replace files of the same names, into another folder.
Expected<void> CheckWorkingFolders(const Settings& settings) {
  for (const std::string& folder : WorkingFolders(settings)) {
    const std::string path = settings.start_folder + folder;
    if (IsSymbolicLink(path)) {
      return Refusal(settings.start_folder, "its working folder " + folder +
                                                " is a symbolic link; the tool writes only into "
                                                "folders of its own");
    }
    if (IsPresent(path) && !IsFolder(path)) {
      return Refusal(settings.start_folder, "its working folder " + folder + " is not a folder");
    }
  }
  return {};
}

// A start folder so deep that no piece of a split fits a name of the shortest length within the
// system's path limit would fail every piece.
Expected<void> CheckRoomForPieces(const Settings& settings) {
  const std::optional<std::size_t> room = PieceNameRoom(settings, kLongestPath);
  if (!room || *room >= kShortestPieceName) return {};
  return Refusal(settings.start_folder,
                 "it is too deep: the pieces of a split, even with names of " +
                     std::to_string(kShortestPieceName) +
                     " characters, would need paths longer than " + std::to_string(*kLongestPath) +
                     " characters");
}

// Working folders that cannot be made would fail every write: the start is refused, and the
// folders this start made are removed again.
Expected<void> MakeWorkingFolders(const Settings& settings) {
  std::vector<std::string> made;
  for (const std::string& folder : WorkingFolders(settings)) {
    const std::string path = settings.start_folder + folder;
    const bool there = IsFolder(path);
    if (!there && !CreateFolder(path)) {
      const std::string reason = LastSystemError();
      for (const std::string& made_folder : made) RemoveEmptyFolder(made_folder);
      return Refusal(settings.start_folder,
                     "its working folder " + folder + (" cannot be created: " + reason));
    }
    if (!there) made.push_back(path);
  }
  return {};
}

// Any lock but one that another tool holds would let a second tool in: one that cannot be taken at
// all refuses the start as well.
Expected<void> LockStartFolder(Session& session) {
  const Settings& settings = session.workspace.settings;
  const std::string work_folder = WorkingFolders(settings)[0];
  auto lock = FolderLock::Take(settings.start_folder + work_folder);
  if (lock) {
    session.start_folder_lock.emplace(std::move(*lock));
    return {};
  }
  if (lock.error().held_by_another) {
    return Refusal(settings.start_folder,
                   "another vrk-split-merge is working in it; start again when that one has "
                   "ended");
  }
  return Refusal(settings.start_folder,
                 "its working folder " + work_folder +
                     " cannot be locked against another vrk-split-merge: " + lock.error().reason);
}

// Removes what a run that was killed left of the temporaries its journal names, then starts the
// journal anew.
void TakeOverTemporaryJournal(Workspace& workspace) {
  const std::string journal = workspace.settings.WorkPath(kTemporaryJournalName);
  RemoveLeftTemporaries(TemporaryJournal::Read(journal));
  // A work folder that cannot hold the journal (one that no one may write) lets the tool start,
  // as it lets it read lists; its temporaries are then named nowhere.
  static_cast<void>(workspace.journal.Open(journal));
}

}  // namespace

std::optional<std::string> UnfitStartFolderName(std::string_view folder) {
  if (folder.find_first_of("\r\n") == std::string_view::npos) return std::nullopt;
  std::string shown;
  for (const char c : folder) shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
  return Refusal(shown,
                 "its name holds a line break, which would break the lines of the scripts "
                 "that a split writes")
      .error;
}

Expected<void> PrepareWorkingFolders(Session& session) {
  Settings& settings = session.workspace.settings;
  if (auto unfit = UnfitStartFolderName(settings.start_folder)) return Failure(*unfit);
  if (auto checked = CheckWorkingFolders(settings); !checked) return checked;
  if (auto room = CheckRoomForPieces(settings); !room) return room;
  if (auto made = MakeWorkingFolders(settings); !made) return made;
  if (auto locked = LockStartFolder(session); !locked) return locked;
  TakeOverTemporaryJournal(session.workspace);
  EnsureSatPositionFile(session.workspace);
  return {};
}

void ShowStartState(Session& session) {
  session.workspace.platform.SetStatus(StatusField::detail, VersionText());
  session.controls.Click(Control::keep_existing_option, true);
}

Expected<void> StartUp(Session& session) {
  if (auto prepared = PrepareWorkingFolders(session); !prepared) return prepared;
  ShowStartState(session);
  return {};
}

void FinishConversions(Session& session) {
  Workspace& workspace = session.workspace;
  workspace.conversions.WaitAll(workspace.platform);
  ReportFailedConversions(workspace);
}

}  // namespace vsm
