#include "app/console/start_folder.h"

#include <cstdio>

#include "format/conversions.h"
#include "model/messages.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/program_folder.h"
#include "platform/user_folders.h"
#include "session/startup.h"

namespace vsm {

std::string DefaultStartFolder() {
  const std::string documents = DocumentsFolder();
  if (documents.empty()) return {};
  return WithTrailingSeparator(documents) + kDocumentsFolderName;
}

namespace {

// The start folder that the arguments choose, as a whole name; "" when there is none.
std::string ChosenStartFolder(const ToolArguments& arguments) {
  switch (arguments.start_folder) {
    case ToolArguments::StartFolder::current:
      return CurrentFolder();
    case ToolArguments::StartFolder::given:
      return IsAbsolutePath(arguments.folder)
                 ? arguments.folder
                 : WithTrailingSeparator(CurrentFolder()) + arguments.folder;
    case ToolArguments::StartFolder::documents:
      return DefaultStartFolder();
  }
  return {};
}

// Why `folder` cannot give the converters: the programs it lacks or may not run; nothing when it
// holds both.
std::optional<std::string> MissingConverters(const std::string& folder) {
  std::string missing;
  for (const char* converter : {kToTextConverter, kToBinaryConverter}) {
    const std::string program = std::string(converter) + kExecutableSuffix;
    const std::string path = WithTrailingSeparator(folder) + program;
    if (IsExecutableFile(path)) continue;
    missing += missing.empty() ? "it has " : " and ";
    missing += IsRegularFile(path) ? "a program " + program + " that is not executable"
                                   : "no program " + program;
  }
  if (missing.empty()) return std::nullopt;
  return missing;
}

}  // namespace

Expected<std::string> ChooseConverterFolder(const ToolArguments& arguments,
                                            std::string_view argv0) {
  if (arguments.converters.empty()) {
    const std::string own = ProgramFolder(argv0);
    if (own.empty()) return Failure(CannotFindTheToolsOwnFolder());
    if (auto missing = MissingConverters(own)) {
      return Failure(CannotTakeConvertersBesideTheTool(own.substr(0, own.size() - 1), *missing));
    }
    return own;
  }
  const std::string folder =
      IsAbsolutePath(arguments.converters)
          ? arguments.converters
          : WithTrailingSeparator(ChosenStartFolder(arguments)) + arguments.converters;
  if (!IsAbsolutePath(folder) || !IsFolder(folder)) {
    return Failure(CannotTakeConverters(arguments.converters, "there is no such folder"));
  }
  if (auto missing = MissingConverters(folder)) {
    return Failure(CannotTakeConverters(arguments.converters, *missing));
  }
  return WithTrailingSeparator(folder);
}

int ReportStartFailure(const std::string& message) {
  std::fprintf(stderr, "vrk-split-merge: %s\n", message.c_str());
  return kExitUsage;
}

bool EnterStartFolder(const ToolArguments& arguments, std::string& message) {
  std::string folder;
  switch (arguments.start_folder) {
    case ToolArguments::StartFolder::current:
      return true;
    case ToolArguments::StartFolder::given:
      folder = arguments.folder;
      break;
    case ToolArguments::StartFolder::documents:
      folder = DefaultStartFolder();
      if (folder.empty()) {
        message = "cannot find the documents folder (nor a home folder) to start in";
        return false;
      }
      break;
  }
  if (auto unfit = UnfitStartFolderName(folder)) {
    message = *unfit;
    return false;
  }
  if (IsRegularFile(folder)) {
    message = CannotStartIn(folder, "it is a file, not a folder");
    return false;
  }
  std::string reason;
  if (!CreateFolderWithParents(folder, &reason)) {
    message = CannotCreateFolder(folder, reason);
    return false;
  }
  if (!ChangeCurrentFolder(folder, &reason)) {
    message = CannotStartIn(folder, reason);
    return false;
  }
  return true;
}

}  // namespace vsm
