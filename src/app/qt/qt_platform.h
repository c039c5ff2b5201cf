#pragma once

#include <QString>
#include <array>
#include <functional>

#include "app/qt/input_discarding.h"
#include "platform/system_platform.h"

class QAbstractButton;
class QLabel;
class QWidget;

namespace vsm {

// The widgets through which the platform shows what the engine reports.
struct WindowWidgets {
  QWidget* window = nullptr;
  std::array<QAbstractButton*, kButtonCount> buttons{};    // indexed by Button
  std::array<QAbstractButton*, kControlCount> controls{};  // indexed by Control
  std::array<QLabel*, 2> status_fields{};
};

// What a file dialog is asked to show.
struct FileDialogRequest {
  QString title;
  QString folder;
  QString filters;          // "Vrk (*.vrk);;Txt (*.txt)"
  QString selected_filter;  // "Vrk (*.vrk)"
};

// The platform of the desktop window. Message boxes and file dialogs go through replaceable
// functions, so that tests answer them instead of a person.
class QtPlatform : public SystemPlatform {
 public:
  using MessageFunction =
      std::function<void(QWidget* parent, const QString& title, const QString& text)>;
  using FileDialogFunction =
      std::function<QString(QWidget* parent, const FileDialogRequest& request)>;

  QtPlatform();

  void Attach(const WindowWidgets& widgets) { widgets_ = widgets; }
  InputDiscarder& input() { return input_; }

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
  std::string ChooseFile(const FileDialogFunction& dialog, std::string_view title,
                         std::string_view folder);

  WindowWidgets widgets_;
  InputDiscarder input_;
};

// The real boxes and dialogs.
void ShowMessageBox(QWidget* parent, const QString& title, const QString& text);
QString ShowOpenFileDialog(QWidget* parent, const FileDialogRequest& request);
QString ShowSaveFileDialog(QWidget* parent, const FileDialogRequest& request);

}  // namespace vsm
