#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/expected.h"

namespace vsm {

enum class Button { load, merge, save, split };
inline constexpr int kButtonCount = 4;

// The check boxes and option buttons of the main window.
enum class Control {
  keep_pref_box,
  remove_favorites_box,
  remove_radio_box,
  split_per_provider_box,
  divide_fta_box,
  antenna_name_option,
  satellite_position_option,
  keep_existing_option,
};
inline constexpr int kControlCount = 8;

enum class StatusField { outcome = 0, detail = 1 };

// A program started by the tool. It reads nothing (its standard input is empty) and what it
// prints on its standard output is dropped; the start of its standard error is kept, since that
// is where a program says why it failed. It ends with the tool, however the tool ends.
class Process {
 public:
  virtual ~Process() = default;
  // Waits at most `limit` for the program to end; true once it has ended, and then every program
  // it started and left running has been stopped too.
  virtual bool WaitFor(std::chrono::milliseconds limit) = 0;
  // The exit status; meaningful once WaitFor returned true. A killed program counts as failed.
  virtual int ExitCode() const = 0;
  // Stops the program and every program it started.
  virtual void Kill() = 0;
  // How the program ended, in words ("exit status 3"); once WaitFor returned true.
  virtual std::string EndText() const = 0;
  // What the program wrote to its standard error, its first kKeptErrorOutput bytes (the rest is
  // read and dropped); complete once WaitFor returned true.
  virtual std::string ErrorOutput() = 0;
  static constexpr std::size_t kKeptErrorOutput = 4096;
};

// Everything the engine needs from the world outside: the window (or its stand-in), programs,
// time. The desktop window, the headless runner and the tests each provide one.
class Platform {
 public:
  virtual ~Platform() = default;

  // A modal box with a title, a text and one OK button; returns once it is closed.
  virtual void ShowMessage(std::string_view title, std::string_view text) = 0;
  virtual void SetStatus(StatusField field, std::string_view text) = 0;
  virtual void SetCaption(Button button, std::string_view text) = 0;
  virtual void SetChecked(Control control, bool checked) = 0;

  // Keeps a window painted during long work: waits at most `limit` for pending events and drops
  // any user input among them, so that no control handler runs in the middle of an operation.
  virtual void DiscardPendingEvents(std::chrono::milliseconds limit) = 0;

  virtual void Sleep(std::chrono::milliseconds duration) = 0;
  virtual std::chrono::steady_clock::time_point Now() = 0;

  // Starts `program` with `arguments` (no shell involved) without waiting for it; the system's
  // reason when it cannot be started.
  virtual Expected<std::unique_ptr<Process>> StartProgram(
      const std::string& program, const std::vector<std::string>& arguments) = 0;

  // File dialogs of the desktop window: the chosen name, or "" when cancelled.
  virtual std::string ChooseFileToOpen(std::string_view title, std::string_view folder) = 0;
  virtual std::string ChooseFileToSave(std::string_view title, std::string_view folder) = 0;
};

}  // namespace vsm
