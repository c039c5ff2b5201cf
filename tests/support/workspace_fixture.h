#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "model/workspace.h"
#include "recording_platform.h"
#include "temp_folder.h"

namespace vsm::test_support {

// Lines joined by CR LF, each ended by it.
std::string CrLf(std::initializer_list<std::string_view> lines);

// A channel list with one antenna named `antenna`, one transponder and one provider, `tv` TV
// services named "Tv 1", "Tv 2", ... and one radio service named "Radio".
std::string OneAntennaListText(std::string_view antenna, int tv);

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
