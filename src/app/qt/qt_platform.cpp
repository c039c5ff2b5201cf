#include "app/qt/qt_platform.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSignalBlocker>

#include "app/qt/display_text.h"

namespace vsm {

namespace {

const QString kFileFilters = QStringLiteral("Vrk (*.vrk);;Txt (*.txt)");
const QString kFirstFilter = QStringLiteral("Vrk (*.vrk)");

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                      QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, request.title, request.folder, request.filters);
  dialog.setAcceptMode(mode);
  // A name that does not exist is accepted: the engine reports it by itself.
  dialog.setFileMode(QFileDialog::AnyFile);
  // The tool appends ".vrk" itself where needed and overwrites without asking.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setDefaultSuffix(QString());
  dialog.selectNameFilter(request.selected_filter);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace

void ShowMessageBox(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  // A file name such as "<b>.txt" must show as it is, not as markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

QString ShowOpenFileDialog(QWidget* parent, const FileDialogRequest& request) {
  return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

QString ShowSaveFileDialog(QWidget* parent, const FileDialogRequest& request) {
  return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

QtPlatform::QtPlatform()
    : show_message(ShowMessageBox),
      choose_file_to_open(ShowOpenFileDialog),
      choose_file_to_save(ShowSaveFileDialog) {}

void QtPlatform::ShowMessage(std::string_view title, std::string_view text) {
  SuspendedDiscarding answerable(input_);
  show_message(widgets_.window, DisplayText(title), MessageText(text));
}

void QtPlatform::SetStatus(StatusField field, std::string_view text) {
  QLabel* label = widgets_.status_fields[static_cast<std::size_t>(field)];
  if (label != nullptr) label->setText(DisplayText(text));
}

void QtPlatform::SetCaption(Button button, std::string_view text) {
  QAbstractButton* widget = widgets_.buttons[static_cast<std::size_t>(button)];
  // "&" is doubled, or the button would underline the next letter instead of showing it.
  if (widget != nullptr) widget->setText(DisplayText(text).replace('&', QStringLiteral("&&")));
}

void QtPlatform::SetChecked(Control control, bool checked) {
  QAbstractButton* widget = widgets_.controls[static_cast<std::size_t>(control)];
  if (widget == nullptr) return;
  // Mirrors the controls model; the model has run its handler already.
  const QSignalBlocker quiet(widget);
  widget->setChecked(checked);
}

void QtPlatform::DiscardPendingEvents(std::chrono::milliseconds limit) {
  DiscardingScope discarding(input_, DiscardingScope::OnExit::keep_pending);
  QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(limit.count()));
}

std::string QtPlatform::ChooseFile(const FileDialogFunction& dialog, std::string_view title,
                                   std::string_view folder) {
  SuspendedDiscarding answerable(input_);
  const FileDialogRequest request{DisplayText(title), FromFileSystemName(folder), kFileFilters,
                                  kFirstFilter};
  const QString chosen = dialog(widgets_.window, request);
  return chosen.isEmpty() ? std::string() : FileSystemName(chosen);
}

std::string QtPlatform::ChooseFileToOpen(std::string_view title, std::string_view folder) {
  return ChooseFile(choose_file_to_open, title, folder);
}

std::string QtPlatform::ChooseFileToSave(std::string_view title, std::string_view folder) {
  return ChooseFile(choose_file_to_save, title, folder);
}

}  // namespace vsm
