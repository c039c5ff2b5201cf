#pragma once

#include "model/messages.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace vsm {

// Saves the main set as `file`, with the filters and provider naming of the options applied: a
// ".txt" target is written as the text form itself; any other target is saved as ".vrk"
// (appended unless the name ends in ".vrk"; the endings in any letter case) through its text form
// in the work folder.
// current_file and text_file name the two. `button` receives "Saved " + the file part. Not done,
// with the caption "Save" and the box that says why, when nothing was written: for an empty main
// set (current_file "nothing"), when no channel is kept (an existing target stays as it is), or
// when the file could not be written.
Outcome SaveThisFile(Workspace& workspace, std::string file, Button button);

}  // namespace vsm
