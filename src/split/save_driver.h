#pragma once

#include "model/workspace.h"
#include "platform/platform.h"

namespace vsm {

// Saves the main set as `file`, with the filters and provider naming of the options applied: a
// ".txt" target is written as the text form itself; any other target is saved as ".vrk"
// (appended unless the name ends in exactly ".vrk") through its text form in the work folder.
// current_file and text_file name the two. `button` receives "Saved " + the file part. False,
// with nothing touched, for an empty main set ("Saved nothing", and current_file "nothing"), and
// false, after a message, when the file could not be written.
bool SaveThisFile(Workspace& workspace, std::string file, Button button);

}  // namespace vsm
