#include "app/qt/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
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

// Qt places widgets in device-independent pixels, at the layout's 96 dots per inch.
constexpr int kLayoutDotsPerInch = 96;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainWindow::MainWindow(QtPlatform& platform, Controls& controls, const Workspace& workspace,
                       ButtonHandler on_button)
    : platform_(platform),
      controls_(controls),
      on_button_(std::move(on_button)),
      operations_(workspace) {
  setObjectName(QStringLiteral("main_window"));
  setWindowTitle(Latin1(window_layout::kTitle));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(window_layout::kClientWidth, window_layout::kClientHeight);
  BuildControls();
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
    // The arrow keys move within the option group as the controls model decides.
    if (row.kind == window_layout::Kind::option_button) control->installEventFilter(this);
  }
  // The frames only draw a border: they lie beneath the controls they surround, which would
  // otherwise not receive a click, and a frame beneath the frames within it.
  for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) (*frame)->lower();
}

// The creation order stays; Tab follows the keyboard order instead.
bool MainWindow::focusNextPrevChild(bool next) {
  const std::size_t stop = NextTabStop(controls_, RowOf(focusWidget()), next);
  rows_[stop]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

std::optional<std::size_t> MainWindow::RowOf(const QObject* control) const {
  const auto found = std::ranges::find(rows_, control);
  if (control == nullptr || found == rows_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - rows_.begin());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
  if (!forward && key != Qt::Key_Up && key != Qt::Key_Left) {
    return QWidget::eventFilter(watched, event);
  }
  const std::optional<std::size_t> focus = MoveWithinOptions(controls_, *RowOf(watched), forward);
  if (focus) rows_[*focus]->setFocus(Qt::TabFocusReason);
  return true;
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
  // Merge and split act on any notification of their button; a Qt push button's is its click.
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
  const int height = status_bar->sizeHint().height();
  status_bar->setGeometry(0, window_layout::kClientHeight - height, window_layout::kClientWidth,
                          height);
}

void MainWindow::FitFontToControls() {
  QFont font = this->font();
  const auto use = [this, &font](const FontForm& form) {
    font.setPixelSize(form.pixels);
    font.setStretch(form.width_percent);
    setFont(font);
  };
  FitFont(QFontInfo(font).pixelSize(), kLayoutDotsPerInch, use,
          [this](std::size_t row) { return rows_[row]->sizeHint().width(); });
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
  const bool close_now = operations_.Run([this, which] {
    DiscardingScope discarding(platform_.input());
    on_button_(which);
  });
  if (close_now) close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!operations_.CloseRequested()) event->ignore();
}

}  // namespace vsm
