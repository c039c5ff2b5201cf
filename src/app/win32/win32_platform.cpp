#include "app/win32/win32_platform.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "app/win32/input_discarding.h"

namespace vsm {

namespace {

constexpr char kFilterPairs[] = "Vrk (*.vrk)\0*.vrk\0Txt (*.txt)\0*.txt\0";
const std::string kFileFilters(kFilterPairs, sizeof kFilterPairs - 1);

// The dialogs must not change the current folder, which relative names in scripts are taken
// from; the open dialog ignores OFN_NOCHANGEDIR, so the folder is put back by hand.
class CurrentFolderKeeper {
 public:
  CurrentFolderKeeper() {
    const DWORD length = GetCurrentDirectoryA(0, nullptr);
    folder_.resize(length);
    folder_.resize(GetCurrentDirectoryA(length, folder_.data()));
  }
  ~CurrentFolderKeeper() {
    if (!folder_.empty()) SetCurrentDirectoryA(folder_.c_str());
  }
  CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
  CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

 private:
  std::string folder_;
};

std::string RunFileDialog(HWND owner, const FileDialogRequest& request, bool save) {
  std::vector<char> name(32768, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = request.filters.c_str();
  dialog.nFilterIndex = request.selected_filter;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = request.folder.c_str();
  dialog.lpstrTitle = request.title.c_str();
  // A name that does not exist is accepted: the engine reports it by itself. The tool appends
  // ".vrk" itself where needed and overwrites without asking, so neither does the save dialog.
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  CurrentFolderKeeper keeper;
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  return chosen ? std::string(name.data()) : std::string();
}

}  // namespace

void ShowMessageBox(HWND owner, const std::string& title, const std::string& text) {
  MessageBoxA(owner, text.c_str(), title.c_str(), MB_OK);
}

std::string ShowOpenFileDialog(HWND owner, const FileDialogRequest& request) {
  return RunFileDialog(owner, request, false);
}

std::string ShowSaveFileDialog(HWND owner, const FileDialogRequest& request) {
  return RunFileDialog(owner, request, true);
}

std::string ButtonCaption(std::string_view text) {
  std::string caption;
  caption.reserve(text.size());
  for (const char c : text) {
    if (c == '&') caption += '&';
    caption += c;
  }
  return caption;
}

Win32Platform::Win32Platform()
    : show_message(ShowMessageBox),
      choose_file_to_open(ShowOpenFileDialog),
      choose_file_to_save(ShowSaveFileDialog) {}

void Win32Platform::ShowMessage(std::string_view title, std::string_view text) {
  // After the window has closed (conversions reported at exit) the box stands on its own.
  show_message(Window(), std::string(title), std::string(text));
}

void Win32Platform::SetStatus(StatusField field, std::string_view text) {
  if (handles_ == nullptr || handles_->status_bar == nullptr) return;
  const std::string shown(text);
  SendMessageA(handles_->status_bar, SB_SETTEXTA, static_cast<WPARAM>(field),
               reinterpret_cast<LPARAM>(shown.c_str()));
}

void Win32Platform::SetCaption(Button button, std::string_view text) {
  if (handles_ == nullptr) return;
  HWND control = handles_->buttons[static_cast<std::size_t>(button)];
  if (control != nullptr) SetWindowTextA(control, ButtonCaption(text).c_str());
}

void Win32Platform::SetChecked(Control control, bool checked) {
  if (handles_ == nullptr) return;
  HWND box = handles_->controls[static_cast<std::size_t>(control)];
  // Mirrors the controls model; the boxes send no notification for it.
  if (box != nullptr) SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Platform::DiscardPendingEvents(std::chrono::milliseconds limit) {
  PumpDiscardingInput(Window(), limit);
}

std::string Win32Platform::ChooseFileToOpen(std::string_view title, std::string_view folder) {
  return choose_file_to_open(Window(), {std::string(title), std::string(folder), kFileFilters, 1});
}

std::string Win32Platform::ChooseFileToSave(std::string_view title, std::string_view folder) {
  return choose_file_to_save(Window(), {std::string(title), std::string(folder), kFileFilters, 1});
}

}  // namespace vsm
