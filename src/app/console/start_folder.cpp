#include "app/console/start_folder.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/user_folders.h"

namespace vsm {

std::string DefaultStartFolder() {
  const std::string documents = DocumentsFolder();
  if (documents.empty()) return {};
  return WithTrailingSeparator(documents) + kDocumentsFolderName;
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
  if (IsRegularFile(folder)) {
    message = "cannot start in \"" + folder + "\": it is a file, not a folder";
    return false;
  }
  std::string reason;
  if (!CreateFolderWithParents(folder, &reason)) {
    message = "cannot create the folder \"" + folder + "\": " + reason;
    return false;
  }
  if (!ChangeCurrentFolder(folder, &reason)) {
    message = "cannot start in the folder \"" + folder + "\": " + reason;
    return false;
  }
  return true;
}

}  // namespace vsm
