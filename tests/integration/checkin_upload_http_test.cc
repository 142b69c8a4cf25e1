// Upload, check-out, check-in, publishing, delete and rename over real HTTP
// against the sample store, through the members a host calls: one happy
// path per member family, what each step sends, locks a desktop client
// holds, and a scripted person answering the overwrite question and the
// profile dialog. What each member answers for each state of a document is
// pinned against the fake in tests/engine/checkin_upload_test.cc, and how
// the provider maps the server's refusals in tests/server.
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "engine/error_codes.h"
#include "integration/counting_proxy.h"
#include "integration/docstore_fixture.h"
#include "server/names.h"
#include "support/docstore_client.h"
#include "support/temp_dir.h"

namespace orvex::testing {
namespace {

using Json = nlohmann::json;
using engine::kStatusApproved;
using engine::kStatusCheckedIn;
using engine::kStatusCheckedOutByMe;
using engine::kStatusCheckedOutByOther;
using engine::kStatusUnknown;

constexpr char kComment[] = "urn:schemas-microsoft-com:publishing:Comment";

class CheckinUploadHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    DocstoreTest::SetUp();
    ScriptForms();
    jones_ = InSales("jones", "CORP", "secret");
  }

  static int32_t Code(automation::ConnectOrvex& obj) { return obj.GetLastError(); }
  static int16_t Status(automation::ConnectOrvex& obj, const std::string& folder,
                        const std::string& file) {
    return Call(obj, "IsFileStatus", {Variant(folder), Variant(file)}).ToInt16();
  }
  static Variant Op(automation::ConnectOrvex& obj, std::string_view name, const std::string& folder,
                    const std::string& file) {
    return Call(obj, name, {Variant(folder), Variant(file)});
  }
  Variant Upload(automation::ConnectOrvex& obj, const std::string& folder,
                 const std::string& file) {
    return Call(obj, "SaveFile", {Variant(folder), Variant(dir_.path()), Variant(file)});
  }
  // The code an operation or upload is refused with; -1 when it succeeds.
  static int32_t Refused(automation::ConnectOrvex& obj, std::string_view name,
                         const std::string& folder, const std::string& file) {
    return Refusal(obj, name, {Variant(folder), Variant(file)});
  }
  int32_t RefusedUpload(automation::ConnectOrvex& obj, const std::string& folder,
                        const std::string& file) {
    return Refusal(obj, "SaveFile", {Variant(folder), Variant(dir_.path()), Variant(file)});
  }

  // A local file in the test's folder.
  void Local(const std::string& name, const std::string& content) {
    const std::filesystem::path path = std::filesystem::path(dir_.path()) / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }

  // The document's properties as the given user now sees them.
  static server::Fields Look(automation::ConnectOrvex& obj, const std::string& path) {
    return Document(obj, path)->GetFields();
  }
  std::vector<std::string> Comments(automation::ConnectOrvex& obj, const std::string& path) {
    std::vector<std::string> out;
    auto version = obj.DefaultServer().backend().CreateVersion();
    for (auto rows = version->History("http://docs/Sales/" + path, 0); !rows.Eof(); rows.MoveNext())
      out.push_back(rows.Current().Value(kComment).ToString());
    return out;
  }

  TempDir dir_{"upload"};
  std::unique_ptr<automation::ConnectOrvex> jones_;
};

TEST_F(CheckinUploadHttpTest, UploadWithCheckInAndPublishingWritesTheValues) {
  auto& o = *jones_;
  Local("report.txt", "Quarterly report\n");
  o.Properties().Title = "Report";
  o.Properties().Keywords = "q1,plan";
  o.Properties().AddCheckIn = true;
  o.Properties().AddPublish = true;
  o.Properties().CheckInComment = "first";
  ASSERT_EQ(Upload(o, "Reports", "report.txt"), Variant(true)) << Code(o);
  EXPECT_EQ(Status(o, "Reports", "report.txt"), kStatusApproved);
  server::Fields held = Look(o, "Reports/report.txt");
  EXPECT_EQ(held.Value(server::kPropContentClass), Variant("urn:content-classes:document"));
  EXPECT_EQ(held.Value(server::kPropAuthor), Variant("CORP\\jones"));
  EXPECT_EQ(held.Value(server::kPropKeywords), Variant(VariantArray{"q1", "plan"}));
  EXPECT_EQ(held.Value(server::kPropTitle), Variant("Report"));
  EXPECT_EQ(Comments(o, "Reports/report.txt"), (std::vector<std::string>{"first"}));
}

