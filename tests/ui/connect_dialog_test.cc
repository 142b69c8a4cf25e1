// The progress form on the headless toolkit: the run happens once from the timer,
// the result lands in TimerResult, the shared form is reused with the right
// texts, and a connect through it ends exactly as a direct one.
#include "dialogs/connect_dialog.h"

#include <gtest/gtest.h>

#include "automation/connect_orvex.h"
#include "dialogs/progress.h"
#include "engine/error_codes.h"
#include "fakes/fake_backend.h"
#include "platform/language.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "server/error.h"

namespace orvex::dialogs {
namespace {

using nlohmann::json;

class ConnectDialogTest : public ::testing::Test {
 protected:
  ConnectDialogTest() : backend_(std::make_shared<testing::FakeBackend>()), engine_(backend_) {
    backend_->AddItem("http://docs/Public/Workspaces", {}, false);
    engine_.HostName = "docs";
    engine_.WorkPub = "/Public/Workspaces";
    engine_.LoginUser = "CORP\\jones";
    engine_.Password = "secret";
  }
  void SetUp() override {
    ui::UseToolkit("headless");
    ui::SetObserver([this](const json& r) {
      if (r.contains("form")) shown_.push_back(r["form"]);
      if (r.contains("ui_problem")) problems_.push_back(r);
    });
  }
  void TearDown() override {
    ui::SetObserver(nullptr);
    ui::SetUserAgent(nullptr);
    platform::SetThreadLanguage(std::nullopt);
  }

  static std::string Label(const json& form) { return form["controls"][0]["caption"]; }
  static bool TimerOn(const json& form) { return form["controls"][1]["enabled"]; }
  int Opens() const {
    return static_cast<int>(backend_->CallsStartingWith("OpenConnection").size());
  }

  std::shared_ptr<testing::FakeBackend> backend_;
  engine::ServerClass1 engine_;
  std::vector<json> shown_;
  std::vector<json> problems_;
};

TEST_F(ConnectDialogTest, TheTimerRunsTheConnectOnceAndTheFormHidesItself) {
  ASSERT_TRUE(RunConnectProgress(engine_));
  EXPECT_TRUE(engine_.TimerResult);
  EXPECT_EQ(engine_.ErrorCode, 0);
  EXPECT_EQ(Opens(), 1);
  ConnectDialog& dialog = ConnectDialog::Get();
  EXPECT_FALSE(dialog.form().IsShown());
  EXPECT_FALSE(dialog.Timer1().Enabled());
  EXPECT_EQ(dialog.Timer1().Interval(), 1);

  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0]["name"], "ConnectDialog");
  EXPECT_EQ(shown_[0]["caption"], "Connecting");
  EXPECT_EQ(Label(shown_[0]), "Now Connecting... Please wait for a moment.");
  EXPECT_TRUE(TimerOn(shown_[0]));
  EXPECT_EQ(shown_[0]["topmost"], true);
  EXPECT_TRUE(problems_.empty());

  // A failing connect still ends the showing, with the engine's code.
  backend_->failures["OpenConnection"] = server::kErrAccessDenied;
  engine::ServerClass1 failing(backend_);
  failing.HostName = "docs";
  failing.WorkPub = "/Public/Workspaces";
  failing.TimerResult = true;
  EXPECT_FALSE(RunConnectProgress(failing));
  EXPECT_FALSE(failing.TimerResult);
  EXPECT_NE(failing.ErrorCode, 0);
  EXPECT_FALSE(dialog.form().IsShown());
}

