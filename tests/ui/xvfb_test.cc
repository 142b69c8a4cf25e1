// The dialogs on a real X server (tests/ui/with_xvfb.sh starts an Xvfb),
// against the sample store over HTTP:
// - the progress window is painted, and painted again after something
//   covered it, while an upload waits on a server that has stopped reading;
// - every dialog goes from open to OK with key presses only, the way a
//   person at the keyboard works, and leaves what the mouse would;
// - what the windows ask of a window manager: no minimise or maximise, the
//   host program's window class.
// Skipped unless DISPLAY names an X server.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "automation/connect_orvex.h"
#include "integration/docstore_fixture.h"
#include "platform/host_map.h"
#include "platform/language.h"
#include "platform/ui/toolkit.h"
#include "support/holding_relay.h"
#include "support/temp_dir.h"
#include "ui/x_screen.h"

namespace orvex::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Polls `done` every 50 ms for at most a minute (the machine may be busy);
// true once it holds.
bool Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 1200; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return done();
}

class XvfbTest : public DocstoreTest {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY)";
    unsetenv("QT_QPA_PLATFORM");
    ui::UseToolkit("qt");
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    DocstoreTest::SetUp();
    relay_ = std::make_unique<HoldingRelay>(store_->port());
    platform::MapHost("docs", {"127.0.0.1", relay_->port()});
    obj_ = std::make_unique<automation::ConnectOrvex>();
  }
  void TearDown() override {
    obj_.reset();
    relay_.reset();
    DocstoreTest::TearDown();
  }

  // Connected as jones with Sales current, through the progress window.
  void Open() {
    obj_->Properties().ShowDialog = true;
    ASSERT_TRUE(obj_->ConnectOpen("docs", "jones", "CORP", "secret"));
    ASSERT_EQ(Call(*obj_, "SetWorkspace", {Variant("Sales")}), Variant(true));
  }

  // `file` of `size` bytes in the temporary folder.
  std::string LocalFile(const std::string& file, size_t size) {
    std::ofstream(fs::path(dir_.path()) / file, std::ios::binary) << std::string(size, 'x');
    return dir_.path();
  }

  TempDir dir_{"xvfb"};
  std::unique_ptr<HoldingRelay> relay_;
  std::unique_ptr<automation::ConnectOrvex> obj_;
};

TEST_F(XvfbTest, TheProgressWindowStaysPaintedWhileAnUploadWaitsOnTheServer) {
  Open();
  constexpr size_t kSize = 8u << 20;
  const std::string local = LocalFile("big.bin", kSize);
  // The server stops reading half way through the upload until the
  // screen has been looked at.
  relay_->HoldAfter(kSize / 2);
  XScreen::Look first, repainted;
  bool found = false;
  std::string window_class;
  std::atomic<bool> escaped{false};
  bool up_after_escape = false;
  std::thread watcher([&] {
    XScreen screen;
    if (relay_->WaitHeld(60s)) {
      xcb_window_t window = 0;
      found = Eventually([&] { return (window = screen.FindWindow("File Upload")) != 0; });
      if (found) {
        const XScreen::Rect area = screen.Area(window);
        first = screen.LookAt(area);
        window_class = screen.Property(window, "WM_CLASS");
        screen.CoverAndUncover(area);
        // Painted anew only if the busy thread still answers the server.
        Eventually([&] {
          repainted = screen.LookAt(area);
          return repainted.lit > 0.9 && repainted.dark > 0;
        });
        // Escape, handled by the busy thread between two steps of the
        // upload, closes nothing: the person cannot cancel.
        QMetaObject::invokeMethod(
            qApp,
            [&] {
              QWidget* top = QApplication::activeModalWidget();
              if (top == nullptr) return;
              QWidget* target = top->focusWidget() != nullptr ? top->focusWidget() : top;
              QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
              QApplication::sendEvent(target, &press);
              QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, "\x1b");
              QApplication::sendEvent(target, &release);
              up_after_escape = top->isVisible();
              escaped = true;
            },
            Qt::QueuedConnection);
        Eventually([&] { return escaped.load(); });
      }
    }
    relay_->Release();
  });
  const Variant ok =
      Call(*obj_, "SaveFile", {Variant("Reports"), Variant(local), Variant("big.bin")});
  watcher.join();
  EXPECT_EQ(ok, Variant(true)) << obj_->GetLastError();
  ASSERT_TRUE(found) << "no window titled File Upload while the upload ran";
  EXPECT_GT(first.lit, 0.9) << "the progress window was not painted when the upload began";
  EXPECT_GT(first.dark, 0) << "no message text in the progress window";
  EXPECT_GT(repainted.lit, 0.9) << "covered while the upload ran, the window stayed black";
  EXPECT_GT(repainted.dark, 0);
  ASSERT_TRUE(escaped) << "the busy thread never handled the Escape key";
  EXPECT_TRUE(up_after_escape) << "Escape closed the progress window";
  // The window class is the host program's (this test), not the library's.
  EXPECT_EQ(window_class.substr(0, window_class.find('\0')), program_invocation_short_name);
}