TEST_F(CheckinUploadHttpTest, CheckOutCheckInAndPublishEachOnceInTurn) {
  auto& o = *jones_;
  ASSERT_EQ(Op(o, "CheckOut", "Reports", "forecast.txt"), Variant(true)) << Code(o);
  EXPECT_EQ(Status(o, "Reports", "forecast.txt"), kStatusCheckedOutByMe);
  o.Properties().Author = "Jones";
  ASSERT_EQ(Op(o, "CheckIn", "Reports", "forecast.txt"), Variant(true)) << Code(o);
  EXPECT_EQ(Status(o, "Reports", "forecast.txt"), kStatusCheckedIn);
  EXPECT_EQ(Look(o, "Reports/forecast.txt").Value(server::kPropAuthor), Variant("Jones"));
  EXPECT_EQ(Comments(o, "Reports/forecast.txt").back(), "");
  ASSERT_EQ(Op(o, "Publish", "Reports", "forecast.txt"), Variant(true));
  EXPECT_EQ(Status(o, "Reports", "forecast.txt"), kStatusApproved);
}

TEST_F(CheckinUploadHttpTest, RenameKeepsTheDocumentsStateAndDeleteRemovesIt) {
  auto& o = *jones_;
  EXPECT_EQ(Call(o, "ChangeFileName",
                 {Variant("Reports"), Variant("q1.txt"), Variant("Report 2001.txt")}),
            Variant(true));
  EXPECT_EQ(Status(o, "Reports", "Report 2001.txt"), kStatusApproved);
  EXPECT_EQ(Status(o, "Reports", "q1.txt"), kStatusUnknown);
  ASSERT_EQ(Op(o, "DeleteFile", "Archive", "old-report.txt"), Variant(true)) << Code(o);
  EXPECT_EQ(Status(o, "Archive", "old-report.txt"), kStatusUnknown);
}

TEST_F(CheckinUploadHttpTest, TheOverwriteQuestionAnsweredNoKeepsTheDocument) {
  auto& o = *jones_;
  Local("q1.txt", "replaced q1");
  o.Properties().OverWrite = 2;
  agent_->Answer("no");
  ASSERT_EQ(Upload(o, "Reports", "q1.txt"), Variant(true));
  ASSERT_EQ(records_.size(), 1u);
  EXPECT_EQ(records_[0]["msgbox"]["text"],
            "このフォルダには既に\"q1.txt\"ファイルが存在します。このファイルを上書きしますか？");
  EXPECT_EQ(records_[0]["msgbox"]["title"], "ファイル上書きの確認");
  EXPECT_EQ(records_[0]["msgbox"]["style"], 36);
  EXPECT_EQ(Status(o, "Reports", "q1.txt"), kStatusApproved);  // untouched
}

// Yes replaces: the approved document is checked out to jones, and its
// working copy holds the new content.
TEST_F(CheckinUploadHttpTest, TheOverwriteQuestionAnsweredYesReplacesThroughAWorkingCopy) {
  auto& o = *jones_;
  Local("q1.txt", "replaced q1");
  o.Properties().OverWrite = 2;
  agent_->Answer("yes");
  ASSERT_EQ(Upload(o, "Reports", "q1.txt"), Variant(true)) << Code(o);
  EXPECT_EQ(Status(o, "Reports", "q1.txt"), kStatusCheckedOutByMe);
  const std::string working = Look(o, "Reports/q1.txt").Value(server::kPropWorkingCopy).ToString();
  auto wc = o.DefaultServer().backend().CreateItem(server::ItemKind::kDocument);
  wc->OpenDocument(working, 3);
  EXPECT_EQ(wc->GetFields().Value("DAV:getcontentlength").ToString(), "11");

  // Once held by jones, a further replacement goes to the same working copy.
  Local("q1.txt", "replaced again");
  o.Properties().OverWrite = 3;
  ASSERT_EQ(Upload(o, "Reports", "q1.txt"), Variant(true)) << Code(o);
  wc->OpenDocument(working, 3);
  EXPECT_EQ(wc->GetFields().Value("DAV:getcontentlength").ToString(), "14");
}

// Uploads with the progress window and the profile dialog shown, check-in
// and publishing asked for.
class ProfileDialogUploadTest : public CheckinUploadHttpTest {
 protected:
  void SetUp() override {
    CheckinUploadHttpTest::SetUp();
    jones_->Properties().ShowDialog = true;
    jones_->Properties().ShowProfileDialog = true;
    jones_->Properties().AddCheckIn = true;
    jones_->Properties().AddPublish = true;
  }
};

