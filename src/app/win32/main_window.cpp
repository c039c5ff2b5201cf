#include "app/win32/main_window.h"

#include <commctrl.h>

#include <cstdlib>
#include <iterator>
#include <optional>
#include <ranges>
#include <string>
#include <utility>
#include <vector>

#include "app/win32/input_discarding.h"
#include "app/win32/resource_ids.h"

namespace vsm {

namespace {

constexpr const char* kWindowClass = "VrkSplitMergeWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kFirstControlId = 101;  // clear of IDOK and IDCANCEL, which the dialog keys send
constexpr int kStatusBarId = 200;
constexpr UINT_PTR kTimerId = 1;

using window_layout::Kind;

constexpr std::size_t Index(Button button) { return static_cast<std::size_t>(button); }
constexpr std::size_t Index(Control control) { return static_cast<std::size_t>(control); }

// The check boxes and option buttons do not change their own state: the controls model decides
// it (it may refuse a click) and the platform shows it back.
DWORD StyleOf(Kind kind) {
  switch (kind) {
    case Kind::push_button:
      return BS_PUSHBUTTON | WS_TABSTOP;
    case Kind::check_box:
      return BS_CHECKBOX | WS_TABSTOP;
    case Kind::option_button:
      return BS_RADIOBUTTON | WS_TABSTOP;
    case Kind::frame:
      return BS_GROUPBOX | WS_CLIPSIBLINGS;
  }
  return 0;
}

void RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, kWindowClass, &existing)) return;
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kWindowClass;
  // The program's own icon; a test program without one gets the system's.
  window_class.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(VSM_ICON_RESOURCE),
                                                     IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                     GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  window_class.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(VSM_ICON_RESOURCE), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  RegisterClassExA(&window_class);
}

LOGFONTA DialogFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return metrics.lfMessageFont;
  }
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

int ScreenDotsPerInch() {
  HDC screen = GetDC(nullptr);
  const int dots = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dots > 0 ? dots : 96;
}

// How wide a check box or option button must be to show its whole text on one line: the text,
// the box and the gaps beside it. (The controls' own BCM_GETIDEALSIZE is not used: under wine it
// answers well over what the control draws.)
int TextWidthWithBox(HWND control, HFONT font) {
  char text[256] = {};
  const int length = GetWindowTextA(control, text, sizeof text);
  HDC context = GetDC(control);
  HGDIOBJ old = SelectObject(context, font);
  SIZE extent{};
  GetTextExtentPoint32A(context, text, length, &extent);
  SelectObject(context, old);
  ReleaseDC(control, context);
  return extent.cx + GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE) * 2;
}

int AverageCharWidth(const LOGFONTA& face) {
  HFONT font = CreateFontIndirectA(&face);
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(screen, &metrics);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  DeleteObject(font);
  return metrics.tmAveCharWidth;
}

HFONT CreateFontInForm(LOGFONTA face, const FontForm& form) {
  face.lfHeight = -form.pixels;
  face.lfWidth = 0;
  if (form.width_percent != 100) {
    face.lfWidth = MulDiv(AverageCharWidth(face), form.width_percent, 100);
  }
  return CreateFontIndirectA(&face);
}

}  // namespace

MainWindow::MainWindow(Controls& controls, const Workspace& workspace, ButtonHandler on_button)
    : controls_(controls), on_button_(std::move(on_button)), operations_(workspace) {}

MainWindow::~MainWindow() {
  if (handles_.window != nullptr) {
    on_destroyed = nullptr;
    DestroyWindow(handles_.window);
  }
  if (font_ != nullptr) DeleteObject(font_);
}

int MainWindow::Scaled(int pixels) const { return ScaledPixels(pixels, dots_per_inch_); }

bool MainWindow::Create() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClass(instance);
  dots_per_inch_ = ScreenDotsPerInch();
  // The outer size follows from the client size by the system's own reckoning of the frame.
  RECT outer{0, 0, Scaled(window_layout::kClientWidth), Scaled(window_layout::kClientHeight)};
  AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  const std::string title(window_layout::kTitle);
  HWND window = CreateWindowExA(0, kWindowClass, title.c_str(), kWindowStyle, x, y, width, height,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return false;
  handles_.window = window;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcedure));
  BuildControls();
  FitFontToControls();
  BuildStatusBar();
  return true;
}

