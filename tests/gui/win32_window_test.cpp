// The Windows window's own wiring, driven through its controls in-process under a display: the
// layout, the start state, the controls model behind the boxes, the captions and status texts
// after each operation, and input and close requests during an operation. The engine's rules
// behind the buttons are tested with the engine.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/win32/window_session.h"
#include "expected_window.h"
#include "platform/files.h"
#include "temp_folder.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

struct ShownMessage {
  std::string title;
  std::string text;
};

std::string TextOf(HWND control) {
  char text[512] = {};
  GetWindowTextA(control, text, sizeof text);
  return text;
}

// A control's rectangle in the client coordinates of its window.
RECT AreaOf(HWND control) {
  RECT area{};
  GetWindowRect(control, &area);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&area), 2);
  return area;
}

// The same as left, top, width, height.
RECT PlaceOf(HWND control) {
  const RECT area = AreaOf(control);
  return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

bool Surrounds(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// A push button, check box, option button or frame of the window, as it shows.
struct Shown {
  HWND handle;
  std::string text;
  LONG kind;  // BS_PUSHBUTTON, BS_CHECKBOX, BS_RADIOBUTTON or BS_GROUPBOX
  RECT area;
  bool IsFrame() const { return kind == BS_GROUPBOX; }
};

bool IsStatusBar(HWND child) {
  char class_name[64] = {};
  GetClassNameA(child, class_name, sizeof class_name);
  return lstrcmpiA(class_name, STATUSCLASSNAMEA) == 0;
}

// The window's children from the top of the stacking order down.
std::vector<HWND> ChildrenOf(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

// The window's controls (all its children but the status bar), the topmost first.
std::vector<Shown> ControlsOf(HWND window) {
  std::vector<Shown> controls;
  for (HWND child : ChildrenOf(window)) {
    if (IsStatusBar(child)) continue;
    controls.push_back(
        {child, TextOf(child), GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK, AreaOf(child)});
  }
  return controls;
}

bool IsChecked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Dispatches what is pending, as the window's message loop does, for about `milliseconds`.
void Pump(MainWindow& window, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) window.Dispatch(message);
    Sleep(5);
  } while (std::chrono::steady_clock::now() < end);
}

// Holds Shift down, as far as the thread's keyboard state tells, while it lives.
class HeldShift {
 public:
  HeldShift() { SetShift(0x80); }
  ~HeldShift() { SetShift(0); }
  HeldShift(const HeldShift&) = delete;
  HeldShift& operator=(const HeldShift&) = delete;

 private:
  static void SetShift(BYTE state) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = state;
    SetKeyboardState(keys);
  }
};

// A mouse click that waits in the queue, as one made while the tool is busy would.
void PostClick(HWND control) {
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

class Win32WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    run_.platform.show_message = [this](HWND, const std::string& title, const std::string& text) {
      messages_.push_back({title, text});
    };
    run_.platform.choose_file_to_open = [this](HWND, const FileDialogRequest& request) {
      return Answer(open_requests_, open_answers_, request);
    };
    run_.platform.choose_file_to_save = [this](HWND, const FileDialogRequest& request) {
      return Answer(save_requests_, save_answers_, request);
    };
    const auto started = run_.StartUp();
    ASSERT_TRUE(started && *started);
    run_.window.Show();
    Pump(run_.window, 20);
  }

  void TearDown() override { run_.Finish(); }

  std::string Answer(std::vector<FileDialogRequest>& requests, std::deque<std::string>& answers,
                     const FileDialogRequest& request) {
    requests.push_back(request);
    if (during_dialog_) during_dialog_();
    if (answers.empty()) return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }

  HWND Window() const { return run_.window.handles().window; }
  HWND ButtonOf(Button which) const {
    return run_.window.handles().buttons[static_cast<std::size_t>(which)];
  }
  HWND BoxOf(Control which) const {
    return run_.window.handles().controls[static_cast<std::size_t>(which)];
  }
  std::string Caption(Button which) const { return TextOf(ButtonOf(which)); }
  std::string Status(int field) const {
    char text[512] = {};
    SendMessageA(run_.window.handles().status_bar, SB_GETTEXTA, field,
                 reinterpret_cast<LPARAM>(text));
    return text;
  }
  void Click(HWND control) { SendMessageA(control, BM_CLICK, 0, 0); }
  // Presses `key` on the focused control; the text of the control focused afterwards.
  std::string Press(WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, 1 | (3u << 30));
    Pump(run_.window, 20);
    return TextOf(GetFocus());
  }
  const Options& options() const { return run_.session.workspace.options; }
  std::string Path(std::string_view name) const { return folder_ / name; }
  std::string WriteList(std::string_view name, std::string_view content) {
    WriteFile(Path(name), content);
    return Path(name);
  }

  TempFolder folder_;
  WindowSession run_{folder_.path(), ExecutableFolder()};
  std::vector<ShownMessage> messages_;
  std::deque<std::string> open_answers_;
  std::deque<std::string> save_answers_;
  std::vector<FileDialogRequest> open_requests_;
  std::vector<FileDialogRequest> save_requests_;
  std::function<void()> during_dialog_;
};

