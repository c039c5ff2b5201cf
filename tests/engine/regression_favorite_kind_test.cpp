// Found by the reader fuzzer: a radio favourite whose kind column reads 0 without its line
// starting with "0" (here the column is empty) is written with the kind 0 and so comes back
// among the TV favourites. Every record survives the save and the load; only the order of the
// favourites changes, once.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format/reader.h"
#include "format/text_lines.h"
#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "split/save_driver.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using testing::ReadFile;

// The fuzzer's input, shortened by libFuzzer: lone CRs and LFs, an empty kind column, a NUL.
const std::string kFoundInput(
    "[MORVANE V3 FILE]\r\n[ANTENNA]\r9\n[TS]\r\t\n[NETWORK]\r\n[PROVIDER]\r\n\n"
    "[FAVORITE]\r\t2\n[SERVICE]\nV\0",
    88);

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  LineCursor cursor(text);
  std::string_view line;
  while (cursor.Next(line)) lines.emplace_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

class FavoriteKindTest : public testing::WorkspaceTest {
 protected:
  void LoadAndSave(std::string_view from, std::string_view to) {
    ASSERT_TRUE(Load(from));
    workspace.settings.current_file = Path(to);
    ASSERT_TRUE(SaveThisFile(workspace, Button::save));
  }
};

TEST_F(FavoriteKindTest, ARadioFavoriteOfKindZeroComesBackAsTvWithEveryRecordKept) {
  ASSERT_EQ(kFoundInput.size(), 88u);
  WriteList("input.txt", kFoundInput);
  WriteList("generated.txt",
            GenerateChannelListText({.services = 8, .antennas = 2, .first_antenna = 0, .seed = 7}));
  ASSERT_TRUE(Load("input.txt"));
  ASSERT_EQ(workspace.main_set.radio_favorites.size(), 1u);
  EXPECT_EQ(workspace.main_set.radio_favorites[0].kind, 0);
  workspace.settings.current_file = Path("generated.txt");
  ASSERT_TRUE(MergeThisFile(workspace));
  workspace.settings.current_file = Path("saved.txt");
  ASSERT_TRUE(SaveThisFile(workspace, Button::save));

  LoadAndSave("saved.txt", "resaved.txt");
  EXPECT_NE(ReadFile(Path("resaved.txt")), ReadFile(Path("saved.txt")));  // the order changed
  EXPECT_EQ(SortedLines(ReadFile(Path("resaved.txt"))), SortedLines(ReadFile(Path("saved.txt"))));
  LoadAndSave("resaved.txt", "resaved_twice.txt");
  EXPECT_EQ(ReadFile(Path("resaved_twice.txt")), ReadFile(Path("resaved.txt")));
}

}  // namespace
}  // namespace vsm
