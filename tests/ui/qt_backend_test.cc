// What only the Qt toolkit does: real windows with the stay-on-top hint,
// message boxes with localized buttons and the right default, screenshots,
// errors raised inside a widget's signal, and choosing Qt on its own thread.
#include "platform/qt/qt_backend.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/language.h"
#include "platform/qt/window_picture.h"
#include "platform/ui/button.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "resources/strings.h"
#include "support/temp_dir.h"
#include "ui/form_test_base.h"
#include "ui/sample_forms.h"

namespace orvex::testing {
namespace {

using nlohmann::json;

QWidget* Window(const QString& name) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == name) return w;
  }
  return nullptr;
}

class QtBackendTest : public FormTest {
 protected:
  void TearDown() override {
    FormTest::TearDown();
    ui::SetScreenshotDirectory("");
    platform::SetThreadLanguage(std::nullopt);
  }
};

TEST_P(QtBackendTest, FormsAreDialogsWithTheirCaptionsStateAndTopMostHint) {
  PickerForm picker;
  agent_->Plan("Picker", "click Sales/Reports; press CancelButton");
  picker.Run();
  QWidget* window = Window("Picker");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Select Folder");
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(window->isVisible());
  auto* ok = window->findChild<QPushButton*>("OKButton");
  auto* create = window->findChild<QPushButton*>("CreateButton");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isEnabled());  // the click on a folder enabled it
  picker.form.button("OKButton").SetEnabled(false);
  picker.form.button("CreateButton").SetCaption("New");
  EXPECT_FALSE(ok->isEnabled());
  EXPECT_EQ(create->text(), "New");
}

// Reads the box the agent is asked to answer, the way a person sees it.
class BoxReader : public ui::SafeAgent {
 public:
  int32_t AnswerMessageBox(const ui::MessageBoxRequest& request) override {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != nullptr) {
      QStringList texts;
      for (QAbstractButton* b : box->buttons()) texts << b->text();
      texts.sort();
      seen.push_back({texts.join(","), box->defaultButton() ? box->defaultButton()->text() : "",
                      box->windowTitle(), box->icon()});
    }
    return request.safe_answer();
  }
  struct Seen {
    QString buttons, default_button, title;
    QMessageBox::Icon icon;
  };
  std::vector<Seen> seen;
};

TEST_P(QtBackendTest, MessageBoxesHaveTheStylesButtonsInTheThreadLanguage) {
  auto reader = std::make_shared<BoxReader>();
  ui::SetUserAgent(reader);
  EXPECT_EQ(ui::MessageBox("Delete?", 292, "Confirm"), ui::kAnswerNo);
  EXPECT_EQ(ui::MessageBox("Replace?", 36, "Confirm"), ui::kAnswerNo);
  platform::SetThreadLanguage(platform::kLangJapanese);
  EXPECT_EQ(ui::MessageBox("削除しますか？", 292, "確認"), ui::kAnswerNo);
  EXPECT_EQ(ui::MessageBox("失敗しました。", 16, "確認"), ui::kAnswerOk);

  ASSERT_EQ(reader->seen.size(), 4u);
  EXPECT_EQ(reader->seen[0].buttons, "No,Yes");
  EXPECT_EQ(reader->seen[0].default_button, "No");
  EXPECT_EQ(reader->seen[0].icon, QMessageBox::Question);
  EXPECT_EQ(reader->seen[1].default_button, "Yes");
  EXPECT_EQ(reader->seen[2].buttons, QString::fromUtf8("いいえ,はい"));
  EXPECT_EQ(reader->seen[2].default_button, QString::fromUtf8("いいえ"));
  EXPECT_EQ(reader->seen[2].title, QString::fromUtf8("確認"));
  EXPECT_EQ(reader->seen[3].buttons, "OK");
  EXPECT_EQ(reader->seen[3].icon, QMessageBox::Critical);
}

// Reads how much of a box's title and text a person can read.
class ClipReader : public ui::SafeAgent {
 public:
  int32_t AnswerMessageBox(const ui::MessageBoxRequest& request) override {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != nullptr) {
      const QLabel* label = box->findChild<QLabel*>("qt_msgbox_label");
      // A wrapping label needs its height for its width; a single line needs
      // its width.
      const bool text_fits =
          label != nullptr &&
          (label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                             : label->sizeHint().width() <= label->width());
      seen.push_back({box->windowTitle(), qt::ShownTitle(*box), text_fits,
                      QFontMetrics(box->font()).horizontalAdvance(box->windowTitle()),
                      box->width()});
    }
    return request.safe_answer();
  }
  struct Seen {
    QString title, shown_title;
    bool text_fits;
    int title_advance, width;
  };
  std::vector<Seen> seen;
};