TEST_F(ConnectDialogTest, TheSharedFormShowsTheConnectTextsAgainAfterAnUpload) {
  ConnectDialog& dialog = ConnectDialog::Get();
  const ui::NativeHandle handle = dialog.form().hWnd();
  const int shows = dialog.form().show_count();

  RunUploadProgress(engine_, "Reports", "/tmp", "a.txt");
  ShowProgressText(resources::TextId::kUploading);  // what the upload reports while it runs
  EXPECT_EQ(dialog.Label1().Caption(), "Now uploading...");
  EXPECT_EQ(dialog.mode(), "save");
  EXPECT_EQ(dialog.local_folder(), "/tmp");
  ASSERT_TRUE(RunConnectProgress(engine_));

  EXPECT_EQ(&ConnectDialog::Get(), &dialog);
  EXPECT_EQ(dialog.form().hWnd(), handle);
  EXPECT_EQ(dialog.form().show_count(), shows + 2);
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[0]["caption"], "File Upload");
  EXPECT_EQ(Label(shown_[0]), "Prepareing...");
  EXPECT_EQ(shown_[1]["caption"], "Connecting");
  EXPECT_EQ(Label(shown_[1]), "Now Connecting... Please wait for a moment.");
  // The fields keep the last run's values until the next SetData.
  EXPECT_EQ(dialog.mode(), "open");
  EXPECT_EQ(dialog.folder(), "Reports");
}

TEST_F(ConnectDialogTest, AModeOtherThanOpenOrSaveRunsNothing) {
  ConnectDialog& dialog = ConnectDialog::Get();
  engine_.TimerResult = true;
  dialog.SetData(engine_, "Open");  // modes compare exactly
  dialog.Timer1().SetEnabled(true);
  dialog.form().ShowModal();
  EXPECT_TRUE(engine_.TimerResult);
  EXPECT_EQ(Opens(), 0);
  EXPECT_FALSE(dialog.form().IsShown());
}

TEST_F(ConnectDialogTest, CaptionsFollowTheThreadLanguage) {
  platform::SetThreadLanguage(platform::kLangJapanese);
  ASSERT_TRUE(RunConnectProgress(engine_));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0]["caption"], "接続中");
  EXPECT_EQ(Label(shown_[0]), "接続しています。しばらくお待ち下さい...");
  ConnectDialog::Get().SetData2(engine_, "save", "F", "L", "f");
  EXPECT_EQ(ConnectDialog::Get().form().Caption(), "ファイルのアップロード");
  EXPECT_EQ(ConnectDialog::Get().Label1().Caption(), "準備中...");
}

TEST_F(ConnectDialogTest, ConnectingBehindTheFormEndsExactlyAsConnectingDirectly) {
  struct Outcome {
    bool result;
    int32_t last_error;
    int32_t handle;
    int32_t last_error_ex;
    bool operator==(const Outcome&) const = default;
  };
  auto connect = [&](bool show_dialog, const std::string& host, int32_t failure) {
    backend_->failures.clear();
    if (failure != 0) backend_->failures["OpenConnection"] = failure;
    automation::ConnectOrvex obj(backend_);
    obj.Properties().ShowDialog = show_dialog;
    Outcome o;
    o.result = obj.ConnectOpen(host, "jones", "CORP", "secret");
    o.last_error = obj.GetLastError();
    if (failure != 0) backend_->failures["OpenConnection"] = failure;
    o.handle = obj.ConnectOpenEx(host, "jones", "CORP", "secret");
    o.last_error_ex = obj.GetLastErrorEx(0);
    return o;
  };
  for (const auto& [host, failure] :
       std::vector<std::pair<std::string, int32_t>>{{"docs", 0},
                                                    {"docs", server::kErrAccessDenied},
                                                    {"docs", server::kErrObjectNotFound},
                                                    {"do/cs", 0}}) {
    shown_.clear();
    const Outcome direct = connect(false, host, failure);
    EXPECT_TRUE(shown_.empty()) << "the form is not shown when ShowDialog is False";
    const Outcome behind = connect(true, host, failure);
    EXPECT_TRUE(direct == behind) << host << " " << failure;
    EXPECT_EQ(shown_.size(), 2u) << "ConnectOpen and ConnectOpenEx each show the form";
  }
  EXPECT_EQ(connect(true, "do/cs", 0).last_error, engine::kCodeBadHostName);
}

}  // namespace
}  // namespace orvex::dialogs
