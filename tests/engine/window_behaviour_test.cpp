#include "app/window_behaviour.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "expected_window.h"
#include "recording_platform.h"

namespace vsm {
namespace {

using namespace test_support;
using window_layout::RowNamed;

bool Surrounds(const ExpectedControl& outer, const ExpectedControl& inner) {
  return outer.x <= inner.x && outer.y <= inner.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

bool Overlap(const ExpectedControl& one, const ExpectedControl& other) {
  return one.x < other.x + other.width && other.x < one.x + one.width &&
         one.y < other.y + other.height && other.y < one.y + one.height;
}

class WindowBehaviourTest : public testing::Test {
 protected:
  WindowBehaviourTest() { controls.Click(Control::keep_existing_option, true); }

  std::vector<std::string> TabRound(bool forward) const {
    std::vector<std::string> visited;
    for (std::size_t row = RowNamed("load_button"); visited.size() < 20;) {
      row = NextTabStop(controls, row, forward);
      visited.emplace_back(window_layout::kControls[row].text);
      if (visited.back() == "Load") break;
    }
    return visited;
  }

  RecordingPlatform platform;
  Workspace workspace{platform, ""};
  Controls controls{workspace};
};

TEST_F(WindowBehaviourTest, TabVisitsTheControlsAsTheEyeReadsThemAndOnlyTheOptionThatIsSet) {
  EXPECT_EQ(TabRound(true), kTabRoundFromLoad);
  EXPECT_EQ(NextTabStop(controls, std::nullopt, true), RowNamed("load_button"));
  controls.Click(Control::satellite_position_option, true);
  EXPECT_EQ(TabRound(false), kBackTabRoundWithSatellitePositions);
  EXPECT_EQ(NextTabStop(controls, std::nullopt, false), RowNamed("save_button"));
}

// An arrow key sets the neighbouring option through the controls model, which clears the FTA box
// when names are kept; past either end it changes nothing.
TEST_F(WindowBehaviourTest, ArrowKeysSetTheNeighbouringOption) {
  struct Move {
    const char* from;
    bool forward;
    const char* focus;  // none past either end
    Naming naming;
  };
  const Move moves[] = {
      {"keep_existing_option", false, nullptr, Naming::keep_existing_names},
      {"keep_existing_option", true, "satellite_position_option", Naming::use_satellite_position},
      {"satellite_position_option", true, "antenna_name_option", Naming::use_antenna_names},
      {"antenna_name_option", true, nullptr, Naming::use_antenna_names},
      {"antenna_name_option", false, "satellite_position_option", Naming::use_satellite_position},
      {"satellite_position_option", false, "keep_existing_option", Naming::keep_existing_names},
  };
  for (const Move& move : moves) {
    const std::optional<std::size_t> focus =
        MoveWithinOptions(controls, RowNamed(move.from), move.forward);
    EXPECT_EQ(focus, move.focus ? std::optional(RowNamed(move.focus)) : std::nullopt) << move.from;
    EXPECT_EQ(workspace.options.naming, move.naming) << move.from;
  }
  EXPECT_TRUE(MoveWithinOptions(controls, RowNamed("keep_existing_option"), true));
  controls.Click(Control::divide_fta_box, true);
  EXPECT_TRUE(workspace.options.divide_fta_notfta);
  EXPECT_TRUE(MoveWithinOptions(controls, RowNamed("satellite_position_option"), false));
  EXPECT_FALSE(controls.IsChecked(Control::divide_fta_box));
  EXPECT_FALSE(workspace.options.divide_fta_notfta);
}

// A close request made while the window is idle closes it at once; one made during an operation
// is carried out once it has returned, one made during a script is lost.
TEST_F(WindowBehaviourTest, CloseRequestsAreHeldDuringAnOperationAndLostDuringAScript) {
  WindowOperations operations(workspace);
  EXPECT_TRUE(operations.CloseRequested());
  for (const bool during_script : {false, true}) {
    bool closes_at_once = true;
    const bool closes_after = operations.Run([&] {
      EXPECT_TRUE(operations.Running());
      EXPECT_FALSE(operations.Run([] { ADD_FAILURE() << "an operation inside another"; }));
      workspace.script_running = during_script;
      closes_at_once = operations.CloseRequested();
      workspace.script_running = false;
    });
    EXPECT_FALSE(closes_at_once);
    EXPECT_EQ(closes_after, !during_script);
  }
  EXPECT_FALSE(operations.Running());
}

// The narrowest text for its box is "Split into vrk per Provider": 27 characters in 140 pixels.
TEST_F(WindowBehaviourTest, FontIsTheLargestAndLeastCondensedAtWhichEveryTextFits) {
  struct Fit {
    int largest_pixels;
    int dots_per_inch;
    int width_divisor;  // a character is as wide as the font's height divided by this
    std::optional<FontForm> chosen;
  };
  const Fit fits[] = {
      {10, 96, 2, FontForm{10, 100}}, {11, 96, 2, FontForm{11, 87}},  {12, 96, 2, FontForm{12, 87}},
      {14, 96, 2, FontForm{13, 75}},  {20, 144, 2, FontForm{20, 75}}, {12, 96, 1, FontForm{10, 75}},
      {16, 144, 1, FontForm{15, 75}}, {9, 96, 2, std::nullopt},
  };
  for (const Fit& fit : fits) {
    FontForm used{0, 0};
    const auto width_needed = [&](std::size_t row) {
      const auto characters = static_cast<int>(window_layout::kControls[row].text.size());
      return characters * used.pixels * used.width_percent / 100 / fit.width_divisor;
    };
    const std::optional<FontForm> chosen = FitFont(
        fit.largest_pixels, fit.dots_per_inch, [&](const FontForm& form) { used = form; },
        width_needed);
    EXPECT_EQ(chosen, fit.chosen) << fit.largest_pixels << " pixels at " << fit.dots_per_inch;
    if (chosen) {
      EXPECT_EQ(used, *chosen);
    }
  }
}

// The windows place their controls as the expected table says (their own tests), and so does the
// layout they are built from.
TEST(WindowLayoutTest, NoTwoControlsOverlapButAFrameAndTheControlsWithinIt) {
  ASSERT_EQ(window_layout::kControls.size(), kControlsInCreationOrder.size());
  std::map<std::string, int> surrounded_by;
  for (std::size_t row = 0; row < kControlsInCreationOrder.size(); ++row) {
    const window_layout::Row& laid_out = window_layout::kControls[row];
    const ExpectedControl& one = kControlsInCreationOrder[row];
    EXPECT_EQ(std::tuple(laid_out.name, laid_out.kind, laid_out.text, laid_out.place.x,
                         laid_out.place.y, laid_out.place.width, laid_out.place.height),
              std::tuple(one.name, static_cast<window_layout::Kind>(one.shape), one.text, one.x,
                         one.y, one.width, one.height));
    for (const ExpectedControl& other : kControlsInCreationOrder) {
      if (&one == &other || !Overlap(one, other)) continue;
      if (one.shape == Shape::frame && Surrounds(one, other)) {
        ++surrounded_by[one.text];
      } else {
        EXPECT_TRUE(other.shape == Shape::frame && Surrounds(other, one))
            << one.text << " overlaps " << other.text;
      }
    }
  }
  // "Save or Split" surrounds every control below the merge button, " Providers " among them, and
  // " Providers " the FTA box and the three option buttons.
  EXPECT_EQ(surrounded_by, (std::map<std::string, int>{{"Save or Split", 11}, {" Providers ", 4}}));
}

}  // namespace
}  // namespace vsm