TEST_P(QtBackendTest, LongTitlesAndTextsOfBoxesAndFormsAreShownWhole) {
  auto reader = std::make_shared<ClipReader>();
  ui::SetUserAgent(reader);
  for (int language : {platform::kLangEnglish, platform::kLangJapanese}) {
    platform::SetThreadLanguage(language);
    // The category delete question: a short text under a long title.
    ui::MessageBox(
        resources::ReplacePercent(resources::LoadString(resources::TextId::kAskDelete), "France"),
        292, resources::LoadString(resources::TextId::kConfirmCategoryDeleteTitle));
    // The bad-name notice: a long text under a long title.
    ui::MessageBox(
        resources::ReplacePercent(resources::LoadString(resources::TextId::kForbiddenCharacters),
                                  "Category Folder Name"),
        48, resources::LoadString(resources::TextId::kCategoryFolderName));
  }
  ui::MessageBox("x", 16, std::string(400, 'W'));  // wider than any screen

  ASSERT_EQ(reader->seen.size(), 5u);
  for (size_t i = 0; i < 4; ++i) {
    const auto& seen = reader->seen[i];
    EXPECT_EQ(seen.shown_title.toStdString(), seen.title.toStdString()) << i;
    EXPECT_TRUE(seen.text_fits) << i;
    EXPECT_GT(seen.width, seen.title_advance) << i;
  }
  // A title no screen can hold is cut short rather than making the box
  // wider than the screen.
  EXPECT_NE(reader->seen[4].shown_title, reader->seen[4].title);
  EXPECT_LE(reader->seen[4].width, QApplication::primaryScreen()->availableGeometry().width());

  // A narrow form keeps a long caption whole too.
  NameEntryForm entry;
  entry.form.SetCaption(resources::LoadString(resources::TextId::kConfirmCategoryDeleteTitle,
                                              platform::kLangEnglish));
  entry.Run();
  QWidget* window = Window("NameEntry");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(qt::ShownTitle(*window).toStdString(), window->windowTitle().toStdString());
}

TEST_P(QtBackendTest, EveryShownFormAndBoxIsSavedAsAPicture) {
  testing::TempDir dir("shots");
  ui::SetScreenshotDirectory(dir.path());

  PickerForm picker;
  agent_->Plan("Picker", "click Reports; press DeleteButton; press CancelButton");
  picker.Run();

  std::vector<std::string> shots;
  for (const auto& r : records_) {
    for (const char* kind : {"form", "msgbox"}) {
      if (r.contains(kind)) shots.push_back(r[kind].value("screenshot", ""));
    }
  }
  ASSERT_EQ(shots.size(), 2u);
  EXPECT_NE(shots[0].find("-Picker.png"), std::string::npos);
  EXPECT_NE(shots[1].find("-msgbox.png"), std::string::npos);
  for (const auto& shot : shots) {
    QImage image(QString::fromStdString(shot));
    EXPECT_GT(image.width(), 100) << shot;
    EXPECT_GT(image.height(), 60) << shot;
  }
}

TEST_P(QtBackendTest, AnErrorInsideASignalEndsTheShowingAndReachesTheCaller) {
  ui::Form form([] {
    ui::FormDeclaration d("Faulty");
    d.Button("Go").Button("Stay");
    return d;
  }());
  form.button("Go").OnClick([] { throw std::runtime_error("broken"); });
  agent_->Plan("Faulty", "press Go; press Stay");
  EXPECT_THROW(form.ShowModal(), std::runtime_error);
  EXPECT_FALSE(form.IsShown());
  EXPECT_FALSE(ui::AnyModal());
  EXPECT_FALSE(Window("Faulty")->isVisible());
}

TEST_P(QtBackendTest, QtIsChosenOnlyOnTheApplicationsThread) {
  EXPECT_TRUE(qt::QtWanted());
  std::string other;
  std::thread([&] { other = std::string(ui::CurrentToolkitName()); }).join();
  EXPECT_EQ(other, "headless");
}

INSTANTIATE_TEST_SUITE_P(Qt, QtBackendTest, ::testing::Values("qt"),
                         [](const auto& toolkit) { return toolkit.param; });

}  // namespace
}  // namespace orvex::testing
