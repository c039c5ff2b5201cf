#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/display_text.h"
#include "app/qt/window_session.h"
#include "expected_window.h"
#include "list_text.h"
#include "platform/files.h"
#include "session/version.h"

namespace vsm {
namespace {

using namespace test_support;

// One antenna, two providers, two TV services and one radio service.
const std::string kFirstList = CrLf({
    "[MORVANE V3 FILE]",
    "[ANTENNA]",
    "0\t1\t3\t4\t5\t6\t7\t8\tAstra",
    "[TS]",
    "0\t11\t12\t13\t14\t15\t16\t17",
    "[NETWORK]",
    "net\tone",
    "[PROVIDER]",
    "BBC",
    "ORF",
    "[MENU]",
    "m1",
    "[SERVICE]",
    ServiceLine("V", "0", "0", "tv one"),
    ServiceLine("V", "0", "1", "tv two"),
    ServiceLine("A", "0", "1", "radio one"),
});

// Another antenna with a third provider and one TV service.
const std::string kSecondList = CrLf({
    "[MORVANE V3 FILE]",
    "[ANTENNA]",
    "0\t2\t3\t4\t5\t6\t7\t8\tHotbird",
    "[TS]",
    "0\t21\t22\t23\t24\t25\t26\t27",
    "[NETWORK]",
    "net\ttwo",
    "[PROVIDER]",
    "RAI",
    "[MENU]",
    "m2",
    "[SERVICE]",
    ServiceLine("V", "0", "0", "tv three"),
});

struct ShownMessage {
  QString title;
  QString text;
};

const QStringList kCreationOrder = [] {
  QStringList texts;
  for (const auto& control : kControlsInCreationOrder)
    texts << QString::fromStdString(control.text);
  return texts;
}();

bool IsFrame(const QWidget* control) { return qobject_cast<const QGroupBox*>(control) != nullptr; }

QString TextOf(const QWidget* control) {
  if (const auto* frame = qobject_cast<const QGroupBox*>(control)) return frame->title();
  return qobject_cast<const QAbstractButton*>(control)->text();
}

// The window's push buttons, check boxes, option buttons and frames, the lowest first.
std::vector<const QWidget*> ControlsOf(const QWidget& window) {
  std::vector<const QWidget*> controls;
  for (const QObject* child : window.children()) {
    if (qobject_cast<const QAbstractButton*>(child) || qobject_cast<const QGroupBox*>(child)) {
      controls.push_back(static_cast<const QWidget*>(child));
    }
  }
  return controls;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void StartStateShowsVersionAndKeepsExistingProviders();
  void WindowHasFixedSizeTitleAndNoMinimiseBox();
  void ControlsShowTheirKindsTextsAndPlaces();
  void ControlsAreCreatedInTheirOrderAboveTheFrames();
  void EveryControlLiesInTheClientAreaAboveTheStatusBar();
  void EveryCheckBoxAndOptionButtonTakesAClickThroughTheFrames();
  void BoxesShowWhatTheControlsModelDecides();
  void KeysMoveTheFocusInKeyboardOrderAndSpacePressesTheFocusedControl();
  void EveryControlIsAnnouncedByItsText();
  void EachOperationLeavesItsCaptionsAndStatusTexts();
  void FileNameWithAccentsRoundTripsThroughTheDialog();
  void TextsShowAsUtf8OrWindows1252();
  void ClicksDuringAnOperationAreDiscarded();
  void CloseRequestDuringAnOperationIsCarriedOutAfterIt();
  void FailedConversionsAreReportedWhenIdleAndAtTheEnd();
  void OpenDialogAcceptsANameThatDoesNotExist();
  void SaveDialogAddsNoExtensionAndDoesNotAskBeforeOverwriting();
  void MessageBoxHasTitleTextAndOneOkButton();

 private:
  QAbstractButton* Button(vsm::Button which) { return run_->window.button(which); }
  QAbstractButton* Control(vsm::Control which) { return run_->window.control(which); }
  QString Status(StatusField field) { return run_->window.status_field(field)->text(); }
  Workspace& workspace() { return run_->session.workspace; }
  void Click(QAbstractButton* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
  QString Path(const QString& name) const { return folder_->filePath(name); }
  QString WriteList(const QString& name, const std::string& content);
  void PostClick(QWidget* widget);
  QString Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<WindowSession> run_;
  std::deque<QString> open_answers_;
  std::deque<QString> save_answers_;
  std::vector<FileDialogRequest> open_requests_;
  std::vector<FileDialogRequest> save_requests_;
  std::vector<ShownMessage> messages_;
  std::function<void()> during_open_dialog_;
};

void MainWindowTest::init() {
  folder_ = std::make_unique<QTemporaryDir>();
  QVERIFY(folder_->isValid());
  run_ = std::make_unique<WindowSession>(FileSystemName(folder_->path()), ExecutableFolder());
  QtPlatform& platform = run_->platform;
  platform.show_message = [this](QWidget*, const QString& title, const QString& text) {
    messages_.push_back({title, text});
  };
  platform.choose_file_to_open = [this](QWidget*, const FileDialogRequest& request) {
    open_requests_.push_back(request);
    if (during_open_dialog_) during_open_dialog_();
    if (open_answers_.empty()) return QString();
    QString answer = open_answers_.front();
    open_answers_.pop_front();
    return answer;
  };
  platform.choose_file_to_save = [this](QWidget*, const FileDialogRequest& request) {
    save_requests_.push_back(request);
    if (save_answers_.empty()) return QString();
    QString answer = save_answers_.front();
    save_answers_.pop_front();
    return answer;
  };
  QVERIFY(run_->StartUp().has_value());
  run_->window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&run_->window));
}

void MainWindowTest::cleanup() {
  run_->Finish();
  run_.reset();
  folder_.reset();
  open_answers_.clear();
  save_answers_.clear();
  open_requests_.clear();
  save_requests_.clear();
  messages_.clear();
  during_open_dialog_ = nullptr;
}

QString MainWindowTest::WriteList(const QString& name, const std::string& content) {
  const QString path = Path(name);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(content.data(), static_cast<qint64>(content.size()));
  return path;
}

// A click that waits in the event queue, as one made while the tool is busy would.
void MainWindowTest::PostClick(QWidget* widget) {
  const QPointF centre = QRectF(widget->rect()).center();
  const QPointF global = widget->mapToGlobal(centre);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QCoreApplication::postEvent(
        widget, new QMouseEvent(type, centre, global, Qt::LeftButton, held, Qt::NoModifier));
  }
}

