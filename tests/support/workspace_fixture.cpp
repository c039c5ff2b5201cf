#include "workspace_fixture.h"

#include "format/reader.h"
#include "merge/merge_driver.h"
#include "platform/files.h"
#include "split/save_driver.h"

namespace vsm::test_support {

WorkspaceTest::WorkspaceTest() : workspace(platform, folder.path()) {
  const Settings& settings = workspace.settings;
  for (const auto& sub : {settings.work_folder, settings.keep_folder, settings.result_folder}) {
    CreateFolder(settings.start_folder + sub.substr(0, sub.size() - 1));
  }
  workspace.settings.converter_folder = ExecutableFolder();
}

std::string WorkspaceTest::WriteList(std::string_view name, std::string_view content) {
  const std::string path = folder / name;
  WriteFile(path, content);
  return path;
}

bool WorkspaceTest::Load(std::string_view name) { return LoadList(workspace, folder / name); }

bool LoadList(Workspace& workspace, const std::string& file) {
  BeginLoad(workspace, file);
  return workspace.Report(ReadListFile(workspace, file));
}

bool MergeList(Workspace& workspace, const std::string& file) {
  return workspace.Report(MergeThisFile(workspace, file));
}

bool SaveList(Workspace& workspace, const std::string& file, Button button) {
  return workspace.Report(SaveThisFile(workspace, file, button));
}

}  // namespace vsm::test_support
