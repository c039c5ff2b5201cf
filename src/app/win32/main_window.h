#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

#include "app/window_behaviour.h"
#include "app/window_layout.h"
#include "platform/platform.h"
#include "script/controls.h"

namespace vsm {

// The parts of the window through which the platform shows what the engine reports. All empty
// once the window has been destroyed.
struct WindowHandles {
  HWND window = nullptr;
  std::array<HWND, kButtonCount> buttons{};    // indexed by Button
  std::array<HWND, kControlCount> controls{};  // indexed by Control
  HWND status_bar = nullptr;
};

// The tool's one window, made of the system's own controls: four push buttons for the
// operations, five check boxes and three option buttons that drive the controls model, two group
// boxes and a status bar with two fields. The window layout is fixed in pixels at 96 dots per
// inch and scaled to the screen's. While an operation runs, input that arrives is dropped.
class MainWindow {
 public:
  using ButtonHandler = std::function<void(Button)>;

  MainWindow(Controls& controls, const Workspace& workspace, ButtonHandler on_button);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Opens the window, hidden, centred on the screen; false when the system refuses it.
  bool Create();
  void Show();
  // Handles one message of the thread's queue as the window's message loop does.
  void Dispatch(MSG& message);
  const WindowHandles& handles() const { return handles_; }
  bool OperationRunning() const { return operations_.Running(); }

  // Runs `work` as an operation: input that arrives meanwhile is dropped.
  void RunOperation(const std::function<void()>& work);

  // Called on every tick of the timer started by StartTimer.
  std::function<void()> on_timer;
  // Called when the window has been destroyed.
  std::function<void()> on_destroyed;

  void StartTimer(UINT milliseconds);

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l);
  void OnCommand(int id, int notification);
  void OnCloseRequest();
  bool MovesTheFocus(const MSG& message);
  std::optional<std::size_t> RowOf(HWND control) const;
  void Focus(std::size_t row);
  bool KeepsTheFocusAcross(bool activated);
  void BuildControls();
  HWND AddControl(std::size_t row, const window_layout::Row& control);
  void BuildStatusBar();
  void FitFontToControls();
  void UseFont(HFONT font);
  int Scaled(int pixels) const;

  Controls& controls_;
  ButtonHandler on_button_;
  WindowHandles handles_;
  std::array<HWND, window_layout::kControls.size()> rows_{};  // by row of the layout
  HWND last_focus_ = nullptr;  // the control that an activation gives the focus to: Load at
                               // first, then the one that had it when the window lost it
  HFONT font_ = nullptr;
  int dots_per_inch_ = 96;
  WindowOperations operations_;
};

}  // namespace vsm