// Presses `key` on the focused control; the control that has the focus afterwards.
QString MainWindowTest::Press(int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
  return QApplication::focusWidget()->objectName();
}

void MainWindowTest::StartStateShowsVersionAndKeepsExistingProviders() {
  for (const vsm::Control box :
       {Control::keep_pref_box, Control::remove_favorites_box, Control::remove_radio_box,
        Control::split_per_provider_box, Control::divide_fta_box, Control::antenna_name_option,
        Control::satellite_position_option}) {
    QVERIFY(!Control(box)->isChecked());
    QVERIFY(!run_->session.controls.IsChecked(box));
  }
  QVERIFY(Control(Control::keep_existing_option)->isChecked());
  QVERIFY(run_->session.controls.IsChecked(Control::keep_existing_option));
  QCOMPARE(Button(Button::split)->text(), QString("Split per antenna"));
  QCOMPARE(Button(Button::load)->text(), QString("Load"));
  QCOMPARE(Status(StatusField::detail), QString::fromStdString(VersionText()));
  QCOMPARE(Status(StatusField::detail), QString("Version 1.5 build 324 ,  20-06-2007 19:56 "));
  QVERIFY(QDir(Path("VrkWork")).exists());
  QVERIFY(QFile::exists(Path("VrkKeep/sat_position.txt")));
  QVERIFY(QDir(Path("VrkResult")).exists());
}

void MainWindowTest::WindowHasFixedSizeTitleAndNoMinimiseBox() {
  MainWindow& window = run_->window;
  QCOMPARE(window.windowTitle(), QString("VRK Split & Merge"));
  QCOMPARE(window.size(), QSize(kClientWidth, kClientHeight));
  QCOMPARE(window.minimumSize(), window.maximumSize());
  const Qt::WindowFlags flags = window.windowFlags();
  QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
  QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
  QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
  QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
  QCOMPARE(window.status_field(StatusField::outcome)->width(), kStatusFieldWidths[0]);
  QCOMPARE(window.status_field(StatusField::detail)->width(), kStatusFieldWidths[1]);
  // The status bar lies at the bottom of the client area, below every control.
  const QWidget* status_bar = window.findChild<QWidget*>("status_bar");
  QVERIFY(status_bar != nullptr);
  QCOMPARE(status_bar->geometry().bottom(), kClientHeight - 1);
  QVERIFY(status_bar->geometry().top() >= 390);
}

