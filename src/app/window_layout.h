#pragma once

#include <array>
#include <cstddef>
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

// The order in which Tab visits the controls, by name: as the eye reads them, top to bottom and
// left to right. The option buttons are one stop, the one that is set; the arrow keys move
// between them, in this order.
inline constexpr std::array<std::string_view, 12> kKeyboardOrder = {
    "load_button",
    "merge_button",
    "keep_pref_box",
    "split_per_provider_box",
    "remove_favorites_box",
    "remove_radio_box",
    "divide_fta_box",
    "keep_existing_option",
    "satellite_position_option",
    "antenna_name_option",
    "split_button",
    "save_button",
};

constexpr std::size_t RowNamed(std::string_view name) {
  for (std::size_t row = 0; row < kControls.size(); ++row) {
    if (kControls[row].name == name) return row;
  }
  throw "the window layout has no control of that name";
}

// The name of the push button of `button`, which the console's trace uses too.
constexpr std::string_view NameOf(Button button) {
  for (const Row& row : kControls) {
    if (row.button == button) return row.name;
  }
  throw "the window layout has no such push button";
}

// kKeyboardOrder as row numbers.
inline constexpr auto kKeyboardRows = [] {
  std::array<std::size_t, kKeyboardOrder.size()> rows{};
  for (std::size_t stop = 0; stop < rows.size(); ++stop)
    rows[stop] = RowNamed(kKeyboardOrder[stop]);
  return rows;
}();

// The option buttons' rows in keyboard order: the group within which the arrow keys move.
inline constexpr auto kOptionGroup = [] {
  std::array<std::size_t, 3> rows{};
  std::size_t count = 0;
  for (const std::size_t row : kKeyboardRows) {
    if (kControls[row].kind == Kind::option_button) rows[count++] = row;
  }
  return rows;
}();

// The option button that an arrow key moves to from `row`: the next one in the group, or the one
// before it; none past either end.
constexpr std::optional<std::size_t> NeighbourOption(std::size_t row, bool forward) {
  for (std::size_t at = 0; at < kOptionGroup.size(); ++at) {
    if (kOptionGroup[at] != row) continue;
    if (forward)
      return at + 1 < kOptionGroup.size() ? std::optional(kOptionGroup[at + 1]) : std::nullopt;
    return at > 0 ? std::optional(kOptionGroup[at - 1]) : std::nullopt;
  }
  return std::nullopt;
}

// Every control but the frames is visited once.
static_assert([] {
  std::array<int, kControls.size()> visits{};
  for (const std::size_t row : kKeyboardRows) ++visits[row];
  for (std::size_t row = 0; row < kControls.size(); ++row) {
    if (visits[row] != (kControls[row].kind == Kind::frame ? 0 : 1)) return false;
  }
  return true;
}());

}  // namespace vsm::window_layout
