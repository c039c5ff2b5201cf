#include "workspace_fixture.h"

#include "format/reader.h"
#include "merge/merge_driver.h"
#include "platform/files.h"
#include "split/save_driver.h"

namespace vsm::test_support {

std::string CrLf(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const auto line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string OneAntennaListText(std::string_view antenna, int tv) {
  std::string text =
      CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", "0\t1\t2\t3\t4\t5\t6\t7\t" + std::string(antenna),
            "[TS]", "0\t11778\t27500\t0\t0\t0\t0\t0", "[NETWORK]", "[PROVIDER]", "P", "[SERVICE]"});
  for (int i = 1; i <= tv; ++i) {
    text += CrLf({"V\t0\t0\t0\t0\t0\t0\tFALSE\tFALSE\tFALSE\t0\t0\tTv " + std::to_string(i) + "\t" +
                  std::to_string(i)});
  }
  text += CrLf({"R\t0\t0\t0\t0\t0\t0\tFALSE\tFALSE\tFALSE\t0\t0\tRadio\t1", "[MENU]"});
  return text;
}

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