// Presses keys into whatever has the focus in the window on top, each step
// once the named form is that window, as a person at the keyboard would.
class Keyboard {
 public:
  struct Step {
    std::string form;
    int key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    QString text;
  };
  Keyboard& On(const std::string& form, std::initializer_list<int> keys,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    for (int key : keys) steps_.push_back({form, key, modifiers, KeyText(key)});
    return *this;
  }
  Keyboard& Type(const std::string& form, const QString& text) {
    for (QChar c : text) steps_.push_back({form, Qt::Key_unknown, Qt::NoModifier, QString(c)});
    return *this;
  }
  // A check run on the window on top when the steps reach it.
  Keyboard& Check(const std::string& form, std::function<void(QWidget&)> check) {
    steps_.push_back({form, 0, Qt::NoModifier, {}});
    checks_[steps_.size() - 1] = std::move(check);
    return *this;
  }
  // Runs the steps from the event loop of the dialog about to be shown.
  void Start() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
  }
  bool done() const { return next_ == steps_.size(); }
  // Where the steps stopped, and where each key went.
  std::string where() const {
    return (done() ? "all done"
                   : "stuck at step " + std::to_string(next_) + " on " + steps_[next_].form) +
           "; keys went to:" + trace_;
  }

 private:
  // A form by its name, a message box as "QMessageBox".
  static std::string NameOf(const QWidget& window) {
    return window.objectName().isEmpty() ? window.metaObject()->className()
                                         : window.objectName().toStdString();
  }
  static QString KeyText(int key) {
    if (key == Qt::Key_Return) return "\r";
    if (key == Qt::Key_Space) return " ";
    if (key == Qt::Key_Escape) return QString(QChar(0x1b));
    return {};
  }
  void Tick() {
    if (done()) return timer_.stop();
    QWidget* top = QApplication::activeModalWidget();
    const Step& step = steps_[next_];
    // A person waits for the window to come up and take the keyboard.
    if (top == nullptr || NameOf(*top) != step.form || !top->isVisible() ||
        QGuiApplication::focusWindow() != top->windowHandle()) {
      // A minute: the steps are stuck. Whatever is up is closed, so the
      // call returns and the test reports where.
      if (++waits_ > 6000 && top != nullptr) top->close();
      return;
    }
    waits_ = 0;
    ++next_;
    if (auto check = checks_.find(next_ - 1); check != checks_.end()) return check->second(*top);
    // Keys go where the window system sends them: to the focus.
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr || target->window() != top)
      target = top->focusWidget() != nullptr ? top->focusWidget() : top;
    trace_ += " " + target->objectName().toStdString();
    // Posted, as the window system's keys come: a key that opens another
    // modal window must not hold this timer up inside its loop.
    QApplication::postEvent(target,
                            new QKeyEvent(QEvent::KeyPress, step.key, step.modifiers, step.text));
    QApplication::postEvent(target,
                            new QKeyEvent(QEvent::KeyRelease, step.key, step.modifiers, step.text));
  }

  std::vector<Step> steps_;
  std::map<size_t, std::function<void(QWidget&)>> checks_;
  size_t next_ = 0;
  int waits_ = 0;
  std::string trace_;
  QTimer timer_;
};