TEST_F(Win32WindowTest, WindowHasItsTitleSizeStyleAndPlace) {
  EXPECT_EQ(TextOf(Window()), "VRK Split & Merge");
  RECT client{};
  GetClientRect(Window(), &client);
  EXPECT_EQ(client.right - client.left, kClientWidth);
  EXPECT_EQ(client.bottom - client.top, kClientHeight);
  const LONG style = GetWindowLongA(Window(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  // Centred in the screen's work area.
  RECT outer{}, work{};
  GetWindowRect(Window(), &outer);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((outer.left + outer.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - (work.top + work.bottom)), 1);
}

// The ids follow the order of creation.
TEST_F(Win32WindowTest, ControlsShowTheirKindsTextsAndPlaces) {
  const LONG kStyleOfShape[] = {BS_PUSHBUTTON, BS_CHECKBOX, BS_RADIOBUTTON, BS_GROUPBOX};
  EXPECT_EQ(ControlsOf(Window()).size(), kControlsInCreationOrder.size());
  for (std::size_t row = 0; row < kControlsInCreationOrder.size(); ++row) {
    const ExpectedControl& expected = kControlsInCreationOrder[row];
    HWND control = GetDlgItem(Window(), 101 + static_cast<int>(row));
    ASSERT_NE(control, nullptr) << expected.text;
    EXPECT_EQ(TextOf(control), expected.text);
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK,
              kStyleOfShape[static_cast<int>(expected.shape)])
        << expected.text;
    const RECT place = PlaceOf(control);
    EXPECT_EQ((std::array{place.left, place.top, place.right, place.bottom}),
              (std::array<LONG, 4>{expected.x, expected.y, expected.width, expected.height}))
        << expected.text;
  }
}

TEST_F(Win32WindowTest, EveryControlShowsTheSystemsDialogFont) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  for (const Shown& control : ControlsOf(Window())) {
    LOGFONTA shown{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control.handle, WM_GETFONT, 0, 0)),
               sizeof shown, &shown);
    EXPECT_STREQ(shown.lfFaceName, metrics.lfMessageFont.lfFaceName) << control.text;
  }
}

// From the top down, the controls keep their creation order above the frames, which lie beneath
// them so that a click always reaches a control, a frame beneath the frames within it; the status
// bar lies at the bottom.
TEST_F(Win32WindowTest, ControlsAreCreatedInTheirOrderAboveTheFrames) {
  const std::vector<Shown> controls = ControlsOf(Window());
  std::vector<std::string> stacked;
  std::vector<std::string> frames;
  for (const Shown& control : controls) {
    stacked.push_back(control.text);
    if (control.IsFrame()) frames.push_back(control.text);
  }
  EXPECT_EQ(frames, (std::vector<std::string>{" Providers ", "Save or Split"}));
  std::vector<std::string> others_then_frames;
  for (const ExpectedControl& control : kControlsInCreationOrder) {
    if (control.shape != Shape::frame) others_then_frames.push_back(control.text);
  }
  others_then_frames.insert(others_then_frames.end(), frames.begin(), frames.end());
  EXPECT_EQ(stacked, others_then_frames);
  for (std::size_t above = 0; above < controls.size(); ++above) {
    for (std::size_t below = above + 1; below < controls.size(); ++below) {
      EXPECT_FALSE(controls[above].IsFrame() &&
                   Surrounds(controls[above].area, controls[below].area))
          << controls[above].text << " lies above " << controls[below].text;
    }
  }
  EXPECT_TRUE(IsStatusBar(ChildrenOf(Window()).back()));
}

TEST_F(Win32WindowTest, EveryControlLiesInTheClientAreaAboveTheStatusBar) {
  RECT above_status_bar{};
  GetClientRect(Window(), &above_status_bar);
  above_status_bar.bottom = AreaOf(run_.window.handles().status_bar).top;
  for (const Shown& control : ControlsOf(Window())) {
    EXPECT_TRUE(Surrounds(above_status_bar, control.area)) << control.text;
  }
}

