#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "app/qt/qt_platform.h"
#include "script/controls.h"

class QAbstractButton;
class QGroupBox;
class QLabel;
class QStatusBar;

namespace vsm {

// The tool's one window: four push buttons for the operations, five check boxes and three option
// buttons that drive the controls model, two frames and a status bar with two fields. Geometry is
// fixed in pixels. While an operation runs, input that arrives is dropped.
class MainWindow : public QWidget {
 public:
  using ButtonHandler = std::function<void(Button)>;

  static constexpr int kClientWidth = 349;
  static constexpr int kClientHeight = 422;

  MainWindow(QtPlatform& platform, Controls& controls, ButtonHandler on_button);

  WindowWidgets Widgets();
  QAbstractButton* button(Button which) const { return buttons_[static_cast<std::size_t>(which)]; }
  QAbstractButton* control(Control which) const {
    return controls_widgets_[static_cast<std::size_t>(which)];
  }
  QLabel* status_field(StatusField field) const {
    return status_fields_[static_cast<std::size_t>(field)];
  }
  bool OperationRunning() const { return operation_running_; }

 private:
  QAbstractButton* AddPushButton(Button which, const char* name, const char* text, QRect geometry);
  void AddCheckBox(Control which, const char* name, const char* text, QRect geometry);
  void AddOptionButton(Control which, const char* name, const char* text, QRect geometry);
  QGroupBox* AddFrame(const char* name, const char* text, QRect geometry);
  void BuildControls();
  void BuildStatusBar();
  void FitFontToControls();
  bool TextsFit() const;
  void PlaceInScreenCentre();
  void RunOperation(Button which);

  QtPlatform& platform_;
  Controls& controls_;
  ButtonHandler on_button_;
  std::array<QAbstractButton*, kButtonCount> buttons_{};
  std::array<QAbstractButton*, kControlCount> controls_widgets_{};
  std::array<QLabel*, 2> status_fields_{};
  bool operation_running_ = false;
};

}  // namespace vsm