// What the window asks of a window manager: no minimise and no maximise
// (Motif hints: functions 8 and 16, decorations 32 and 64), a dialog.
void ExpectModalPickerHints(QWidget& window) {
  XScreen screen;
  const xcb_window_t id = static_cast<xcb_window_t>(window.winId());
  const std::vector<uint32_t> motif = screen.Property32(id, "_MOTIF_WM_HINTS");
  ASSERT_GE(motif.size(), 3u) << window.objectName().toStdString();
  EXPECT_TRUE(motif[0] & 1u) << "functions are not restricted";
  EXPECT_EQ(motif[1] & (8u | 16u), 0u) << window.objectName().toStdString();
  EXPECT_TRUE(motif[0] & 2u) << "decorations are not restricted";
  EXPECT_EQ(motif[2] & (32u | 64u), 0u) << window.objectName().toStdString();
}

TEST_F(XvfbTest, TheProfileDialogAndItsEditorsWorkFromTheKeyboardAlone) {
  Open();
  obj_->Properties().ShowDialog = false;
  obj_->Properties().ShowProfileDialog = true;
  // Checked in after the upload, so the listing shows the values (a
  // checked-out document keeps them on its working copy); the check-in
  // shows the dialog once more, with what the upload wrote.
  obj_->Properties().AddCheckIn = true;
  const std::string local = LocalFile("memo.txt", 100);
  Keyboard keys;
  keys.Check("ProfileDlg", ExpectModalPickerHints)
      // The pick list: Down picks the next profile, Memo, and lists its
      // rows. Enter there is OK, which names the required Department still
      // empty; Enter closes the notice and the dialog stays, keys and all.
      .On("ProfileDlg", {Qt::Key_Down, Qt::Key_Return})
      .Check("QMessageBox",
             [](QWidget& box) {
               EXPECT_TRUE(static_cast<QMessageBox&>(box).text().contains("Department"));
             })
      .On("QMessageBox", {Qt::Key_Return})
      .On("ProfileDlg", {Qt::Key_Tab})
      // In the list, Down selects the first row, Title; Enter opens it.
      .On("ProfileDlg", {Qt::Key_Down, Qt::Key_Return})
      .On("PropertyEditDlg", {Qt::Key_A}, Qt::ControlModifier)
      .Type("PropertyEditDlg", "Plan")
      .On("PropertyEditDlg", {Qt::Key_Return})
      // Down to Department (a dictionary): F2 opens it, Down picks the
      // first value, Enter confirms.
      .On("ProfileDlg", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_F2})
      .On("PropertyCmbDlg", {Qt::Key_Down, Qt::Key_Return})
      // Topics (several values): Space opens it; a value of one's own is
      // added with Enter; Ctrl+Enter confirms.
      .On("ProfileDlg", {Qt::Key_Down, Qt::Key_Space})
      .Type("PropertyListDlg", "Budget")
      .On("PropertyListDlg", {Qt::Key_Return})
      .On("PropertyListDlg", {Qt::Key_Return}, Qt::ControlModifier)
      // Summary (a comment): Enter breaks the line, Ctrl+Enter confirms.
      .On("ProfileDlg", {Qt::Key_Down, Qt::Key_Return})
      .Type("PropertyCommentDlg", "Short")
      .On("PropertyCommentDlg", {Qt::Key_Return})
      .Type("PropertyCommentDlg", "note")
      .On("PropertyCommentDlg", {Qt::Key_Return}, Qt::ControlModifier)
      // Tab to the buttons in the order they stand: Change, then OK.
      .On("ProfileDlg", {Qt::Key_Tab, Qt::Key_Tab})
      .Check("ProfileDlg",
             [](QWidget& top) { EXPECT_EQ(top.focusWidget()->objectName(), "OKButton"); })
      .On("ProfileDlg", {Qt::Key_Return})
      // The check-in's showing lists what the upload wrote.
      .Check("ProfileDlg",
             [](QWidget& top) {
               const auto* list = top.findChild<QTreeWidget*>("ListView1");
               ASSERT_NE(list, nullptr);
               ASSERT_EQ(list->topLevelItemCount(), 7);
               EXPECT_EQ(list->topLevelItem(0)->text(2), "Plan");
               EXPECT_EQ(list->topLevelItem(4)->text(2), "Sales");
               EXPECT_EQ(list->topLevelItem(5)->text(2), "Budget");
               EXPECT_EQ(list->topLevelItem(6)->text(2), "Short\nnote");
             })
      .On("ProfileDlg", {Qt::Key_Return});
  keys.Start();
  const Variant ok =
      Call(*obj_, "SaveFile", {Variant("Reports"), Variant(local), Variant("memo.txt")});
  ASSERT_TRUE(keys.done()) << keys.where();
  EXPECT_EQ(ok, Variant(true)) << obj_->GetLastError();
}