void MainWindow::Show() {
  // The window may be activated only after it is shown (as wine does when the window manager is
  // slow), and an activation gives the focus back to this control, not to the window itself.
  last_focus_ = handles_.buttons[Index(Button::load)];
  ShowWindow(handles_.window, SW_SHOW);
  UpdateWindow(handles_.window);
  SetFocus(last_focus_);
}

void MainWindow::Dispatch(MSG& message) {
  if (MovesTheFocus(message)) return;
  // Space presses the control that has the focus, as in a dialog.
  if (handles_.window != nullptr && IsDialogMessageA(handles_.window, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

// The creation order, and with it the stacking that keeps the frames beneath, stays: Tab and the
// arrow keys are taken here, before the dialog manager would follow the stacking.
bool MainWindow::MovesTheFocus(const MSG& message) {
  if (message.message != WM_KEYDOWN || handles_.window == nullptr) return false;
  if (message.hwnd != handles_.window && GetParent(message.hwnd) != handles_.window) return false;
  const std::optional<std::size_t> row = RowOf(message.hwnd);
  switch (message.wParam) {
    case VK_TAB:
      if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
      Focus(NextTabStop(controls_, row, GetKeyState(VK_SHIFT) >= 0));
      return true;
    case VK_DOWN:
    case VK_RIGHT:
    case VK_UP:
    case VK_LEFT: {
      const bool forward = message.wParam == VK_DOWN || message.wParam == VK_RIGHT;
      if (!row || window_layout::kControls[*row].kind != Kind::option_button) {
        Focus(NextTabStop(controls_, row, forward));
      } else if (const auto focus = MoveWithinOptions(controls_, *row, forward)) {
        Focus(*focus);
      }
      return true;
    }
    default:
      return false;
  }
}

std::optional<std::size_t> MainWindow::RowOf(HWND control) const {
  const auto found = std::ranges::find(rows_, control);
  if (control == nullptr || found == rows_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - rows_.begin());
}

// As a dialog does, the window gives the focus back to the control that had it when another
// window (a file dialog, a message box) took it; true when it did so.
bool MainWindow::KeepsTheFocusAcross(bool activated) {
  if (!activated) {
    if (RowOf(GetFocus())) last_focus_ = GetFocus();
    return false;
  }
  if (RowOf(GetFocus())) return true;  // a late activation: the keyboard may have moved it on
  if (last_focus_ == nullptr || !IsWindow(last_focus_)) return false;
  SetFocus(last_focus_);
  return true;
}

// The system draws the focus frame only once the keyboard has been used in the window.
void MainWindow::Focus(std::size_t row) {
  SetFocus(rows_[row]);
  SendMessageA(handles_.window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void MainWindow::StartTimer(UINT milliseconds) {
  SetTimer(handles_.window, kTimerId, milliseconds, nullptr);
}

void MainWindow::BuildControls() {
  std::vector<HWND> frames;
  for (std::size_t row = 0; row < window_layout::kControls.size(); ++row) {
    const window_layout::Row& control = window_layout::kControls[row];
    HWND handle = AddControl(row, control);
    rows_[row] = handle;
    switch (control.kind) {
      case Kind::push_button:
        handles_.buttons[Index(control.button.value())] = handle;
        break;
      case Kind::check_box:
      case Kind::option_button:
        handles_.controls[Index(control.control.value())] = handle;
        break;
      case Kind::frame:
        frames.push_back(handle);
        break;
    }
  }
  // The frames only draw a border: they lie beneath the controls they surround, which keep their
  // creation order above them, so that a click always reaches a control; a frame lies beneath
  // the frames within it.
  for (HWND frame : frames | std::views::reverse) {
    SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

HWND MainWindow::AddControl(std::size_t row, const window_layout::Row& control) {
  const std::string text(control.text);
  const window_layout::Place& place = control.place;
  const auto id = static_cast<INT_PTR>(kFirstControlId + row);
  return CreateWindowExA(0, "BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | StyleOf(control.kind),
                         Scaled(place.x), Scaled(place.y), Scaled(place.width),
                         Scaled(place.height), handles_.window, reinterpret_cast<HMENU>(id),
                         GetModuleHandleA(nullptr), nullptr);
}

void MainWindow::BuildStatusBar() {
  HWND status_bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                    handles_.window, reinterpret_cast<HMENU>(INT_PTR{kStatusBarId}),
                                    GetModuleHandleA(nullptr), nullptr);
  handles_.status_bar = status_bar;
  if (status_bar == nullptr) return;
  SendMessageA(status_bar, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  // Right edges of the two fields.
  const std::array<int, 2>& widths = window_layout::kStatusFieldWidths;
  int edges[2] = {Scaled(widths[0]), Scaled(widths[0] + widths[1])};
  SendMessageA(status_bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  // Like any status bar, it takes the bottom of the client area, at the height of its font.
  SendMessageA(status_bar, WM_SIZE, 0, 0);
}

void MainWindow::FitFontToControls() {
  const LOGFONTA face = DialogFont();
  const int system_pixels = face.lfHeight != 0 ? std::abs(face.lfHeight) : Scaled(12);
  FitFont(
      system_pixels, dots_per_inch_,
      [this, &face](const FontForm& form) { UseFont(CreateFontInForm(face, form)); },
      [this](std::size_t row) { return TextWidthWithBox(rows_[row], font_); });
}

void MainWindow::UseFont(HFONT font) {
  if (font == nullptr) return;
  for (HWND control = GetWindow(handles_.window, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
}

LRESULT CALLBACK MainWindow::WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, w, l);
  return self->HandleMessage(window, message, w, l);
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(w), HIWORD(w));
      return 0;
    case WM_ACTIVATE:
      if (KeepsTheFocusAcross(LOWORD(w) != WA_INACTIVE)) return 0;
      return DefWindowProcA(window, message, w, l);
    case WM_TIMER:
      if (w == kTimerId && on_timer) on_timer();
      return 0;
    case WM_CLOSE:
      OnCloseRequest();
      return 0;
    case WM_DESTROY:
      KillTimer(window, kTimerId);
      handles_ = WindowHandles{};
      rows_ = {};
      last_focus_ = nullptr;
      if (on_destroyed) on_destroyed();
      return 0;
    default:
      return DefWindowProcA(window, message, w, l);
  }
}

// Load and save act on a plain click; merge and split on any notification of their button. The
// check boxes and option buttons pass their click to the controls model. During an operation a
// notification can only come from input that was queued before it began: it is ignored.
void MainWindow::OnCommand(int id, int notification) {
  const int row = id - kFirstControlId;
  if (row < 0 || row >= std::ssize(window_layout::kControls) || operations_.Running()) return;
  const window_layout::Row& control = window_layout::kControls[static_cast<std::size_t>(row)];
  switch (control.kind) {
    case Kind::push_button: {
      const Button button = control.button.value();
      const bool any_notification = button == Button::merge || button == Button::split;
      if (notification == BN_CLICKED || any_notification) {
        RunOperation([this, button] { on_button_(button); });
      }
      break;
    }
    case Kind::check_box:
      if (notification == BN_CLICKED) {
        const Control box = control.control.value();
        controls_.Click(box, !controls_.IsChecked(box));
      }
      break;
    case Kind::option_button:
      // A click on an option button always selects it, even when it was selected already.
      if (notification == BN_CLICKED) controls_.Click(control.control.value(), true);
      break;
    case Kind::frame:
      break;
  }
}

void MainWindow::RunOperation(const std::function<void()>& work) {
  const bool close_now = operations_.Run([this, &work] {
    work();
    DropPendingInput(handles_.window);
  });
  if (close_now && handles_.window != nullptr) DestroyWindow(handles_.window);
}

void MainWindow::OnCloseRequest() {
  if (operations_.CloseRequested()) DestroyWindow(handles_.window);
}

}  // namespace vsm
