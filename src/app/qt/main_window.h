#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "app/qt/qt_platform.h"
#include "app/window_behaviour.h"
#include "app/window_layout.h"
#include "script/controls.h"

class QAbstractButton;
class QLabel;
class QStatusBar;

namespace vsm {

// The tool's one window: four push buttons for the operations, five check boxes and three option
// buttons that drive the controls model, two frames and a status bar with two fields, laid out
// in fixed pixels by the window layout. While an operation runs, input that arrives is dropped.
class MainWindow : public QWidget {
 public:
  using ButtonHandler = std::function<void(Button)>;

  MainWindow(QtPlatform& platform, Controls& controls, const Workspace& workspace,
             ButtonHandler on_button);

  WindowWidgets Widgets();
  QAbstractButton* button(Button which) const { return buttons_[static_cast<std::size_t>(which)]; }
  QAbstractButton* control(Control which) const {
    return controls_widgets_[static_cast<std::size_t>(which)];
  }
  QLabel* status_field(StatusField field) const {
    return status_fields_[static_cast<std::size_t>(field)];
  }
  bool OperationRunning() const { return operations_.Running(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  QWidget* AddControl(const window_layout::Row& row);
  std::optional<std::size_t> RowOf(const QObject* control) const;
  QAbstractButton* AddPushButton(Button which, const QString& text);
  QAbstractButton* AddCheckBox(Control which, const QString& text);
  QAbstractButton* AddOptionButton(Control which, const QString& text);
  void BuildStatusBar();
  void FitFontToControls();
  void PlaceInScreenCentre();
  void RunOperation(Button which);

  QtPlatform& platform_;
  Controls& controls_;
  ButtonHandler on_button_;
  std::array<QWidget*, window_layout::kControls.size()> rows_{};  // by row of the layout
  std::array<QAbstractButton*, kButtonCount> buttons_{};
  std::array<QAbstractButton*, kControlCount> controls_widgets_{};
  std::array<QLabel*, 2> status_fields_{};
  WindowOperations operations_;
};

}  // namespace vsm