void MainWindowTest::ControlsShowTheirKindsTextsAndPlaces() {
  const char* const kClassOfShape[] = {"QPushButton", "QCheckBox", "QRadioButton", "QGroupBox"};
  QCOMPARE(ControlsOf(run_->window).size(), kControlsInCreationOrder.size());
  for (const auto& expected : kControlsInCreationOrder) {
    const QWidget* control = run_->window.findChild<const QWidget*>(expected.name.c_str());
    QVERIFY2(control != nullptr, expected.name.c_str());
    QCOMPARE(control->metaObject()->className(), kClassOfShape[static_cast<int>(expected.shape)]);
    QCOMPARE(TextOf(control), QString::fromStdString(expected.text));
    QCOMPARE(control->geometry(), QRect(expected.x, expected.y, expected.width, expected.height));
  }
}

// The frames only draw a border: they lie beneath every other control, so that a click always
// reaches a control, and a frame beneath the frames within it. The other controls keep their
// creation order above them.
void MainWindowTest::ControlsAreCreatedInTheirOrderAboveTheFrames() {
  const std::vector<const QWidget*> controls = ControlsOf(run_->window);
  QStringList stacked;
  QStringList frames;
  for (const QWidget* control : controls) {
    stacked << TextOf(control);
    if (IsFrame(control)) frames << TextOf(control);
  }
  QCOMPARE(frames, QStringList({"Save or Split", " Providers "}));
  QStringList frames_then_others = frames;
  for (const QString& text : kCreationOrder) {
    if (!frames.contains(text)) frames_then_others << text;
  }
  QCOMPARE(stacked, frames_then_others);
  for (std::size_t below = 0; below < controls.size(); ++below) {
    for (std::size_t above = below + 1; above < controls.size(); ++above) {
      const bool surrounds = controls[above]->geometry().contains(controls[below]->geometry());
      QVERIFY2(!(IsFrame(controls[above]) && surrounds),
               qPrintable(TextOf(controls[above]) + " lies above " + TextOf(controls[below])));
    }
  }
}

void MainWindowTest::EveryControlLiesInTheClientAreaAboveTheStatusBar() {
  const auto* status_bar = run_->window.findChild<const QWidget*>("status_bar");
  QVERIFY(status_bar != nullptr);
  QRect above_status_bar = run_->window.rect();
  above_status_bar.setBottom(status_bar->geometry().top() - 1);
  for (const QWidget* control : ControlsOf(run_->window)) {
    QVERIFY2(above_status_bar.contains(control->geometry()), qPrintable(TextOf(control)));
  }
}

void MainWindowTest::EveryCheckBoxAndOptionButtonTakesAClickThroughTheFrames() {
  // The frames lie over part of the controls they surround; a click must reach the control.
  for (const vsm::Control box : {Control::keep_pref_box, Control::remove_favorites_box,
                                 Control::remove_radio_box, Control::split_per_provider_box}) {
    Click(Control(box));
    QVERIFY2(run_->session.controls.IsChecked(box), qPrintable(Control(box)->objectName()));
    QVERIFY(Control(box)->isChecked());
  }
  QVERIFY(workspace().options.keep_pref_antennas);
  QVERIFY(workspace().options.remove_favorites);
  QVERIFY(workspace().options.remove_radios);
  QVERIFY(workspace().options.split_into_providers);
  Click(Control(Control::antenna_name_option));
  QCOMPARE(workspace().options.naming, Naming::use_antenna_names);
  Click(Control(Control::satellite_position_option));
  QCOMPARE(workspace().options.naming, Naming::use_satellite_position);
  Click(Control(Control::divide_fta_box));
  QVERIFY(workspace().options.divide_fta_notfta);
  Click(Control(Control::keep_pref_box));
  QVERIFY(!workspace().options.keep_pref_antennas);
  QVERIFY(!Control(Control::keep_pref_box)->isChecked());
}

