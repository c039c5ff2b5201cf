#include "app/console/start_folder.h"

#include <cstdio>

#include "format/conversions.h"
#include "model/messages.h"
#include "platform/files.h"
#include "platform/paths.h"
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

}  // namespace

std::optional<std::string> ChooseConverterFolder(const ToolArguments& arguments,
                                                 std::string& message) {
  if (arguments.converters.empty()) return ExecutableFolder();
  const std::string folder =
      IsAbsolutePath(arguments.converters)
          ? arguments.converters
          : WithTrailingSeparator(ChosenStartFolder(arguments)) + arguments.converters;
  if (!IsFolder(folder)) {
    message = CannotTakeConverters(arguments.converters, "there is no such folder");
    return std::nullopt;
  }
  std::string missing;
  for (const char* converter : {kToTextConverter, kToBinaryConverter}) {
    const std::string program = std::string(converter) + kExecutableSuffix;
    if (IsRegularFile(WithTrailingSeparator(folder) + program)) continue;
    missing += (missing.empty() ? "it has no program " : " and no program ") + program;
  }
  if (!missing.empty()) {
    message = CannotTakeConverters(arguments.converters, missing);
    return std::nullopt;
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
