#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/expected.h"
#include "session/session.h"

namespace vsm {

// Start-up in two halves, so that the window can be built between them.

// The journal of the tool's temporaries (TemporaryJournal), in the work folder.
inline constexpr const char* kTemporaryJournalName = "vrk-split-merge.journal";

// Makes the start folder ready, or says why the tool must not work there (nothing is written
// then): a name with a line break, which would break the lines of the scripts a split writes; a
// working folder that is a symbolic link or no folder, which would lead the tool's files
// elsewhere; a folder too deep for the pieces of a split (on Windows), or one in which the working
// folders cannot be made; another tool working there, or a lock on the work folder that cannot be
// taken at all (FolderLock). Otherwise it creates the working folders, takes the lock for the
// session, removes the temporaries that the journal of a killed run names, opens the journal anew,
// and writes the default satellite table when it is missing.
Expected<void> PrepareWorkingFolders(Session& session);

// Shows the version text in status field 1 and selects "Keep existing providers".
void ShowStartState(Session& session);

// Both halves, for a run without a window.
Expected<void> StartUp(Session& session);

// Why the tool must not start in a folder of this name, said in full; nothing for a fit name.
std::optional<std::string> UnfitStartFolderName(std::string_view folder);

// The end of a run: the conversions to binary run in the background, so the tool ends only when
// they have ended, and reports those that failed.
void FinishConversions(Session& session);

}  // namespace vsm
