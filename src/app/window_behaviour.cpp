#include "app/window_behaviour.h"

#include <algorithm>
#include <utility>

namespace vsm {

namespace {

using window_layout::kControls;
using window_layout::Kind;

constexpr int kLayoutDotsPerInch = 96;
constexpr int kSmallestFontPixels = 10;
constexpr int kFontWidthPercents[] = {100, 87, 75};

bool ShowsEveryText(int dots_per_inch, const WidthNeeded& width_needed) {
  for (std::size_t row = 0; row < kControls.size(); ++row) {
    const Kind kind = kControls[row].kind;
    if (kind != Kind::check_box && kind != Kind::option_button) continue;
    if (width_needed(row) > ScaledPixels(kControls[row].place.width, dots_per_inch)) return false;
  }
  return true;
}

bool TakesTab(const Controls& controls, std::size_t row) {
  const window_layout::Row& control = kControls[row];
  return control.kind != Kind::option_button || controls.IsChecked(control.control.value());
}

}  // namespace

int ScaledPixels(int pixels, int dots_per_inch) {
  return (pixels * dots_per_inch + kLayoutDotsPerInch / 2) / kLayoutDotsPerInch;
}

std::optional<FontForm> FitFont(int largest_pixels, int dots_per_inch, const UseFontForm& use,
                                const WidthNeeded& width_needed) {
  std::optional<FontForm> in_use;
  const int smallest_pixels = ScaledPixels(kSmallestFontPixels, dots_per_inch);
  for (int pixels = largest_pixels; pixels >= smallest_pixels; --pixels) {
    for (const int percent : kFontWidthPercents) {
      in_use = FontForm{pixels, percent};
      use(*in_use);
      if (ShowsEveryText(dots_per_inch, width_needed)) return in_use;
    }
  }
  return in_use;
}

std::size_t NextTabStop(const Controls& controls, std::optional<std::size_t> row, bool forward) {
  const auto& stops = window_layout::kKeyboardRows;
  const std::size_t count = stops.size();
  const auto found = row ? std::ranges::find(stops, *row) : stops.end();
  std::size_t stop = found != stops.end() ? static_cast<std::size_t>(found - stops.begin())
                                          : (forward ? count - 1 : 0);
  for (std::size_t step = 0; step < count; ++step) {
    stop = forward ? (stop + 1) % count : (stop + count - 1) % count;
    if (TakesTab(controls, stops[stop])) break;
  }
  return stops[stop];
}

std::optional<std::size_t> MoveWithinOptions(Controls& controls, std::size_t row, bool forward) {
  const std::optional<std::size_t> neighbour = window_layout::NeighbourOption(row, forward);
  if (!neighbour) return std::nullopt;
  const Control option = kControls[*neighbour].control.value();
  controls.Click(option, true);
  if (!controls.IsChecked(option)) return std::nullopt;
  return neighbour;
}

bool WindowOperations::Run(const std::function<void()>& work) {
  if (running_) return false;
  running_ = true;
  work();
  running_ = false;
  return std::exchange(close_held_, false);
}

bool WindowOperations::CloseRequested() {
  if (!running_) return true;
  if (!workspace_.script_running) close_held_ = true;
  return false;
}

}  // namespace vsm
