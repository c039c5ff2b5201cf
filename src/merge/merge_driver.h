#pragma once

#include "model/workspace.h"

namespace vsm {

// Merges the channel list `file` (a text form or a binary list) into the main set; `file` becomes
// current_file, and text_file names the text form read. False, after a message, when the file
// was already loaded or merged, its text form could not be read, or one of its indexes names no
// record of the file; the main set is unchanged then.
bool MergeThisFile(Workspace& workspace, std::string file);

// Folds the filled merge set into the main set in five phases, each announced in status field 1.
void MergeRecords(Workspace& workspace);

}  // namespace vsm
