#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include "app/window_layout.h"
#include "model/workspace.h"
#include "script/controls.h"

// What both windows do alike, whatever their toolkit, in terms of the layout table and the
// controls model; each window adds only its toolkit's calls.
namespace vsm {

// A size and width of the window's font: its height in pixels and its width in percent of the
// font's natural width.
struct FontForm {
  int pixels;
  int width_percent;
  bool operator==(const FontForm&) const = default;
};

// Pixels of the layout, made at 96 dots per inch, on a screen of `dots_per_inch`.
int ScaledPixels(int pixels, int dots_per_inch);

// Shows the controls in a form of the font.
using UseFontForm = std::function<void(const FontForm& form)>;
// How wide the control of a layout row must be, in the font in use, to show its whole text.
using WidthNeeded = std::function<int(std::size_t row)>;

// The layout was made for a small dialog font, and the desktop's is often larger or wider. Tries
// the sizes from `largest_pixels` down, each at its natural width and then narrower, until every
// check box and option button shows its whole text. The form it leaves in use: the first that
// fits, else the smallest and narrowest; none when `largest_pixels` is below the smallest size.
std::optional<FontForm> FitFont(int largest_pixels, int dots_per_inch, const UseFontForm& use,
                                const WidthNeeded& width_needed);

// The row that Tab (`forward`) or Shift+Tab moves the focus to from `row`, or from either end
// without one: the next in keyboard order that takes Tab. Of the option buttons only the one
// that is set does, as in a dialog.
std::size_t NextTabStop(const Controls& controls, std::optional<std::size_t> row, bool forward);

// An arrow key on the option button of `row` clicks its neighbour in the group through the
// controls model. The row the focus follows to when that option got set; none past either end.
std::optional<std::size_t> MoveWithinOptions(Controls& controls, std::size_t row, bool forward);

// The window's operations, one at a time, and the close requests made while one runs: such a
// request is carried out once the operation has returned, or lost while a script runs.
class WindowOperations {
 public:
  explicit WindowOperations(const Workspace& workspace) : workspace_(workspace) {}

  bool Running() const { return running_; }
  // Runs `work`, unless an operation runs already: a click that slipped through the engine's own
  // event pumping must not start a second one inside it. True when the window is to close now.
  [[nodiscard]] bool Run(const std::function<void()>& work);
  // True when the window is to close now; false when the request is held or lost.
  [[nodiscard]] bool CloseRequested();

 private:
  const Workspace& workspace_;
  bool running_ = false;
  bool close_held_ = false;
};

}  // namespace vsm