// The check boxes and option buttons toggle themselves on a click; the controls model decides the
// final state and the widgets must show it: a refused FTA box unchecked again, one option button
// of three, a click on the selected option keeping it selected.
void MainWindowTest::BoxesShowWhatTheControlsModelDecides() {
  Click(Control(Control::divide_fta_box));
  QVERIFY(!Control(Control::divide_fta_box)->isChecked());
  QVERIFY(!workspace().options.divide_fta_notfta);

  for (int twice = 0; twice < 2; ++twice) Click(Control(Control::satellite_position_option));
  QVERIFY(Control(Control::satellite_position_option)->isChecked());
  QVERIFY(!Control(Control::keep_existing_option)->isChecked());
  QVERIFY(!Control(Control::antenna_name_option)->isChecked());
  QCOMPARE(workspace().options.naming, Naming::use_satellite_position);
  Click(Control(Control::divide_fta_box));
  QVERIFY(Control(Control::divide_fta_box)->isChecked());
  for (int twice = 0; twice < 2; ++twice) Click(Control(Control::keep_existing_option));
  QVERIFY(Control(Control::keep_existing_option)->isChecked());
  QVERIFY(!Control(Control::satellite_position_option)->isChecked());
  QVERIFY(!Control(Control::divide_fta_box)->isChecked());

  Click(Control(Control::split_per_provider_box));
  QCOMPARE(Button(Button::split)->text(), QString("Split per provider"));
  Click(Control(Control::split_per_provider_box));
  QCOMPARE(Button(Button::split)->text(), QString("Split per antenna"));
}

// Where Tab and the arrow keys lead is tested with the engine; here, that the window follows it.
void MainWindowTest::KeysMoveTheFocusInKeyboardOrderAndSpacePressesTheFocusedControl() {
  run_->window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&run_->window));
  Control(Control::divide_fta_box)->setFocus(Qt::TabFocusReason);
  QCOMPARE(Press(Qt::Key_Tab), QString("keep_existing_option"));
  QCOMPARE(Press(Qt::Key_Up), QString("keep_existing_option"));
  QCOMPARE(Press(Qt::Key_Down), QString("satellite_position_option"));
  QCOMPARE(workspace().options.naming, Naming::use_satellite_position);
  QVERIFY(Control(Control::satellite_position_option)->isChecked());
  QVERIFY(!Control(Control::keep_existing_option)->isChecked());
  QCOMPARE(Press(Qt::Key_Right), QString("antenna_name_option"));
  QCOMPARE(Press(Qt::Key_Left), QString("satellite_position_option"));
  QCOMPARE(Press(Qt::Key_Tab), QString("split_button"));
  QCOMPARE(Press(Qt::Key_Tab, Qt::ShiftModifier), QString("satellite_position_option"));

  Control(Control::divide_fta_box)->setFocus(Qt::TabFocusReason);
  QCOMPARE(Press(Qt::Key_Space), QString("divide_fta_box"));
  QVERIFY(workspace().options.divide_fta_notfta);
  Control(Control::split_per_provider_box)->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Space);
  QCOMPARE(Button(Button::split)->text(), QString("Split per provider"));
}

// Screen readers announce each control by its text.
void MainWindowTest::EveryControlIsAnnouncedByItsText() {
  QStringList announced;
  for (const QWidget* control : ControlsOf(run_->window)) {
    QAccessibleInterface* accessible =
        QAccessible::queryAccessibleInterface(const_cast<QWidget*>(control));
    QVERIFY(accessible != nullptr);
    announced << accessible->text(QAccessible::Name);
  }
  QStringList texts = kCreationOrder;
  QStringList announced_sorted = announced;
  texts.sort();
  announced_sorted.sort();
  QCOMPARE(announced_sorted, texts);
}

