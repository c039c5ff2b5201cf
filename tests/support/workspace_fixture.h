#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "list_text.h"
#include "model/workspace.h"
#include "recording_platform.h"
#include "temp_folder.h"

namespace vsm::test_support {

// The tool's entries as its operations use them: the box of what was not done shown through the
// workspace, and whether it was done returned. LoadList loads a channel list as every load does,
// without the batch-script dispatch of LoadThisFile (which needs the session's controls).
bool LoadList(Workspace& workspace, const std::string& file);
bool MergeList(Workspace& workspace, const std::string& file);
bool SaveList(Workspace& workspace, const std::string& file, Button button = Button::save);

// A workspace whose start folder is a fresh temporary folder with the three working folders, and
// whose converters are the ones built beside the test program.
class WorkspaceTest : public testing::Test {
 protected:
  WorkspaceTest();

  // Writes `content` as `name` in the start folder and returns its full name.
  std::string WriteList(std::string_view name, std::string_view content);
  // Loads a file of the start folder into the main set.
  bool Load(std::string_view name);
  std::string Path(std::string_view name) const { return folder / name; }

  TempFolder folder;
  RecordingPlatform platform;
  Workspace workspace;
};

}  // namespace vsm::test_support
