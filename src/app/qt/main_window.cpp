#include "app/qt/main_window.h"

#include <QCheckBox>
#include <QFont>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>
#include <optional>
#include <ranges>
#include <string_view>
#include <vector>

namespace vsm {

namespace {

constexpr int kSmallestFontPixels = 10;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainWindow::MainWindow(QtPlatform& platform, Controls& controls, ButtonHandler on_button)
    : platform_(platform), controls_(controls), on_button_(std::move(on_button)) {
  setObjectName(QStringLiteral("main_window"));
  setWindowTitle(Latin1(window_layout::kTitle));
  // Title bar with the system menu and the close box only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(window_layout::kClientWidth, window_layout::kClientHeight);
  BuildControls();
  FollowTheKeyboardOrder();
  FitFontToControls();
  BuildStatusBar();
  PlaceInScreenCentre();
}

void MainWindow::BuildControls() {
  std::vector<QWidget*> frames;
  for (std::size_t number = 0; number < window_layout::kControls.size(); ++number) {
    const window_layout::Row& row = window_layout::kControls[number];
    QWidget* control = AddControl(row);
    control->setObjectName(Latin1(row.name));
    control->setGeometry(row.place.x, row.place.y, row.place.width, row.place.height);
    rows_[number] = control;
    if (row.kind == window_layout::Kind::frame) frames.push_back(control);
  }
  // The frames only draw a border: they lie beneath the controls they surround, which would
  // otherwise not receive a click, and a frame beneath the frames within it.
  for (QWidget* frame : frames | std::views::reverse) frame->lower();
}

// The creation order stays; Tab follows the eye instead. Of the option buttons only the one that
// is set takes Tab, and the arrow keys move between them.
void MainWindow::FollowTheKeyboardOrder() {
  const auto& stops = window_layout::kKeyboardRows;
  for (std::size_t stop = 1; stop < stops.size(); ++stop) {
    setTabOrder(rows_[stops[stop - 1]], rows_[stops[stop]]);
  }
  for (const std::size_t row : window_layout::kOptionGroup) rows_[row]->installEventFilter(this);
}

bool MainWindow::focusNextPrevChild(bool next) {
  QWidget* start = focusWidget() != nullptr ? focusWidget() : this;
  for (QWidget* candidate = start;;) {
    candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
    if (candidate == start) return false;
    if (TakesTab(candidate)) {
      candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return true;
    }
  }
}

bool MainWindow::TakesTab(const QWidget* widget) const {
  if (!widget->isEnabled() || !widget->isVisible() || !(widget->focusPolicy() & Qt::TabFocus)) {
    return false;
  }
  const bool is_option = std::ranges::any_of(window_layout::kOptionGroup,
                                             [&](std::size_t row) { return rows_[row] == widget; });
  return !is_option || static_cast<const QAbstractButton*>(widget)->isChecked();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
  if (!forward && key != Qt::Key_Up && key != Qt::Key_Left) {
    return QWidget::eventFilter(watched, event);
  }
  const auto row = std::ranges::find(rows_, watched) - rows_.begin();
  MoveToNeighbourOption(static_cast<std::size_t>(row), forward);
  return true;
}

// The controls model decides whether the option is set; the focus follows only when it is.
void MainWindow::MoveToNeighbourOption(std::size_t row, bool forward) {
  const std::optional<std::size_t> neighbour = window_layout::NeighbourOption(row, forward);
  if (!neighbour) return;
  const Control option = window_layout::kControls[*neighbour].control.value();
  controls_.Click(option, true);
  if (controls_.IsChecked(option)) rows_[*neighbour]->setFocus(Qt::TabFocusReason);
}

QWidget* MainWindow::AddControl(const window_layout::Row& row) {
  const QString text = Latin1(row.text);
  switch (row.kind) {
    case window_layout::Kind::push_button:
      return AddPushButton(row.button.value(), text);
    case window_layout::Kind::check_box:
      return AddCheckBox(row.control.value(), text);
    case window_layout::Kind::option_button:
      return AddOptionButton(row.control.value(), text);
    case window_layout::Kind::frame:
      break;
  }
  return new QGroupBox(text, this);
}

QAbstractButton* MainWindow::AddPushButton(Button which, const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setAutoDefault(false);
  buttons_[static_cast<std::size_t>(which)] = button;
  // Load and save act on a plain click; merge and split on any notification of their button,
  // which for a Qt push button is its click as well (mouse or keyboard).
  connect(button, &QPushButton::clicked, this, [this, which] { RunOperation(which); });
  return button;
}

QAbstractButton* MainWindow::AddCheckBox(Control which, const QString& text) {
  auto* box = new QCheckBox(text, this);
  controls_widgets_[static_cast<std::size_t>(which)] = box;
  // The model decides the final state (it may refuse the click) and shows it back.
  connect(box, &QCheckBox::clicked, this,
          [this, which](bool checked) { controls_.Click(which, checked); });
  return box;
}

QAbstractButton* MainWindow::AddOptionButton(Control which, const QString& text) {
  auto* option = new QRadioButton(text, this);
  // The controls model keeps the three in one group; the widgets only show its state.
  option->setAutoExclusive(false);
  controls_widgets_[static_cast<std::size_t>(which)] = option;
  // A click on an option button always selects it, even when it was selected already.
  connect(option, &QRadioButton::clicked, this, [this, which] { controls_.Click(which, true); });
  return option;
}

void MainWindow::BuildStatusBar() {
  auto* status_bar = new QStatusBar(this);
  status_bar->setObjectName(QStringLiteral("status_bar"));
  status_bar->setSizeGripEnabled(false);
  const std::array<int, 2>& widths = window_layout::kStatusFieldWidths;
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
  status_bar->setGeometry(0, window_layout::kClientHeight - height, window_layout::kClientWidth,
                          height);
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