// Cancelling the profile dialog still writes the document, with the
// folder's default profile, and neither checks it in nor publishes it.
TEST_F(ProfileDialogUploadTest, CancelledStillWritesWithTheDefaultProfile) {
  auto& o = *jones_;
  Local("memo.txt", "memo");
  agent_->Plan("ProfileDlg", "press CancelButton");
  ASSERT_EQ(Upload(o, "Reports", "memo.txt"), Variant(true)) << Code(o);
  EXPECT_EQ(Status(o, "Reports", "memo.txt"), kStatusCheckedOutByMe);
  EXPECT_EQ(Look(o, "Reports/memo.txt").Value(server::kPropContentClass),
            Variant("urn:content-classes:document"));
  std::vector<std::string> steps;
  for (const Json& r : records_) {
    if (r.contains("form") && r["form"]["name"] == "ConnectDialog") {
      steps.push_back(r["form"]["caption"].get<std::string>() + "/" +
                      r["form"]["controls"][0]["caption"].get<std::string>());
    } else if (r.contains("progress")) {
      steps.push_back(r["progress"]["text"]);
    } else if (r.contains("form")) {
      steps.push_back(r["form"]["name"]);
    }
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"File Upload/Prepareing...", "ProfileDlg",
                                             "Now uploading..."}));
}

// Confirmed (choosing Memo): the chosen profile, then check-in and
// publishing with their progress texts.
TEST_F(ProfileDialogUploadTest, ConfirmedWritesTheChosenProfileThenChecksInAndPublishes) {
  auto& o = *jones_;
  Local("memo2.txt", "memo");
  agent_->Plan("ProfileDlg", "choose Memo; dblclick Department; press OKButton");
  agent_->Plan("PropertyCmbDlg", "choose Legal; press OKButton");
  agent_->Plan("ProfileDlg", "press OKButton");
  ASSERT_EQ(Upload(o, "Reports", "memo2.txt"), Variant(true)) << Code(o);
  EXPECT_EQ(Status(o, "Reports", "memo2.txt"), kStatusApproved);
  EXPECT_EQ(Look(o, "Reports/memo2.txt").Value(server::kPropContentClass),
            Variant("urn:content-classes:memo"));
  EXPECT_EQ(
      Look(o, "Reports/memo2.txt").Value("urn:schemas-microsoft-com:office:office#Department"),
      Variant("Legal"));
  std::vector<std::string> progress;
  for (const Json& r : records_)
    if (r.contains("progress")) progress.push_back(r["progress"]["text"]);
  EXPECT_EQ(progress,
            (std::vector<std::string>{"Now uploading...", "Now Checkin...", "Now Publish..."}));
}

// A check-in whose profile dialog is cancelled leaves the document checked
// out and answers True.
TEST_F(ProfileDialogUploadTest, ACheckInWhoseDialogIsCancelledLeavesTheDocumentOut) {
  auto& o = *jones_;
  ASSERT_EQ(Op(o, "CheckOut", "Reports", "forecast.txt"), Variant(true));
  agent_->Plan("ProfileDlg", "press CancelButton");
  EXPECT_EQ(Op(o, "CheckIn", "Reports", "forecast.txt"), Variant(true));
  EXPECT_EQ(Status(o, "Reports", "forecast.txt"), kStatusCheckedOutByMe);
}

