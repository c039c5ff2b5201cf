#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/platform.h"

// The main window's layout, from which both windows are built: the Qt window on Linux and the
// Windows window. Places are in pixels at 96 dots per inch, in the client area (the window
// without its frame and title bar).
namespace vsm::window_layout {

inline constexpr std::string_view kTitle = "VRK Split & Merge";

inline constexpr int kClientWidth = 349;
inline constexpr int kClientHeight = 422;

// The status bar takes the bottom of the client area; its fields' widths, indexed by StatusField.
inline constexpr std::array<int, 2> kStatusFieldWidths = {100, 246};

enum class Kind { push_button, check_box, option_button, frame };

struct Place {
  int x, y, width, height;
};

struct Row {
  Kind kind;
  std::optional<Button> button;    // a push button's operation
  std::optional<Control> control;  // what a check box or option button shows of the controls
  std::string_view name;           // the Qt widget's object name
  std::string_view text;
  Place place;
};

constexpr Row PushButton(Button button, std::string_view name, std::string_view text, Place place) {
  return {Kind::push_button, button, std::nullopt, name, text, place};
}

constexpr Row CheckBox(Control box, std::string_view name, std::string_view text, Place place) {
  return {Kind::check_box, std::nullopt, box, name, text, place};
}

constexpr Row OptionButton(Control option, std::string_view name, std::string_view text,
                           Place place) {
  return {Kind::option_button, std::nullopt, option, name, text, place};
}

// A frame only draws a border with its text around the controls within it.
constexpr Row Frame(std::string_view name, std::string_view text, Place place) {
  return {Kind::frame, std::nullopt, std::nullopt, name, text, place};
}

// The controls in creation order. A row is known by its number, its place here: the Windows
// window's control ids follow it, and any further order of the controls is a list of row numbers.
inline constexpr std::array kControls = {
    PushButton(Button::load, "load_button", "Load", {20, 20, 310, 30}),
    PushButton(Button::save, "save_button", "Save", {20, 350, 310, 30}),
    CheckBox(Control::remove_radio_box, "remove_radio_box", "Remove all Radio channels",
             {180, 150, 150, 30}),
    CheckBox(Control::remove_favorites_box, "remove_favorites_box", "Remove all Favorites",
             {30, 150, 140, 30}),
    CheckBox(Control::keep_pref_box, "keep_pref_box", "Keep preferred Antennas",
             {30, 120, 140, 30}),
    PushButton(Button::split, "split_button", "Split per antenna", {20, 310, 310, 30}),
    PushButton(Button::merge, "merge_button", "Merge", {20, 60, 310, 30}),
    Frame("save_or_split_frame", "Save or Split", {10, 100, 330, 290}),
    CheckBox(Control::divide_fta_box, "divide_fta_box", "Divide providers into FTA and Non FTA",
             {40, 200, 210, 30}),
    CheckBox(Control::split_per_provider_box, "split_per_provider_box",
             "Split into vrk per Provider", {180, 120, 140, 30}),
    Frame("providers_frame", " Providers ", {30, 180, 290, 120}),
    OptionButton(Control::antenna_name_option, "antenna_name_option",
                 "Use Antenna (Lnb) Name as provider name", {40, 270, 230, 20}),
    OptionButton(Control::satellite_position_option, "satellite_position_option",
                 "Use satellite position as provider name", {40, 250, 230, 20}),
    OptionButton(Control::keep_existing_option, "keep_existing_option", "Keep existing providers",
                 {40, 230, 180, 20}),
};

}  // namespace vsm::window_layout
