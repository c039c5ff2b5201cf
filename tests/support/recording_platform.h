#pragma once

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "platform/system_platform.h"

namespace vsm::test_support {

// A platform for tests: records what the engine shows, answers dialogs from a queue, and keeps a
// clock of its own so that prescribed waits cost no time and no test depends on the machine's
// speed. Programs are started for real.
class RecordingPlatform : public SystemPlatform {
 public:
  struct Message {
    std::string title;
    std::string text;
  };

  void ShowMessage(std::string_view title, std::string_view text) override;
  void SetStatus(StatusField field, std::string_view text) override;
  void SetCaption(Button button, std::string_view text) override;
  void SetChecked(Control control, bool checked) override;
  void DiscardPendingEvents(std::chrono::milliseconds limit) override;
  void Sleep(std::chrono::milliseconds duration) override;
  std::chrono::steady_clock::time_point Now() override;
  std::string ChooseFileToOpen(std::string_view title, std::string_view folder) override;
  std::string ChooseFileToSave(std::string_view title, std::string_view folder) override;

  // Moves the clock on without waiting. The clock moves only by this, by the sleeps asked for
  // and by kEventTick at each look for events, where the engine also waits for its programs.
  void Advance(std::chrono::milliseconds duration) { now_ += duration; }
  static constexpr std::chrono::milliseconds kEventTick{10};

  std::vector<Message> messages;
  std::array<std::string, 2> status;
  std::vector<std::string> status_history;  // "0:text" / "1:text", in order
  std::array<std::string, 4> captions;
  std::vector<std::string> caption_history;  // "save_button:text", in order
  std::array<bool, 8> checked{};
  std::vector<std::chrono::milliseconds> sleeps;  // in order
  int event_waits = 0;

  // Answers for the file dialogs, taken from the front; "" once empty (a cancelled dialog).
  std::vector<std::string> dialog_answers;
  struct DialogRequest {
    std::string title;
    std::string folder;
  };
  std::vector<DialogRequest> dialogs;

  const std::string& caption(Button button) const {
    return captions[static_cast<std::size_t>(button)];
  }
  const std::string& status_text(StatusField field) const {
    return status[static_cast<std::size_t>(field)];
  }
  // The messages whose title is `title`.
  std::vector<Message> MessagesTitled(std::string_view title) const;

 private:
  std::string NextDialogAnswer(std::string_view title, std::string_view folder);
  std::chrono::steady_clock::time_point now_{};
};

}  // namespace vsm::test_support