// What each operation sends over one connection, now that an operation
// takes from its own answers what it would otherwise ask again. The
// results and codes are those the other tests check; here only the wire.
TEST_F(CheckinUploadHttpTest, EachStepAsksTheServerOnce) {
  CountingProxy proxy(store_->port(), TlsCertificate());
  Reach("docs", proxy.port());
  // Connected through the relay: the mapped address is the connection's
  // origin, the only one its requests may go to.
  jones_ = InSales("jones", "CORP", "secret");
  auto& o = *jones_;
  using M = std::vector<std::string>;
  auto cost = [&](auto&& step) {
    proxy.Reset();
    step();
    return proxy.methods();
  };
  Local("a.txt", "first");
  o.Properties().AddCheckIn = true;
  o.Properties().AddPublish = true;

  // A new document: the folder's default profile, the content and its
  // values; the walk (the top and Reports, the one folder with subfolders)
  // whose row of Reports tells it is enhanced; the status check's listing
  // (which carries the folder itself), whose row also answers the check-in
  // test and names the working copy; the working copy's values; check-in;
  // publishing.
  const M upload_checkin_publish{"PROPFIND", "PUT",      "PROPPATCH", "PROPFIND", "PROPFIND",
                                 "PROPFIND", "PROPFIND", "PROPPATCH", "CHECKIN",  "PUBLISH"};
  EXPECT_EQ(cost([&] { ASSERT_EQ(Upload(o, "Reports", "a.txt"), Variant(true)) << Code(o); }),
            upload_checkin_publish);
  EXPECT_EQ(Status(o, "Reports", "a.txt"), kStatusApproved);
  // All over one kept-alive connection. (A refused PUT below may cost the
  // connection: the server may close it rather than read an unwanted body.)
  EXPECT_EQ(proxy.connections(), 1);

  // Replacing it: the refused first write, the status check, the second
  // write with the default profile read by the first attempt, then the
  // same check-in and publishing.
  o.Properties().OverWrite = 3;
  Local("a.txt", "second");
  M replace{"PROPFIND", "PUT"};
  M status_check(upload_checkin_publish.begin() + 5, upload_checkin_publish.begin() + 6);
  replace.insert(replace.end(), status_check.begin(), status_check.end());
  replace.insert(replace.end(), upload_checkin_publish.begin() + 1, upload_checkin_publish.end());
  EXPECT_EQ(cost([&] { ASSERT_EQ(Upload(o, "Reports", "a.txt"), Variant(true)) << Code(o); }),
            replace);
  EXPECT_EQ(Status(o, "Reports", "a.txt"), kStatusApproved);

  // A plain check-in: the status check, then only the working copy.
  ASSERT_EQ(Op(o, "CheckOut", "Reports", "a.txt"), Variant(true));
  EXPECT_EQ(cost([&] { ASSERT_EQ(Op(o, "CheckIn", "Reports", "a.txt"), Variant(true)); }),
            (M{"PROPFIND", "PROPFIND", "PROPPATCH", "CHECKIN"}));
  EXPECT_EQ(Status(o, "Reports", "a.txt"), kStatusCheckedIn);
  EXPECT_EQ(cost([&] { Call(o, "IsVersionFolder", {Variant("Reports")}); }),
            (M{"PROPFIND", "PROPFIND"}));
}

// A lock a desktop client holds (a WebDAV LOCK, which the library never
// sends) reaches the library's operations as a check-out does: someone
// else's lock as someone else's check-out, the user's own as their own
// check-out that only the lock's holder may check in.
TEST_F(CheckinUploadHttpTest, LocksOfDesktopClientsRefuseAsCheckOutsDo) {
  auto& o = *jones_;
  auto lock = [&](const std::string& user, const std::string& path) {
    docstore::testing::Client desktop(store_->port(), user, "secret", "docs", OverTls());
    auto r = desktop.Send("LOCK", path, {{"Content-Type", "application/xml"}},
                          "<D:lockinfo xmlns:D=\"DAV:\"><D:lockscope><D:exclusive/></D:lockscope>"
                          "<D:locktype><D:write/></D:locktype></D:lockinfo>");
    EXPECT_EQ(r.status, 200) << path;
  };
  Local("forecast.txt", "mine");
  Local("q1.txt", "mine");
  o.Properties().OverWrite = 3;

  // Smith's lock checked the document out to smith.
  lock("CORP\\smith", "/Sales/Reports/forecast.txt");
  EXPECT_EQ(Status(o, "Reports", "forecast.txt"), kStatusCheckedOutByOther);
  EXPECT_EQ(RefusedUpload(o, "Reports", "forecast.txt"), engine::kCodeAccessDenied);

  // Jones's own desktop lock: the document is his check-out, the library
  // writes its working copy, but checking in needs the lock's token. (Each
  // operation's refusal for each state is CheckinUploadTest's, the store's
  // rules for locks LocksTest's.)
  lock("CORP\\jones", "/Sales/Reports/q1.txt");
  EXPECT_EQ(Status(o, "Reports", "q1.txt"), kStatusCheckedOutByMe);
  EXPECT_EQ(Upload(o, "Reports", "q1.txt"), Variant(true)) << Code(o);
  EXPECT_EQ(Refused(o, "CheckIn", "Reports", "q1.txt"), engine::kCodeAccessDenied);
}

}  // namespace
}  // namespace orvex::testing
