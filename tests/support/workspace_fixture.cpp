#include "workspace_fixture.h"

#include "format/reader.h"
#include "platform/files.h"

namespace vsm::testing {

std::string CrLf(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const auto line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

WorkspaceTest::WorkspaceTest() : workspace(platform, folder.path()) {
  const Settings& settings = workspace.settings;
  for (const auto& sub : {settings.work_folder, settings.keep_folder, settings.result_folder}) {
    CreateFolder(settings.start_folder + sub.substr(0, sub.size() - 1));
  }
  workspace.settings.program_folder = ExecutableFolder();
}

std::string WorkspaceTest::WriteList(std::string_view name, std::string_view content) {
  const std::string path = folder / name;
  WriteFile(path, content);
  return path;
}

bool WorkspaceTest::Load(std::string_view name) {
  workspace.settings.current_file = folder / name;
  return LoadThisFile(workspace);
}

}  // namespace vsm::testing
