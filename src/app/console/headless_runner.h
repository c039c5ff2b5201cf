#pragma once

#include <string>

#include "platform/platform.h"

namespace vsm {

// Loads `file` without a window, as the Load button does after its dialog: start-up in the
// current folder, the captions of a load, LoadThisFile (so a batch script runs), and the report
// of the load. Waits for every conversion started meanwhile and reports those that failed.
// kExitNotLoaded when LoadThisFile returned false; otherwise kExitLoaded when everything the run
// was asked to read, merge, write and convert was done, kExitLeftUndone when some of it was not;
// kExitUsage, after the message, when the tool must not work in the current folder
// (PrepareWorkingFolders). The converters are taken from `converter_folder`.
int RunHeadless(Platform& platform, const std::string& file, const std::string& converter_folder);

}  // namespace vsm