TEST_F(Win32WindowTest, StatusBarHasTwoFieldsAtTheBottom) {
  // Two fields, 100 and 246 wide, at the bottom of the client area.
  HWND status_bar = run_.window.handles().status_bar;
  int edges[3] = {};
  EXPECT_EQ(SendMessageA(status_bar, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], kStatusFieldWidths[0]);
  EXPECT_EQ(edges[1], kStatusFieldWidths[0] + kStatusFieldWidths[1]);
  const RECT bar = PlaceOf(status_bar);
  EXPECT_EQ(bar.top + bar.bottom, kClientHeight);
  EXPECT_GE(bar.top, 390);
}

TEST_F(Win32WindowTest, StartStateShowsVersionAndKeepsExistingProviders) {
  for (const Control box :
       {Control::keep_pref_box, Control::remove_favorites_box, Control::remove_radio_box,
        Control::split_per_provider_box, Control::divide_fta_box, Control::antenna_name_option,
        Control::satellite_position_option}) {
    EXPECT_FALSE(IsChecked(BoxOf(box)));
  }
  EXPECT_TRUE(IsChecked(BoxOf(Control::keep_existing_option)));
  EXPECT_EQ(Caption(Button::split), "Split per antenna");
  EXPECT_EQ(Status(0), "");
  EXPECT_EQ(Status(1), "Version 1.5 build 324 ,  20-06-2007 19:56 ");
  EXPECT_TRUE(IsFolder(Path("VrkWork")));
  EXPECT_TRUE(IsRegularFile(Path("VrkKeep\\sat_position.txt")));
  EXPECT_TRUE(IsFolder(Path("VrkResult")));
}

TEST_F(Win32WindowTest, BoxesAndOptionButtonsShowWhatTheControlsModelDecides) {
  for (const Control box : {Control::keep_pref_box, Control::remove_favorites_box,
                            Control::remove_radio_box, Control::split_per_provider_box}) {
    Click(BoxOf(box));
    EXPECT_TRUE(IsChecked(BoxOf(box)));
  }
  EXPECT_TRUE(options().keep_pref_antennas && options().remove_favorites &&
              options().remove_radios && options().split_into_providers);
  EXPECT_EQ(Caption(Button::split), "Split per provider");
  Click(BoxOf(Control::split_per_provider_box));
  EXPECT_FALSE(IsChecked(BoxOf(Control::split_per_provider_box)));
  EXPECT_EQ(Caption(Button::split), "Split per antenna");

  // The FTA box is refused while existing names are kept.
  Click(BoxOf(Control::divide_fta_box));
  EXPECT_FALSE(IsChecked(BoxOf(Control::divide_fta_box)));
  EXPECT_FALSE(options().divide_fta_notfta);

  // The three option buttons form one group, decided by the model; a click on the selected one
  // keeps it selected.
  for (int twice = 0; twice < 2; ++twice) Click(BoxOf(Control::satellite_position_option));
  EXPECT_TRUE(IsChecked(BoxOf(Control::satellite_position_option)));
  EXPECT_FALSE(IsChecked(BoxOf(Control::keep_existing_option)));
  EXPECT_FALSE(IsChecked(BoxOf(Control::antenna_name_option)));
  EXPECT_EQ(options().naming, Naming::use_satellite_position);
  Click(BoxOf(Control::divide_fta_box));
  EXPECT_TRUE(IsChecked(BoxOf(Control::divide_fta_box)));
  Click(BoxOf(Control::antenna_name_option));
  EXPECT_FALSE(IsChecked(BoxOf(Control::satellite_position_option)));
  EXPECT_EQ(options().naming, Naming::use_antenna_names);
  Click(BoxOf(Control::keep_existing_option));
  EXPECT_FALSE(IsChecked(BoxOf(Control::divide_fta_box)));
  EXPECT_FALSE(IsChecked(BoxOf(Control::antenna_name_option)));
  EXPECT_EQ(options().naming, Naming::keep_existing_names);
}

