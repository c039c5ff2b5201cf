#include "app/qt/main_window.h"

#include <QCheckBox>
#include <QFont>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>

namespace vsm {

namespace {

constexpr int kOutcomeFieldWidth = 100;
constexpr int kDetailFieldWidth = 246;
constexpr int kSmallestFontPixels = 10;

}  // namespace

MainWindow::MainWindow(QtPlatform& platform, Controls& controls, ButtonHandler on_button)
    : platform_(platform), controls_(controls), on_button_(std::move(on_button)) {
  setObjectName(QStringLiteral("main_window"));
  setWindowTitle(QStringLiteral("VRK Split & Merge"));
  // Title bar with the system menu and the close box only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  BuildControls();
  FitFontToControls();
  BuildStatusBar();
  PlaceInScreenCentre();
}

void MainWindow::BuildControls() {
  AddPushButton(Button::load, "load_button", "Load", {20, 20, 310, 30});
  AddPushButton(Button::save, "save_button", "Save", {20, 350, 310, 30});
  AddCheckBox(Control::remove_radio_box, "remove_radio_box", "Remove all Radio channels",
              {180, 150, 150, 30});
  AddCheckBox(Control::remove_favorites_box, "remove_favorites_box", "Remove all Favorites",
              {30, 150, 140, 30});
  AddCheckBox(Control::keep_pref_box, "keep_pref_box", "Keep preferred Antennas",
              {30, 120, 140, 30});
  AddPushButton(Button::split, "split_button", "Split per antenna", {20, 310, 310, 30});
  AddPushButton(Button::merge, "merge_button", "Merge", {20, 60, 310, 30});
  QGroupBox* save_or_split = AddFrame("save_or_split_frame", "Save or Split", {10, 100, 330, 290});
  AddCheckBox(Control::divide_fta_box, "divide_fta_box", "Divide providers into FTA and Non FTA",
              {40, 200, 210, 30});
  AddCheckBox(Control::split_per_provider_box, "split_per_provider_box",
              "Split into vrk per Provider", {180, 120, 140, 30});
  QGroupBox* providers = AddFrame("providers_frame", " Providers ", {30, 180, 290, 120});
  AddOptionButton(Control::antenna_name_option, "antenna_name_option",
                  "Use Antenna (Lnb) Name as provider name", {40, 270, 230, 20});
  AddOptionButton(Control::satellite_position_option, "satellite_position_option",
                  "Use satellite position as provider name", {40, 250, 230, 20});
  AddOptionButton(Control::keep_existing_option, "keep_existing_option", "Keep existing providers",
                  {40, 230, 180, 20});
  // The frames only draw a border: they lie beneath the controls they surround, which would
  // otherwise not receive a click.
  providers->lower();
  save_or_split->lower();
}

QAbstractButton* MainWindow::AddPushButton(Button which, const char* name, const char* text,
                                           QRect geometry) {
  auto* button = new QPushButton(QString::fromLatin1(text), this);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  buttons_[static_cast<std::size_t>(which)] = button;
  // Load and save act on a plain click; merge and split on any notification of their button,
  // which for a Qt push button is its click as well (mouse or keyboard).
  connect(button, &QPushButton::clicked, this, [this, which] { RunOperation(which); });
  return button;
}

void MainWindow::AddCheckBox(Control which, const char* name, const char* text, QRect geometry) {
  auto* box = new QCheckBox(QString::fromLatin1(text), this);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(geometry);
  controls_widgets_[static_cast<std::size_t>(which)] = box;
  // The model decides the final state (it may refuse the click) and shows it back.
  connect(box, &QCheckBox::clicked, this,
          [this, which](bool checked) { controls_.Click(which, checked); });
}

void MainWindow::AddOptionButton(Control which, const char* name, const char* text,
                                 QRect geometry) {
  auto* option = new QRadioButton(QString::fromLatin1(text), this);
  option->setObjectName(QString::fromLatin1(name));
  option->setGeometry(geometry);
  // The controls model keeps the three in one group; the widgets only show its state.
  option->setAutoExclusive(false);
  controls_widgets_[static_cast<std::size_t>(which)] = option;
  // A click on an option button always selects it, even when it was selected already.
  connect(option, &QRadioButton::clicked, this, [this, which] { controls_.Click(which, true); });
}

QGroupBox* MainWindow::AddFrame(const char* name, const char* text, QRect geometry) {
  auto* frame = new QGroupBox(QString::fromLatin1(text), this);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setGeometry(geometry);
  return frame;
}

void MainWindow::BuildStatusBar() {
  auto* status_bar = new QStatusBar(this);
  status_bar->setObjectName(QStringLiteral("status_bar"));
  status_bar->setSizeGripEnabled(false);
  const std::array<int, 2> widths = {kOutcomeFieldWidth, kDetailFieldWidth};
  for (std::size_t field = 0; field < widths.size(); ++field) {
    auto* label = new QLabel(status_bar);
    label->setObjectName(QStringLiteral("status_field_%1").arg(field));
    label->setFixedWidth(widths[field]);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status_bar->addWidget(label);
    status_fields_[field] = label;
  }
  // Like the status bar of a desktop window, it takes the bottom of the client area.
  const int height = status_bar->sizeHint().height();
  status_bar->setGeometry(0, kClientHeight - height, kClientWidth, height);
}

// The geometry is fixed in pixels and was made for a small dialog font; desktop fonts are often
// larger. The window takes the largest size, and the least condensed form, of the desktop's font
// at which every check box and option button shows its whole text.
void MainWindow::FitFontToControls() {
  QFont font = this->font();
  const int desktop_pixels = QFontInfo(font).pixelSize();
  for (int pixels = desktop_pixels; pixels >= kSmallestFontPixels; --pixels) {
    for (const int stretch : {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed}) {
      font.setPixelSize(pixels);
      font.setStretch(stretch);
      setFont(font);
      if (TextsFit()) return;
    }
  }
}

bool MainWindow::TextsFit() const {
  for (const QAbstractButton* control : controls_widgets_) {
    if (control->sizeHint().width() > control->width()) return false;
  }
  return true;
}

void MainWindow::PlaceInScreenCentre() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  move(available.center() - rect().center());
}

WindowWidgets MainWindow::Widgets() {
  WindowWidgets widgets;
  widgets.window = this;
  for (std::size_t i = 0; i < buttons_.size(); ++i) widgets.buttons[i] = buttons_[i];
  widgets.controls = controls_widgets_;
  widgets.status_fields = status_fields_;
  return widgets;
}

void MainWindow::RunOperation(Button which) {
  // Input is dropped while an operation runs; a click that slipped through the engine's own
  // event pumping must still not start a second operation inside the first.
  if (operation_running_) return;
  operation_running_ = true;
  {
    DiscardingScope discarding(platform_.input());
    on_button_(which);
  }
  operation_running_ = false;
  if (platform_.input().TakeHeldCloseRequest()) close();
}

}  // namespace vsm
