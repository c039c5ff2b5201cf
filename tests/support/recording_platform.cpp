#include "recording_platform.h"

namespace vsm::test_support {
namespace {

// The push buttons as the histories name them, as the trace does.
const char* const kButtonNames[] = {"load_button", "merge_button", "save_button", "split_button"};

}  // namespace

void RecordingPlatform::ShowMessage(std::string_view title, std::string_view text) {
  messages.push_back({std::string(title), std::string(text)});
}

void RecordingPlatform::SetStatus(StatusField field, std::string_view text) {
  status[static_cast<std::size_t>(field)] = text;
  status_history.push_back(std::to_string(static_cast<int>(field)) + ":" + std::string(text));
}

void RecordingPlatform::SetCaption(Button button, std::string_view text) {
  captions[static_cast<std::size_t>(button)] = text;
  caption_history.push_back(std::string(kButtonNames[static_cast<std::size_t>(button)]) + ":" +
                            std::string(text));
}

void RecordingPlatform::SetChecked(Control control, bool is_checked) {
  checked[static_cast<std::size_t>(control)] = is_checked;
}

void RecordingPlatform::DiscardPendingEvents(std::chrono::milliseconds) {
  ++event_waits;
  now_ += kEventTick;
}

void RecordingPlatform::Sleep(std::chrono::milliseconds duration) {
  sleeps.push_back(duration);
  now_ += duration;
}

std::chrono::steady_clock::time_point RecordingPlatform::Now() { return now_; }

std::string RecordingPlatform::NextDialogAnswer(std::string_view title, std::string_view folder) {
  dialogs.push_back({std::string(title), std::string(folder)});
  if (dialog_answers.empty()) return {};
  std::string answer = dialog_answers.front();
  dialog_answers.erase(dialog_answers.begin());
  return answer;
}

std::string RecordingPlatform::ChooseFileToOpen(std::string_view title, std::string_view folder) {
  return NextDialogAnswer(title, folder);
}

std::string RecordingPlatform::ChooseFileToSave(std::string_view title, std::string_view folder) {
  return NextDialogAnswer(title, folder);
}

std::vector<RecordingPlatform::Message> RecordingPlatform::MessagesTitled(
    std::string_view title) const {
  std::vector<Message> found;
  for (const auto& message : messages) {
    if (message.title == title) found.push_back(message);
  }
  return found;
}

}  // namespace vsm::test_support
