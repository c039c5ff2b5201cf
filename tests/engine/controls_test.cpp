#include "script/controls.h"

#include <gtest/gtest.h>

#include "session/session.h"
#include "session/startup.h"
#include "session/user_operations.h"
#include "session/version.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

class ControlsTest : public testing::Test {
 protected:
  ControlsTest() { EXPECT_TRUE(StartUp(session)); }

  bool Checked(Control control) const { return session.controls.IsChecked(control); }
  bool Shown(Control control) const { return platform.checked[static_cast<std::size_t>(control)]; }

  TempFolder folder;
  RecordingPlatform platform;
  Session session{platform, folder.path(), ExecutableFolder()};
  Controls& controls = session.controls;
  Options& options = session.workspace.options;
};

TEST_F(ControlsTest, StartUpSelectsKeepExistingProvidersAndShowsTheVersion) {
  for (const Control box :
       {Control::keep_pref_box, Control::remove_favorites_box, Control::remove_radio_box,
        Control::split_per_provider_box, Control::divide_fta_box, Control::antenna_name_option,
        Control::satellite_position_option}) {
    EXPECT_FALSE(Checked(box));
    EXPECT_FALSE(Shown(box));
  }
  EXPECT_TRUE(Checked(Control::keep_existing_option));
  EXPECT_TRUE(Shown(Control::keep_existing_option));
  EXPECT_EQ(options.naming, Naming::keep_existing_names);
  EXPECT_EQ(session.workspace.settings.split_caption, "Split per antenna");
  EXPECT_EQ(platform.status_text(StatusField::detail),
            "Version 1.5 build 324 ,  20-06-2007 19:56 ");
  EXPECT_EQ(VersionText(), "Version 1.5 build 324 ,  20-06-2007 19:56 ");
}

TEST_F(ControlsTest, FtaBoxIsRefusedWhileExistingNamesAreKept) {
  controls.Click(Control::divide_fta_box, true);
  EXPECT_FALSE(Checked(Control::divide_fta_box));
  EXPECT_FALSE(Shown(Control::divide_fta_box));
  EXPECT_FALSE(options.divide_fta_notfta);
}

TEST_F(ControlsTest, KeepExistingProvidersClearsTheFtaBox) {
  controls.Click(Control::satellite_position_option, true);
  controls.Click(Control::divide_fta_box, true);
  EXPECT_TRUE(options.divide_fta_notfta);
  EXPECT_TRUE(Shown(Control::divide_fta_box));
  EXPECT_FALSE(Shown(Control::keep_existing_option));

  controls.Click(Control::antenna_name_option, true);  // renaming keeps the division
  EXPECT_TRUE(options.divide_fta_notfta);
  EXPECT_EQ(options.naming, Naming::use_antenna_names);

  controls.Click(Control::keep_existing_option, true);
  EXPECT_FALSE(options.divide_fta_notfta);
  EXPECT_FALSE(Shown(Control::divide_fta_box));
  EXPECT_FALSE(Shown(Control::antenna_name_option));
  EXPECT_EQ(options.naming, Naming::keep_existing_names);

  // Selecting it again, already selected, clears the box once more.
  session.controls.SetChecked(Control::divide_fta_box, true);
  controls.Click(Control::keep_existing_option, true);
  EXPECT_FALSE(Checked(Control::divide_fta_box));
}

TEST_F(ControlsTest, SplitCaptionFollowsTheBoxEvenAfterASplitCaptionedTheButton) {
  WriteFile(folder / "a.txt",
            CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine("Astra"), "[TS]",
                  TransponderLine(0, "11778\t27500\t0\t0\t0\t0\t0"), "[NETWORK]", "[PROVIDER]", "P",
                  "[SERVICE]", ServiceLine("V", 0, 0, "One", 1, kPlainService), "[MENU]"}));
  platform.dialog_answers = {folder / "a.txt"};
  LoadFile(session);
  SplitFile(session);
  ASSERT_TRUE(platform.caption(Button::split).starts_with("Split into "));

  controls.Click(Control::split_per_provider_box, true);
  EXPECT_EQ(platform.caption(Button::split), "Split per provider");
  EXPECT_TRUE(options.split_into_providers);
  controls.Click(Control::split_per_provider_box, false);
  EXPECT_EQ(platform.caption(Button::split), "Split per antenna");
  EXPECT_EQ(session.workspace.settings.split_caption, "Split per antenna");
}

}  // namespace
}  // namespace vsm
