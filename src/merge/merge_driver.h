#pragma once

#include <string>
#include <string_view>

#include "model/messages.h"
#include "model/workspace.h"

namespace vsm {

// Merges the channel list `file` (a text form or a binary list) into the main set; `file` becomes
// current_file, and text_file names the text form read. Not done, with the box that says why, when
// the file was already loaded or merged, its text form could not be read, or one of its indexes
// names no record of the file; the main set is unchanged then.
Outcome MergeThisFile(Workspace& workspace, const std::string& file);

// The merge of `file` once its text form `text` is in memory and starts with the header: reads
// it into the merge set, lets the text go (the records hold copies of their texts) and folds the
// merge set into the main set. Not done, with its box, when one of its indexes names no record of
// the file; the main set is unchanged then.
Outcome MergeTextForm(Workspace& workspace, const std::string& file, std::string text);

// Folds the filled merge set into the main set in five phases, each announced in status field 1.
void MergeRecords(Workspace& workspace);

}  // namespace vsm
