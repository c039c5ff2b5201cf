#pragma once

#include "session/session.h"

namespace vsm {

// Start-up in two halves, so that the window can be built between them.

// Creates the working folders below the start folder and writes the default satellite table when
// it is missing.
void PrepareWorkingFolders(Session& session);

// Shows the version text in status field 1 and selects "Keep existing providers".
void ShowStartState(Session& session);

// Both halves, for a run without a window.
void StartUp(Session& session);

// The end of a run: the conversions to binary run in the background, so the tool ends only when
// they have ended, and reports those that failed.
void FinishConversions(Session& session);

}  // namespace vsm
