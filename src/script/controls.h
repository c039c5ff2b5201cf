#pragma once

#include <array>

#include "model/workspace.h"
#include "platform/platform.h"

namespace vsm {

// The check boxes and option buttons of the main window, and the handlers that keep the options
// in step with them. The window and the batch scripts both drive this one model; the platform
// only shows what it holds.
class Controls {
 public:
  explicit Controls(Workspace& workspace);

  bool IsChecked(Control control) const { return checked_[Index(control)]; }

  // A click, or a script's option line: sets the check state, then runs the control's handler.
  void Click(Control control, bool checked);

  // Sets a check state without running a handler. Checking an option button unchecks the other
  // two of its group.
  void SetChecked(Control control, bool checked);

  // Runs a control's handler on its current check state.
  void RunHandler(Control control);

  // The captions every load and successful merge restore: "Save", "Merge" and `split_caption`.
  void RestoreOperationCaptions();

 private:
  static std::size_t Index(Control control) { return static_cast<std::size_t>(control); }
  static bool IsOptionButton(Control control);

  Workspace& workspace_;
  std::array<bool, kControlCount> checked_{};
};

}  // namespace vsm