// The buttons reach the user operations, whose texts the window shows; the dialogs get the
// window's filters; the idle window looks after the conversions until they have all ended.
void MainWindowTest::EachOperationLeavesItsCaptionsAndStatusTexts() {
  open_answers_ = {WriteList("lists/a&b.txt", kFirstList), WriteList("b.txt", kSecondList)};
  // Merge before anything is loaded opens the load dialog.
  Click(Button(Button::merge));
  QCOMPARE(open_requests_.size(), std::size_t{1});
  QCOMPARE(open_requests_[0].title, QString("Please choose file to load"));
  QCOMPARE(open_requests_[0].folder, QDir(folder_->path()).absolutePath() + "/");
  QCOMPARE(open_requests_[0].filters, QString("Vrk (*.vrk);;Txt (*.txt)"));
  QCOMPARE(open_requests_[0].selected_filter, QString("Vrk (*.vrk)"));
  // "&" is doubled, or the button would underline the next letter instead of showing it.
  QCOMPARE(Button(Button::load)->text(), QString("Loaded a&&b.txt"));
  QCOMPARE(Status(StatusField::outcome), QString("Done loading."));
  QCOMPARE(Status(StatusField::detail), QString("Tv 2 , Radio 1"));

  Click(Button(Button::merge));
  QCOMPARE(open_requests_.back().title, QString("Please choose file to merge"));
  QCOMPARE(Button(Button::merge)->text(), QString("Merged b.txt"));
  QCOMPARE(Status(StatusField::outcome), QString("Done merging."));
  QCOMPARE(Status(StatusField::detail), QString("Tv 3 , Radio 1"));

  save_answers_ = {Path("out.txt")};
  Click(Button(Button::save));
  QCOMPARE(save_requests_.back().title, QString("Please choose file to save"));
  QCOMPARE(Status(StatusField::outcome), QString("Done saving."));
  QCOMPARE(Button(Button::save)->text(), QString("Saved out.txt"));
  QFile saved(Path("out.txt"));
  QVERIFY(saved.open(QIODevice::ReadOnly));
  QCOMPARE(saved.readLine(), QByteArray("[MORVANE V3 FILE]\r\n"));
  Click(Button(Button::save));  // cancelled
  QCOMPARE(Button(Button::save)->text(), QString("Save"));
  QCOMPARE(Status(StatusField::outcome), QString("Nothing saved."));

  Click(Control(Control::split_per_provider_box));
  Click(Button(Button::split));
  QCOMPARE(Button(Button::split)->text(), QString("Split into 3 providers"));
  QCOMPARE(Status(StatusField::outcome), QString("Done splitting."));
  QFile script(Path("provider_list.txt"));
  QVERIFY(script.open(QIODevice::ReadOnly));
  QCOMPARE(script.readLine(), QByteArray("[VRK_SPLIT_MERGE]\r\n"));
  QTRY_VERIFY_WITH_TIMEOUT(workspace().conversions.Idle(), 20000);
  QCOMPARE(QDir(Path("VrkResult")).entryList({"*.vrk"}, QDir::Files).size(), 3);
  QVERIFY(messages_.empty());

  // A failed load: the "Nice...." box shows the engine's CR LF as a line break.
  const QString missing = Path("missing.txt");
  open_answers_ = {missing};
  Click(Button(Button::load));
  QVERIFY(!messages_.empty());
  QCOMPARE(messages_.back().title, QString("Nice...."));
  QCOMPARE(messages_.back().text, "LoadFile: No file specified or found.\n" + missing);
  QCOMPARE(Button(Button::load)->text(), QString("Load"));
  QCOMPARE(Status(StatusField::detail), QString("Tv 0 , Radio 0"));
}

void MainWindowTest::FileNameWithAccentsRoundTripsThroughTheDialog() {
  const QString name = QString::fromUtf8("Liste d\u00e9j\u00e0 vue.txt");
  open_answers_ = {WriteList(name, kFirstList)};
  Click(Button(Button::load));
  QCOMPARE(Button(Button::load)->text(), "Loaded " + name);
  QCOMPARE(workspace().settings.current_file, FileSystemName(Path(name)));
}

void MainWindowTest::TextsShowAsUtf8OrWindows1252() {
  QCOMPARE(DisplayText("19.2\260E"), QString::fromUtf8("19.2\u00b0E"));
  QCOMPARE(DisplayText("caf\xC3\xA9"), QString::fromUtf8("caf\u00e9"));
  QCOMPARE(DisplayText("\x80 \x93quoted\x94"), QString::fromUtf8("\u20ac \u201cquoted\u201d"));
  QCOMPARE(MessageText("one\r\ntwo\rthree"), QString("one\ntwo\nthree"));
  run_->platform.SetStatus(StatusField::detail, "Astra 19.2\xB0");
  QCOMPARE(Status(StatusField::detail), QString::fromUtf8("Astra 19.2\u00b0"));
}

void MainWindowTest::ClicksDuringAnOperationAreDiscarded() {
  QAbstractButton* box = Control(Control::remove_radio_box);
  // A click that waits in the queue reaches the box when nothing runs...
  PostClick(box);
  QCoreApplication::processEvents();
  QVERIFY(box->isChecked());
  QVERIFY(workspace().options.remove_radios);
  // ...but one made while an operation runs is dropped, not handled afterwards.
  during_open_dialog_ = [this, box] { PostClick(box); };
  open_answers_ = {WriteList("a.txt", kFirstList)};
  Click(Button(Button::load));
  QCoreApplication::processEvents();
  QVERIFY(box->isChecked());
  QVERIFY(workspace().options.remove_radios);
  QCOMPARE(Button(Button::load)->text(), QString("Loaded a.txt"));
}