// Where Tab and the arrow keys lead is tested with the engine; here, that the window follows it.
// The stacking, and with it the frames beneath, stays as created.
TEST_F(Win32WindowTest, KeysMoveTheFocusInKeyboardOrderAndSpacePressesTheFocusedControl) {
  SetFocus(BoxOf(Control::divide_fta_box));
  EXPECT_EQ(Press(VK_TAB), "Keep existing providers");
  EXPECT_EQ(Press(VK_UP), "Keep existing providers");
  EXPECT_EQ(Press(VK_DOWN), "Use satellite position as provider name");
  EXPECT_EQ(options().naming, Naming::use_satellite_position);
  EXPECT_TRUE(IsChecked(BoxOf(Control::satellite_position_option)));
  EXPECT_FALSE(IsChecked(BoxOf(Control::keep_existing_option)));
  EXPECT_EQ(Press(VK_RIGHT), "Use Antenna (Lnb) Name as provider name");
  EXPECT_EQ(Press(VK_LEFT), "Use satellite position as provider name");
  EXPECT_EQ(Press(VK_TAB), "Split per antenna");
  {
    HeldShift shift;
    EXPECT_EQ(Press(VK_TAB), "Use satellite position as provider name");
  }
  EXPECT_EQ(TextOf(ChildrenOf(Window()).front()), "Load");

  SetFocus(BoxOf(Control::divide_fta_box));
  EXPECT_EQ(Press(VK_SPACE), "Divide providers into FTA and Non FTA");
  EXPECT_TRUE(options().divide_fta_notfta);
  SetFocus(BoxOf(Control::split_per_provider_box));
  Press(VK_SPACE);
  EXPECT_EQ(Caption(Button::split), "Split per provider");
}

// An activation gives the focus back to a control, never to the window itself: to Load at first
// (a window manager may activate the window only after it is shown, when the keyboard may even have
// moved on), then to the control that had it when a box or dialog took it.
TEST_F(Win32WindowTest, AnActivationLeavesTheFocusOnAControl) {
  const auto activate = [this] { SendMessageA(Window(), WM_ACTIVATE, WA_ACTIVE, 0); };
  SetFocus(Window());
  activate();
  EXPECT_EQ(TextOf(GetFocus()), "Load");
  Press(VK_TAB);
  activate();
  EXPECT_EQ(TextOf(GetFocus()), "Merge");
  SendMessageA(Window(), WM_ACTIVATE, WA_INACTIVE, 0);
  SetFocus(nullptr);  // as when a message box that had the focus is gone
  activate();
  EXPECT_EQ(TextOf(GetFocus()), "Merge");
}

// Screen readers announce each control by its text.
TEST_F(Win32WindowTest, EveryControlIsAnnouncedByItsText) {
  CoInitialize(nullptr);
  for (const Shown& control : ControlsOf(Window())) {
    IAccessible* accessible = nullptr;
    ASSERT_EQ(
        AccessibleObjectFromWindow(control.handle, static_cast<DWORD>(OBJID_CLIENT),
                                   __uuidof(IAccessible), reinterpret_cast<void**>(&accessible)),
        S_OK)
        << control.text;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    EXPECT_EQ(accessible->get_accName(self, &name), S_OK) << control.text;
    const std::wstring announced = name != nullptr ? std::wstring(name) : std::wstring();
    EXPECT_EQ(std::string(announced.begin(), announced.end()), control.text);
    SysFreeString(name);
    accessible->Release();
  }
  CoUninitialize();
}

