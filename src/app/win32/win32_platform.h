#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/win32/main_window.h"
#include "platform/system_platform.h"

namespace vsm {

// What a file dialog is asked to show.
struct FileDialogRequest {
  std::string title;
  std::string folder;
  std::string filters;        // pairs of display text and pattern, each ended by a NUL
  DWORD selected_filter = 1;  // 1-based
};

// The platform of the Windows window. Texts are the engine's 8-bit bytes, shown through the
// system's ANSI functions as the files hold them. Message boxes and file dialogs go through
// replaceable functions, so that tests answer them instead of a person.
class Win32Platform : public SystemPlatform {
 public:
  using MessageFunction =
      std::function<void(HWND owner, const std::string& title, const std::string& text)>;
  using FileDialogFunction = std::function<std::string(HWND owner, const FileDialogRequest&)>;

  Win32Platform();

  void Attach(const WindowHandles& handles) { handles_ = &handles; }

  void ShowMessage(std::string_view title, std::string_view text) override;
  void SetStatus(StatusField field, std::string_view text) override;
  void SetCaption(Button button, std::string_view text) override;
  void SetChecked(Control control, bool checked) override;
  void DiscardPendingEvents(std::chrono::milliseconds limit) override;
  std::string ChooseFileToOpen(std::string_view title, std::string_view folder) override;
  std::string ChooseFileToSave(std::string_view title, std::string_view folder) override;

  MessageFunction show_message;
  FileDialogFunction choose_file_to_open;
  FileDialogFunction choose_file_to_save;

 private:
  HWND Window() const { return handles_ != nullptr ? handles_->window : nullptr; }

  const WindowHandles* handles_ = nullptr;
};

// The real boxes and dialogs.
void ShowMessageBox(HWND owner, const std::string& title, const std::string& text);
std::string ShowOpenFileDialog(HWND owner, const FileDialogRequest& request);
std::string ShowSaveFileDialog(HWND owner, const FileDialogRequest& request);

// A push button's caption as the button shows it: "&" would underline the next letter instead.
std::string ButtonCaption(std::string_view text);

}  // namespace vsm
