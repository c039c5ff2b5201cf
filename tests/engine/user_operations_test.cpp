#include "session/user_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "session/startup.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

class UserOperationsTest : public testing::Test {
 protected:
  UserOperationsTest() {
    EXPECT_TRUE(StartUp(session));
    CreateFolder(folder / "lists");
    CreateFolder(folder / "more");
    WriteFile(a, OneAntennaListText("Astra", 10));
    WriteFile(b, OneAntennaListText("Hotbird", 2));
  }

  void Answer(std::vector<std::string> answers) { platform.dialog_answers = std::move(answers); }
  void ForgetHistory() {
    platform.status_history.clear();
    platform.caption_history.clear();
    platform.dialogs.clear();
  }
  const std::string& Caption(Button button) const { return platform.caption(button); }
  const std::string& Status(StatusField field) const { return platform.status_text(field); }

  TempFolder folder;
  RecordingPlatform platform;
  Session session{platform, folder.path(), ExecutableFolder()};
  Workspace& workspace = session.workspace;
  const std::string a = folder / "lists/a.txt";
  const std::string b = folder / "more/b.txt";
};

TEST_F(UserOperationsTest, LoadShowsDoneCountsAndTheFileName) {
  Answer({a});
  ForgetHistory();
  LoadFile(session);
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].title, "Please choose file to load");
  EXPECT_EQ(platform.dialogs[0].folder, folder.path());
  EXPECT_EQ(
      platform.caption_history,
      (std::vector<std::string>{"save_button:Save", "merge_button:Merge",
                                "split_button:Split per antenna", "load_button:Loaded a.txt"}));
  EXPECT_EQ(platform.status_history,
            (std::vector<std::string>{"0:Done loading.", "1:Tv 10 , Radio 1"}));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(UserOperationsTest, FailedLoadShowsTheMessageAndZeroCounts) {
  Answer({a});
  LoadFile(session);
  const std::string missing = folder / "lists/missing.vrk.txt";
  Answer({missing});
  LoadFile(session);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text, "LoadFile: No file specified or found.\r\n" + missing);
  EXPECT_EQ(Caption(Button::load), "Load");
  EXPECT_EQ(Status(StatusField::detail), "Tv 0 , Radio 0");
  EXPECT_EQ(Status(StatusField::outcome), "Done loading.");  // left from the first load
}

TEST_F(UserOperationsTest, CancelledOrTooShortChoiceChangesNothing) {
  ForgetHistory();
  for (const std::string answer : {"", "a.tx"}) {
    Answer({answer});
    LoadFile(session);
    EXPECT_EQ(workspace.settings.current_file, answer);
  }
  EXPECT_EQ(platform.dialogs.size(), 2u);
  EXPECT_TRUE(platform.caption_history.empty());
  EXPECT_TRUE(platform.status_history.empty());
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(UserOperationsTest, MergeBeforeLoadActsAsLoad) {
  Answer({a});
  MergeFile(session);
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].title, "Please choose file to load");
  EXPECT_EQ(Caption(Button::load), "Loaded a.txt");
  EXPECT_EQ(Caption(Button::merge), "Merge");
  EXPECT_EQ(Status(StatusField::outcome), "Done loading.");
}

TEST_F(UserOperationsTest, MergeReportsDoneOrNotMerged) {
  Answer({a, b});
  LoadFile(session);
  platform.SetCaption(Button::save, "Saved x.vrk");
  MergeFile(session);
  EXPECT_EQ(platform.dialogs[1].title, "Please choose file to merge");
  EXPECT_EQ(Status(StatusField::outcome), "Done merging.");
  EXPECT_EQ(Status(StatusField::detail), "Tv 12 , Radio 2");
  EXPECT_EQ(Caption(Button::merge), "Merged b.txt");
  EXPECT_EQ(Caption(Button::save), "Save");

  Answer({b});
  ForgetHistory();
  MergeFile(session);
  EXPECT_EQ(platform.MessagesTitled("Sorry, no go....").size(), 1u);
  EXPECT_EQ(platform.status_history.front(), "0:File not merged.");
  EXPECT_EQ(Status(StatusField::detail), "Tv 12 , Radio 2");
  EXPECT_TRUE(platform.caption_history.empty());
}

TEST_F(UserOperationsTest, SaveBeforeLoadDoesNothing) {
  ForgetHistory();
  SaveFile(session);
  EXPECT_TRUE(platform.dialogs.empty());
  EXPECT_TRUE(platform.caption_history.empty());
  EXPECT_TRUE(platform.status_history.empty());
}

TEST_F(UserOperationsTest, CancelledSaveSaysNothingSaved) {
  Answer({a});
  LoadFile(session);
  platform.SetCaption(Button::save, "Saved x.vrk");
  SaveFile(session);
  EXPECT_EQ(platform.dialogs.back().title, "Please choose file to save");
  EXPECT_EQ(Caption(Button::save), "Save");
  EXPECT_EQ(Status(StatusField::outcome), "Nothing saved.");
}

TEST_F(UserOperationsTest, SaveWritesTheChosenFile) {
  const std::string target = folder / "more/out.txt";
  Answer({a, target});
  LoadFile(session);
  SaveFile(session);
  EXPECT_EQ(Status(StatusField::outcome), "Done saving.");
  EXPECT_EQ(Caption(Button::save), "Saved out.txt");
  EXPECT_TRUE(ReadFile(target).starts_with("[MORVANE V3 FILE]\r\n"));
}

TEST_F(UserOperationsTest, EachDialogRemembersItsOwnFolder) {
  Answer({a, b, folder / "more/out.txt", a, b, folder / "lists/out2.txt"});
  for (int round = 0; round < 2; ++round) {
    LoadFile(session);
    MergeFile(session);
    SaveFile(session);
  }
  ASSERT_EQ(platform.dialogs.size(), 6u);
  const std::string start = folder.path();
  const std::vector<std::string> expected = {
      start, start, start, folder / "lists/", folder / "more/", folder / "more/"};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(platform.dialogs[i].folder, expected[i]) << platform.dialogs[i].title;
  }
}

TEST_F(UserOperationsTest, SplitButtonSplitsAsTheBoxSays) {
  Answer({a});
  LoadFile(session);
  SplitFile(session);
  EXPECT_TRUE(Exists(folder / "antenna_list.txt"));
  EXPECT_FALSE(Exists(folder / "provider_list.txt"));
  session.controls.Click(Control::split_per_provider_box, true);
  SplitFile(session);
  EXPECT_TRUE(Exists(folder / "provider_list.txt"));
}

TEST_F(UserOperationsTest, LoadingAScriptReportsTheScriptAsLoaded) {
  const std::string script = folder / "job.txt";
  WriteFile(script, BatchScript({"load " + a, "merge " + b}));
  Answer({script});
  LoadFile(session);
  EXPECT_EQ(Caption(Button::load), "Loaded job.txt");
  EXPECT_EQ(Caption(Button::merge), "Merged b.txt");
  EXPECT_EQ(Status(StatusField::outcome), "Done loading.");
  EXPECT_EQ(Status(StatusField::detail), "Tv 12 , Radio 2");
}

}  // namespace
}  // namespace vsm
