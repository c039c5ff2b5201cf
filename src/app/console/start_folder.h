#pragma once

#include <string>
#include <string_view>

#include "app/console/tool_arguments.h"
#include "platform/expected.h"

namespace vsm {

// The folder of the tool's own among the user's documents, where the desktop menu starts it
// (`--folder` without a name): one folder named as the menu names the tool, so that its working
// folders stay together and out of the way of the user's own folders.
inline constexpr const char* kDocumentsFolderName = "VRK Split & Merge";
std::string DefaultStartFolder();

// Makes the folder that the arguments choose the process's current folder, creating it and the
// folders above it when missing, before start-up takes the start folder from it. On failure
// nothing is created and `message` names the folder and says why.
bool EnterStartFolder(const ToolArguments& arguments, std::string& message);

// Says on standard error why the tool does not start: a folder it cannot start in, converters that
// are not there. Returns the exit status of wrong arguments, as nothing has started yet.
int ReportStartFailure(const std::string& message);

// The folder the converters are taken from, as an absolute name: the one that --converters names
// (a relative name is taken from the start folder that the arguments choose, as every name the
// tool is given), else the tool's own folder (ProgramFolder of `argv0`, asked before anything
// changes the current folder). Why not, naming the folder and the program it lacks, when that
// folder is not there or lacks a converter program that the tool may run; nothing is created
// then.
Expected<std::string> ChooseConverterFolder(const ToolArguments& arguments, std::string_view argv0);

}  // namespace vsm