TEST_F(Win32WindowTest, EachOperationLeavesItsCaptionsAndStatusTexts) {
  // Merge before anything is loaded opens the load dialog.
  open_answers_ = {WriteList("a&b.txt", OneAntennaListText("Astra", 2)),
                   WriteList("c.txt", OneAntennaListText("Hotbird", 1)), ""};
  Click(ButtonOf(Button::merge));
  ASSERT_EQ(open_requests_.size(), 1u);
  EXPECT_EQ(open_requests_[0].title, "Please choose file to load");
  EXPECT_EQ(open_requests_[0].folder, folder_.path());
  EXPECT_EQ(open_requests_[0].filters, std::string("Vrk (*.vrk)\0*.vrk\0Txt (*.txt)\0*.txt\0", 36));
  EXPECT_EQ(open_requests_[0].selected_filter, 1u);
  // "&" is doubled, or the button would underline the next letter instead of showing it.
  EXPECT_EQ(Caption(Button::load), "Loaded a&&b.txt");
  EXPECT_EQ(Status(0), "Done loading.");
  EXPECT_EQ(Status(1), "Tv 2 , Radio 1");

  Click(ButtonOf(Button::merge));
  EXPECT_EQ(open_requests_.back().title, "Please choose file to merge");
  EXPECT_EQ(Caption(Button::merge), "Merged c.txt");
  EXPECT_EQ(Status(0), "Done merging.");
  EXPECT_EQ(Status(1), "Tv 3 , Radio 2");

  // A cancelled merge dialog changes nothing.
  Click(ButtonOf(Button::merge));
  EXPECT_EQ(Caption(Button::merge), "Merged c.txt");

  save_answers_ = {Path("out.txt"), ""};
  Click(ButtonOf(Button::save));
  EXPECT_EQ(save_requests_.back().title, "Please choose file to save");
  EXPECT_EQ(Caption(Button::save), "Saved out.txt");
  EXPECT_EQ(Status(0), "Done saving.");
  EXPECT_TRUE(IsRegularFile(Path("out.txt")));
  Click(ButtonOf(Button::save));
  EXPECT_EQ(Caption(Button::save), "Save");
  EXPECT_EQ(Status(0), "Nothing saved.");

  Click(BoxOf(Control::split_per_provider_box));
  Click(ButtonOf(Button::split));
  // Both lists name their provider "P": one provider after the merge.
  EXPECT_EQ(Caption(Button::split), "Split into 1 providers");
  EXPECT_EQ(Status(0), "Done splitting.");
  EXPECT_TRUE(IsRegularFile(Path("provider_list.txt")));

  // A failed load: the "Nice...." box, its text with the engine's own line break.
  open_answers_ = {Path("missing.txt")};
  Click(ButtonOf(Button::load));
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_.back().title, "Nice....");
  EXPECT_EQ(messages_.back().text,
            "LoadFile: No file specified or found.\r\n" + Path("missing.txt"));
  EXPECT_EQ(Caption(Button::load), "Load");
  EXPECT_EQ(Caption(Button::merge), "Merge");
  EXPECT_EQ(Status(1), "Tv 0 , Radio 0");
}

TEST_F(Win32WindowTest, InputDuringAnOperationIsDiscarded) {
  HWND box = BoxOf(Control::remove_radio_box);
  // A click that waits in the queue reaches the box when nothing runs...
  PostClick(box);
  Pump(run_.window, 50);
  EXPECT_TRUE(IsChecked(box));
  // ...but one made while an operation runs is dropped, not handled afterwards.
  during_dialog_ = [box] { PostClick(box); };
  open_answers_ = {WriteList("a.txt", OneAntennaListText("Astra", 2))};
  Click(ButtonOf(Button::load));
  Pump(run_.window, 50);
  EXPECT_TRUE(IsChecked(box));
  EXPECT_TRUE(options().remove_radios);
  EXPECT_EQ(Caption(Button::load), "Loaded a.txt");
  // The same while the engine takes events itself (a script line, a converter's wait).
  PostClick(box);
  run_.platform.DiscardPendingEvents(std::chrono::milliseconds(10));
  Pump(run_.window, 50);
  EXPECT_TRUE(IsChecked(box));
}

TEST_F(Win32WindowTest, CloseRequestDuringAnOperationIsCarriedOutAfterIt) {
  // A click on the close box: a close request, held until the load has returned.
  during_dialog_ = [this] { PostMessageA(Window(), WM_NCLBUTTONDOWN, HTCLOSE, 0); };
  open_answers_ = {WriteList("a.txt", OneAntennaListText("Astra", 2))};
  HWND window = Window();
  HWND load = ButtonOf(Button::load);
  Click(load);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(run_.session.workspace.settings.current_file, Path("a.txt"));
}

TEST_F(Win32WindowTest, FailedConversionsAreReportedWhenIdleAndAtTheEnd) {
  const std::string target = Path("VrkResult\\never.vrk");
  // A program that cannot be started fails like a converter that ends with an error.
  const ProgramQueue::Job job{Path("no-such-converter.exe"), "source.txt", target, target};
  run_.session.workspace.conversions.Start(run_.platform, job);
  for (int tries = 0; tries < 100 && messages_.empty(); ++tries) Pump(run_.window, 50);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].title, "Nice....");
  EXPECT_EQ(
      messages_[0].text.rfind("Conversion failed: \r\n" + target + "\r\ncould not be started: ", 0),
      0u)
      << messages_[0].text;
  // One that fails while the window closes is reported before the tool ends.
  run_.session.workspace.conversions.Start(run_.platform, job);
  SendMessageA(Window(), WM_CLOSE, 0, 0);
  run_.Finish();
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[1].text, messages_[0].text);
}

}  // namespace
}  // namespace vsm
