#pragma once

#include <string>

#include "session/session.h"

namespace vsm {

// The operations behind the push buttons. Each asks for a file through the platform's dialogs
// (the answer becomes current_file), calls one engine entry on the file chosen and reports
// through captions, status fields and, for a failed load, a message box.

// The load dialog, then LoadThisFile. A cancelled dialog changes nothing.
void LoadFile(Session& session);

// The merge dialog, then MergeThisFile; acts as LoadFile while the main set holds no list.
void MergeFile(Session& session);

// The save dialog, then SaveThisFile; does nothing while the main set holds no list.
void SaveFile(Session& session);

// The split button: per provider when the split-kind box is checked, else per antenna.
void SplitFile(Session& session);

// The operation behind `button`, as a window runs it on a click.
void RunButtonOperation(Session& session, Button button);

// What the load operation shows once LoadThisFile(`file`) has returned `loaded`: "Done loading."
// and "Loaded <file>", or the "Nice...." box and "Load"; then the count text.
void ReportLoadOutcome(Workspace& workspace, const std::string& file, bool loaded);

// The load operation once the file is chosen: LoadThisFile, its box when it was not done, then
// what ReportLoadOutcome shows. True when the file was loaded.
bool LoadAndReport(Session& session, const std::string& file);

}  // namespace vsm