TEST_F(XvfbTest, TheSelectionDialogsAndNameEntriesWorkFromTheKeyboardAlone) {
  Open();
  obj_->Properties().ShowDialog = false;
  // The folder tree (Sales > Reports > 2001): the arrows walk and open it,
  // each step a click on the node it lands on; Tab reaches Create,
  // Space presses it; the name entry takes Enter; back in the tree the new
  // folder is one Down away, and Enter is OK.
  Keyboard folders;
  folders.Check("FolderDlgA", ExpectModalPickerHints)
      .On("FolderDlgA", {Qt::Key_End, Qt::Key_Home, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down,
                         Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab})
      .Check("FolderDlgA",
             [](QWidget& top) { EXPECT_EQ(top.focusWidget()->objectName(), "CreateButton"); })
      .On("FolderDlgA", {Qt::Key_Space})
      .Type("DocFolderDlgA", "Q4")
      .On("DocFolderDlgA", {Qt::Key_Return})
      .On("FolderDlgA", {Qt::Key_Down, Qt::Key_Return});
  folders.Start();
  EXPECT_EQ(Call(*obj_, "FolderDialogA"), Variant(true));
  ASSERT_TRUE(folders.done()) << folders.where();
  EXPECT_EQ(obj_->Properties().SelectFolder, "Reports/2001/Q4");

  // Escape cancels.
  Keyboard cancel;
  cancel.On("WorkspaceDlgA", {Qt::Key_End, Qt::Key_Escape});
  cancel.Start();
  EXPECT_EQ(Call(*obj_, "WorkspaceDialogA"), Variant(false));
  ASSERT_TRUE(cancel.done()) << cancel.where();

  // Shown again at once, the dialog is the active window once more (its
  // focus marks and selection drawn as active), not only the keys' target.
  Keyboard workspaces;
  workspaces.Check("WorkspaceDlgA", [](QWidget& top) { EXPECT_TRUE(top.isActiveWindow()); })
      .On("WorkspaceDlgA", {Qt::Key_End, Qt::Key_Up, Qt::Key_Return});
  workspaces.Start();
  EXPECT_EQ(Call(*obj_, "WorkspaceDialogA"), Variant(true));
  ASSERT_TRUE(workspaces.done()) << workspaces.where();
  EXPECT_EQ(obj_->Properties().SelectWorkspace, "Legal");

  Keyboard across;
  across.On("FolderDlgB",
            {Qt::Key_End, Qt::Key_Home, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return});
  across.Start();
  EXPECT_EQ(Call(*obj_, "FolderDialogB"), Variant(true));
  ASSERT_TRUE(across.done()) << across.where();
  EXPECT_EQ(obj_->Properties().SelectWorkspace, "Sales");
  EXPECT_EQ(obj_->Properties().SelectFolder, "Reports");

  // Categories (Europe > France, Asia): a category made below Europe from
  // the keyboard, then chosen.
  Keyboard categories;
  categories
      .On("CategoryDlgA", {Qt::Key_Down, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Space})
      .Type("CatFolderDlgA", "Oceania")
      .On("CatFolderDlgA", {Qt::Key_Return})
      .On("CategoryDlgA", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
  categories.Start();
  EXPECT_EQ(Call(*obj_, "CategoryDialogA"), Variant(true));
  ASSERT_TRUE(categories.done()) << categories.where();
  EXPECT_EQ(obj_->Properties().SelectCategory, "Europe:Oceania");
}

}  // namespace
}  // namespace orvex::testing
