#pragma once

// The window as the user sees it, the same in both windows.

#include <string>
#include <vector>

namespace vsm::test_support {

enum class Shape { push_button, check_box, option_button, frame };

// A control with its place in the client area, in pixels.
struct ExpectedControl {
  std::string name;  // the Qt widget's object name
  Shape shape;
  std::string text;
  int x, y, width, height;
};

inline constexpr int kClientWidth = 349;
inline constexpr int kClientHeight = 422;
inline constexpr int kStatusFieldWidths[] = {100, 246};

// In the order in which the window creates them.
inline const std::vector<ExpectedControl> kControlsInCreationOrder = {
    {"load_button", Shape::push_button, "Load", 20, 20, 310, 30},
    {"save_button", Shape::push_button, "Save", 20, 350, 310, 30},
    {"remove_radio_box", Shape::check_box, "Remove all Radio channels", 180, 150, 150, 30},
    {"remove_favorites_box", Shape::check_box, "Remove all Favorites", 30, 150, 140, 30},
    {"keep_pref_box", Shape::check_box, "Keep preferred Antennas", 30, 120, 140, 30},
    {"split_button", Shape::push_button, "Split per antenna", 20, 310, 310, 30},
    {"merge_button", Shape::push_button, "Merge", 20, 60, 310, 30},
    {"save_or_split_frame", Shape::frame, "Save or Split", 10, 100, 330, 290},
    {"divide_fta_box", Shape::check_box, "Divide providers into FTA and Non FTA", 40, 200, 210, 30},
    {"split_per_provider_box", Shape::check_box, "Split into vrk per Provider", 180, 120, 140, 30},
    {"providers_frame", Shape::frame, " Providers ", 30, 180, 290, 120},
    {"antenna_name_option", Shape::option_button, "Use Antenna (Lnb) Name as provider name", 40,
     270, 230, 20},
    {"satellite_position_option", Shape::option_button, "Use satellite position as provider name",
     40, 250, 230, 20},
    {"keep_existing_option", Shape::option_button, "Keep existing providers", 40, 230, 180, 20},
};

// The controls that Tab visits from Load until it is back there, in the start state.
inline const std::vector<std::string> kTabRoundFromLoad = {
    "Merge",
    "Keep preferred Antennas",
    "Split into vrk per Provider",
    "Remove all Favorites",
    "Remove all Radio channels",
    "Divide providers into FTA and Non FTA",
    "Keep existing providers",
    "Split per antenna",
    "Save",
    "Load",
};

// The same round backwards (Shift+Tab) once "Use satellite position as provider name" is set.
inline const std::vector<std::string> kBackTabRoundWithSatellitePositions = {
    "Save",
    "Split per antenna",
    "Use satellite position as provider name",
    "Divide providers into FTA and Non FTA",
    "Remove all Radio channels",
    "Remove all Favorites",
    "Split into vrk per Provider",
    "Keep preferred Antennas",
    "Merge",
    "Load",
};

}  // namespace vsm::test_support