void MainWindowTest::CloseRequestDuringAnOperationIsCarriedOutAfterIt() {
  during_open_dialog_ = [this] { QCoreApplication::postEvent(&run_->window, new QCloseEvent); };
  open_answers_ = {WriteList("a.txt", kFirstList)};
  Click(Button(Button::load));
  QCOMPARE(Button(Button::load)->text(), QString("Loaded a.txt"));
  QVERIFY(!run_->window.isVisible());
}

void MainWindowTest::FailedConversionsAreReportedWhenIdleAndAtTheEnd() {
  const std::string target = FileSystemName(Path("VrkResult/never.vrk"));
  // A program that cannot be started fails like a converter that ends with an error.
  const ProgramQueue::Job job{FileSystemName(Path("no-such-converter")), "source.txt", target,
                              target};
  workspace().conversions.Start(run_->platform, job);
  QTRY_COMPARE_WITH_TIMEOUT(messages_.size(), std::size_t{1}, 5000);
  QCOMPARE(messages_[0].title, QString("Nice...."));
  QCOMPARE(messages_[0].text, "Conversion failed: \n" + Path("VrkResult/never.vrk") +
                                  "\ncould not be started: No such file or directory");
  // One that fails while the window closes is reported before the tool ends.
  workspace().conversions.Start(run_->platform, job);
  run_->window.close();
  run_->Finish();
  QCOMPARE(messages_.size(), std::size_t{2});
  QCOMPARE(messages_[1].text, messages_[0].text);
}

// Answers the file dialog that opens next with `name`, after recording what it offered.
void AnswerNextFileDialog(const QString& name, QStringList* offered) {
  QTimer::singleShot(0, [name, offered] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    *offered << dialog->windowTitle() << dialog->directory().absolutePath()
             << dialog->nameFilters().join(";;") << dialog->selectedNameFilter();
    dialog->selectFile(name);
    // A question the dialog asks back (overwrite?) is refused, so that the dialog stays open.
    QTimer::singleShot(100, [] {
      if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        question->reject();
      }
    });
    static_cast<QDialog*>(dialog)->accept();
    // A dialog that did not take the name is cancelled instead of waiting for a person.
    if (dialog->isVisible()) dialog->reject();
  });
}

void MainWindowTest::OpenDialogAcceptsANameThatDoesNotExist() {
  const QString current_folder = QDir::currentPath();
  const FileDialogRequest request{"Please choose file to load", folder_->path(),
                                  "Vrk (*.vrk);;Txt (*.txt)", "Vrk (*.vrk)"};
  QStringList offered;
  AnswerNextFileDialog(Path("not-there.vrk"), &offered);
  QCOMPARE(ShowOpenFileDialog(&run_->window, request), Path("not-there.vrk"));
  QCOMPARE(offered, QStringList({"Please choose file to load", folder_->path(),
                                 "Vrk (*.vrk);;Txt (*.txt)", "Vrk (*.vrk)"}));
  QCOMPARE(QDir::currentPath(), current_folder);
}

void MainWindowTest::SaveDialogAddsNoExtensionAndDoesNotAskBeforeOverwriting() {
  WriteList("existing", kFirstList);
  const FileDialogRequest request{"Please choose file to save", folder_->path(),
                                  "Vrk (*.vrk);;Txt (*.txt)", "Vrk (*.vrk)"};
  QStringList offered;
  AnswerNextFileDialog(Path("existing"), &offered);
  QCOMPARE(ShowSaveFileDialog(&run_->window, request), Path("existing"));
  QCOMPARE(offered.value(0), QString("Please choose file to save"));
}

void MainWindowTest::MessageBoxHasTitleTextAndOneOkButton() {
  QStringList shown;
  QTimer::singleShot(0, [&shown] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    shown << box->windowTitle() << box->text() << QString::number(box->buttons().size())
          << (box->textFormat() == Qt::PlainText ? "plain text" : "markup");
    box->button(QMessageBox::Ok)->click();
  });
  ShowMessageBox(&run_->window, "Nice....", "Cannot write file \n<b>out.vrk");
  QCOMPARE(shown, QStringList({"Nice....", "Cannot write file \n<b>out.vrk", "1", "plain text"}));
}

}  // namespace vsm

QTEST_MAIN(vsm::MainWindowTest)
#include "main_window_test.moc"
