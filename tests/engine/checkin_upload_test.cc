// Check-out, check-in, publishing, delete, rename and upload against the
// recording fake: the exact URLs, open options, modes, create options and
// credentials each step passes, the order of field writes, and that every
// status and name test answers before anything is sent.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/error_codes.h"
#include "engine/owner.h"
#include "engine/server_class1.h"
#include "fakes/fake_engine_test.h"
#include "fakes/variant_list.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::engine {
namespace {

using testing::List;
using testing::OpenCall;

constexpr char kWs[] = "http://docs/Sales";
constexpr char kReports[] = "http://docs/Sales/Reports";
constexpr char kPlan[] = "http://docs/Sales/Reports/plan.doc";
constexpr char kWorking[] = "http://docs/.working/7";
constexpr char kIsCheckedOut[] = "urn:schemas-microsoft-com:publishing:IsCheckedOut";
constexpr char kCheckedOutBy[] = "urn:schemas-microsoft-com:publishing:checkedoutby";
constexpr char kState[] = "urn:schemas-microsoft-com:publishing:documentstate";
constexpr char kAuthor[] = "urn:schemas-microsoft-com:office:office#Author";
constexpr char kKeywords[] = "urn:schemas-microsoft-com:office:office#Keywords";
constexpr char kDescription[] = "urn:schemas-microsoft-com:office:office#Description";
constexpr char kTitle[] = "urn:schemas-microsoft-com:office:office#Title";

// Only the properties are read here; the folder and category call-backs
// belong to the selection dialogs and are never reached.
class TestOwner : public Owner {
 public:
  ConnectProperties& Properties() override { return properties; }
  bool CreateFolder(const std::string&, bool) override { return false; }
  bool DeleteFolder(const std::string&) override { return false; }
  bool CreateCategory(const std::string&) override { return false; }
  bool DeleteCategory(const std::string&) override { return false; }
  ConnectProperties properties;
};

class CheckinUploadTest : public testing::FakeEngineTest {
 protected:
  CheckinUploadTest() {
    ui::UseToolkit("headless");
    AddWorkspace("Sales", {{server::kPropContentClass, Variant(server::kClassWorkspace)}});
    AddFolder("Reports", server::kClassSmartFolder);
    AddFolder("Archive", server::kClassKnowledgeFolder);
    engine_.Connect = &owner_;
    owner_.properties.ShowDialog = false;
  }
  void SetUp() override { OpenSales(); }
  ~CheckinUploadTest() override { ui::SetUserAgent(nullptr); }

  void AddFolder(const std::string& path, const char* content_class) {
    backend_->AddItem(std::string(kWs) + "/" + path,
                      {{server::kPropContentClass, Variant(content_class)},
                       {server::kColContentClass, Variant(content_class)},
                       {server::kPropDisplayName, Variant(path)},
                       {server::kColDisplayName, Variant(path)},
                       {server::kColIsCollection, Variant(true)},
                       {server::kPropDefaultDocumentProfile, Variant("urn:content-classes:memo")}});
  }
  // A document of Reports with the given publishing state.
  void AddDocument(const std::string& name, const std::string& state, const std::string& holder,
                   const std::vector<std::string>& allowed = {"read"},
                   const std::string& folder = kReports) {
    server::FieldMap props = {
        {server::kPropDisplayName, Variant(name)},       {server::kPropParentName, Variant(folder)},
        {server::kPropOperationsAllowed, List(allowed)}, {kState, Variant(state)},
        {kIsCheckedOut, Variant(!holder.empty())},       {kCheckedOutBy, Variant(holder)}};
    if (!holder.empty()) props.insert_or_assign(server::kPropWorkingCopy, Variant(kWorking));
    backend_->AddItem(folder + "/" + name, props);
  }
  void AddWorkingCopy() { backend_->AddItem(kWorking, {}, false); }
  // Changes a document's property as both its open and its folder's
  // listing report it.
  void SetListed(const std::string& url, const std::string& name, const Variant& value) {
    backend_->items[url][name] = value;
    for (auto& [folder, rows] : backend_->listings)
      for (server::Fields& row : rows)
        if (row.Value("DAV:href").ToString() == url) {
          server::FieldMap values = row.values();
          values.insert_or_assign(name, value);
          row = server::Fields(values);
        }
  }

  // The calls from the first one starting with `from` on.
  std::vector<std::string> CallsFrom(const std::string& from) const {
    const auto& c = backend_->calls;
    for (size_t i = 0; i < c.size(); ++i)
      if (c[i].rfind(from, 0) == 0) return {c.begin() + static_cast<long>(i), c.end()};
    return {};
  }
  TestOwner owner_;
};

// A document of Reports checked out to jones with a working copy, and the
// office fields set to be written at check-in.
class CheckInTest : public CheckinUploadTest {
 protected:
  CheckInTest() {
    AddDocument("plan.doc", "createdcheckedout", "CORP\\jones", {"read", "edit", "checkin"});
    AddWorkingCopy();
    owner_.properties.Keywords = "sales,,2001";
    owner_.properties.Description = "Plan";
    owner_.properties.Title = "The plan";
    owner_.properties.CheckInComment = "second draft";
  }
  // The office field writes onto `url` and its save, Author given.
  static std::vector<std::string> Writes(const std::string& url, const std::string& author) {
    return {"Update " + url + " " + kAuthor + "=" + author,
            "Update " + url + " " + kKeywords + "=[sales,,2001]",
            "Update " + url + " " + kDescription + "=Plan",
            "Update " + url + " " + kTitle + "=The plan", "Save " + url};
  }
};

TEST_F(CheckInTest, WritesTheOfficeFieldsOnTheWorkingCopyThenChecksIn) {
  ASSERT_TRUE(engine_.CheckIn("Reports", "plan.doc"));
  // The status check's listing row is the document itself: it answers the
  // check-in test and names the working copy, so the document is not read
  // again before the working copy is opened. An empty Author writes the
  // log-on name.
  EXPECT_EQ(Count("Open Document "), 0u);
  std::vector<std::string> expected{"Create Version",
                                    std::string("OpenDocument ") + kWorking + " options=3"};
  for (const std::string& w : Writes(kWorking, "CORP\\jones")) expected.push_back(w);
  expected.push_back(std::string("CheckIn ") + kPlan + " comment=second draft");
  EXPECT_EQ(CallsFrom("Create Version"), expected);
}

TEST_F(CheckInTest, WithoutAWorkingCopyTheValuesGoToTheDocument) {
  SetListed(kPlan, server::kPropWorkingCopy, Variant(""));
  owner_.properties.Author = "Smith";
  ASSERT_TRUE(engine_.CheckIn("Reports", "plan.doc"));
  EXPECT_EQ(Count(std::string("OpenDocument ") + kPlan + " options=3"), 1u);
  EXPECT_EQ(Count(std::string("Update ") + kPlan + " " + kAuthor + "=Smith"), 1u);
}

// Servers that report the publishing state without the IsCheckedOut flag:
// the state and the holder still make the document this user's.
TEST_F(CheckInTest, TheStateAloneMarksADocumentCheckedOutWhenTheFlagIsAbsent) {
  SetListed(kPlan, kIsCheckedOut, Variant());
  EXPECT_EQ(engine_.IsFileStatus("Reports", "plan.doc"), kStatusCheckedOutByMe);
  ASSERT_TRUE(engine_.CheckIn("Reports", "plan.doc"));
  EXPECT_EQ(Count(std::string("CheckIn ") + kPlan), 1u);
}

TEST_F(CheckInTest, AServerRefusalIsMapped) {
  backend_->failures["CheckIn"] = server::kErrAccessDenied;
  EXPECT_EQ(Refused(engine_.CheckIn("Reports", "plan.doc")), kCodeAccessDenied);
}

// A folder given as a URL: the status check reads another URL than the one
// the check-in builds, so the check-in test asks for itself (the
// connection, mode 16, create option 0, no credentials), and its failure
// refuses the check-in.
TEST_F(CheckInTest, AFolderGivenAsAUrlHasTheDocumentAskedForItsState) {
  const std::string odd = std::string(kWs) + "/" + kPlan;
  const std::string ask =
      "Open Document " + odd + " cnx=open mode=16 create=0 options=0 user= password=";
  EXPECT_EQ(Refused(engine_.CheckIn(kReports, "plan.doc")), kCodeAccessDenied);
  EXPECT_EQ(Count(ask), 1u);
  EXPECT_EQ(Count("CheckIn"), 0u);

  // Found there, the document is read with option 0x10000000 for its
  // working copy.
  backend_->AddItem(odd, {{server::kPropOperationsAllowed, List({"checkin"})},
                          {server::kPropWorkingCopy, Variant(kWorking)}});
  backend_->calls.clear();
  EXPECT_TRUE(engine_.CheckIn(kReports, "plan.doc"));
  std::vector<std::string> expected{ask, "OpenDocument " + odd + " options=268435456",
                                    std::string("OpenDocument ") + kWorking + " options=3"};
  for (const std::string& w : Writes(kWorking, "CORP\\jones")) expected.push_back(w);
  expected.push_back("CheckIn " + odd + " comment=second draft");
  EXPECT_EQ(CallsFrom("Open Document "), expected);
}

TEST_F(CheckinUploadTest, StatusTestsRefuseCheckInAndCheckOutBeforeAnythingIsSent) {
  AddDocument("in.doc", "createdcheckedin", "", {"read", "checkout"});
  AddDocument("other.doc", "createdcheckedout", "CORP\\smith");
  AddDocument("mine.doc", "createdcheckedout", "corp\\JONES", {"read", "edit"});
  AddDocument("approved.doc", "approved", "");
  AddDocument("created.doc", "created", "");
  AddDocument("old.doc", "", "", {"read"}, std::string(kWs) + "/Archive");
  struct Case {
    const char* folder;
    const char* file;
    int32_t check_in_code;
    int32_t check_out_code;  // 0: checked out
  };
  const Case cases[] = {
      {"Reports", "in.doc", kCodeAccessDenied, 0},
      {"Reports", "other.doc", kCodeAccessDenied, kCodeAccessDenied},
      // checked out by this user, but the server does not allow "checkin"
      {"Reports", "mine.doc", kCodeAccessDenied, kCodeAccessDenied},
      {"Reports", "approved.doc", kCodeAccessDenied, 0},
      {"Reports", "created.doc", kCodeAccessDenied, 0},
      {"Archive", "old.doc", kCodeStateRefused, kCodeStateRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    backend_->calls.clear();
    EXPECT_EQ(Refused(engine_.CheckIn(c.folder, c.file)), c.check_in_code);
    EXPECT_EQ(Count("CheckIn"), 0u);
    EXPECT_EQ(Count("Update"), 0u);
    EXPECT_EQ(Count("OpenDocument"), 0u);

    backend_->calls.clear();
    EXPECT_EQ(engine_.CheckOut(c.folder, c.file), c.check_out_code == 0);
    if (c.check_out_code != 0) {
      EXPECT_EQ(engine_.ErrorCode, c.check_out_code);
      EXPECT_EQ(Count("Create Version"), 0u);
    } else {
      EXPECT_EQ(CallsFrom("Create Version"),
                (std::vector<std::string>{"Create Version", std::string("CheckOut ") + kReports +
                                                                "/" + c.file + " comment="}));
    }
  }
}

// A missing document is refused by the status check for check-in, but a
// check-out goes to the server, whose refusal is reported.
TEST_F(CheckinUploadTest, AMissingDocumentIsRefusedAtCheckInAndByTheServerAtCheckOut) {
  EXPECT_EQ(Refused(engine_.CheckIn("Reports", "none.doc")), kCodeAccessDenied);
  backend_->failures["CheckOut"] = server::kErrObjectNotFound;
  EXPECT_EQ(Refused(engine_.CheckOut("Reports", "none.doc")), kCodeNotFound);
}

TEST_F(CheckinUploadTest, PublishSendsTheDocumentUrlAndMapsARefusal) {
  AddDocument("plan.doc", "createdcheckedin", "");
  EXPECT_TRUE(engine_.Publish("Reports", "plan.doc"));
  EXPECT_EQ(CallsFrom("Create Version"),
            (std::vector<std::string>{"Create Version", std::string("Publish ") + kPlan}));
  backend_->failures["Publish"] = server::kErrObjectNotFound;
  EXPECT_EQ(Refused(engine_.Publish("Reports", "plan.doc")), kCodeNotFound);
}

TEST_F(CheckinUploadTest, DeleteTestsTheNamesThenTheAllowedOperations) {
  AddDocument("plan.doc", "createdcheckedin", "", {"read", "move", "undelete"});
  AddDocument("keep.doc", "createdcheckedin", "", {"read", "deleter"});
  // Name tests come first and send nothing.
  for (auto [folder, file] : std::vector<std::pair<std::string, std::string>>{
           {"", "plan.doc"}, {"Reports", "a/b.doc"}, {"Reports", ""}, {"Rep|orts", "plan.doc"}}) {
    engine_.ErrorCode = 0;
    EXPECT_EQ(Refused(engine_.DeleteFile(folder, file)), kCodeBadPath);
  }
  EXPECT_TRUE(backend_->calls.empty());

  // "deleter" only starts with the name: not allowed, and no code of its own.
  engine_.ErrorCode = 77;
  EXPECT_EQ(Refused(engine_.DeleteFile("Reports", "keep.doc")), 77);
  EXPECT_EQ(Count("Delete"), 0u);
  // "undelete" ends with it: allowed.
  backend_->calls.clear();
  EXPECT_TRUE(engine_.DeleteFile("Reports", "plan.doc"));
  EXPECT_EQ(CallsFrom("Open Document "),
            (std::vector<std::string>{std::string("Open Document ") + kPlan +
                                          " cnx=none mode=16 create=0 options=0 "
                                          "user=CORP\\jones password=secret",
                                      "Create Document",
                                      std::string("OpenDocument ") + kPlan + " options=268435456",
                                      std::string("Delete ") + kPlan}));
  // A vanished document: the allowed-operations read fails and is mapped.
  EXPECT_EQ(Refused(engine_.DeleteFile("Reports", "plan.doc")), kCodeNotFound);
}

TEST_F(CheckinUploadTest, RenameTestsBothNamesThenMovesWithTheConnectionAndCredentials) {
  AddDocument("keep.doc", "createdcheckedin", "");
  for (const char* bad : {"", "a/b.doc", "a:b"}) {
    EXPECT_EQ(Refused(engine_.ChangeFileName("Reports", "keep.doc", bad)), kCodeBadName);
    EXPECT_EQ(Refused(engine_.ChangeFileName("Reports", bad, "keep.doc")), kCodeBadName);
  }
  EXPECT_TRUE(backend_->calls.empty());
  EXPECT_TRUE(engine_.ChangeFileName("Reports", "keep.doc", "keep.doc"));
  EXPECT_EQ(Count("MoveTo"), 0u);
  EXPECT_TRUE(engine_.ChangeFileName("Reports", "keep.doc", "Keep 2.doc"));
  EXPECT_EQ(CallsFrom("Open Document").back(),
            std::string("MoveTo ") + kReports + "/keep.doc -> " + kReports + "/Keep 2.doc");
  EXPECT_EQ(Count(OpenCall(std::string("Document ") + kReports + "/keep.doc", "open", true)), 2u);
  EXPECT_EQ(Refused(engine_.ChangeFileName("Reports", "keep.doc", "x.doc")), kCodeNotFound);
}

TEST_F(CheckinUploadTest, UploadSetsValuesStreamsTheFileThenChecksInAndPublishes) {
  owner_.properties.Keywords = "a,b";
  owner_.properties.Title = "T";
  owner_.properties.AddCheckIn = true;
  owner_.properties.AddPublish = true;
  ASSERT_TRUE(engine_.SaveFile("Reports", "/home/jones/", "plan.doc"));
  const std::string args = " cnx=open mode=0 create=0 options=0 user=CORP\\jones password=secret";
  auto calls = CallsFrom("Create Document");
  ASSERT_GE(calls.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 9),
            (std::vector<std::string>{
                "Create Document", "Create DocumentFolder",
                OpenCall(std::string("DocumentFolder ") + kReports, "open", true),
                std::string("DefaultDocumentProfile ") + kReports, "Stream Type=1", "Stream SetEOS",
                "Stream LoadFromFile /home/jones/plan.doc", "Stream Flush",
                std::string("SaveTo Document ") + kPlan + args +
                    " DAV:contentclass=urn:content-classes:memo " + kAuthor + "=CORP\\jones " +
                    kKeywords + "=[a,b] " + kDescription + "= " + kTitle + "=T"}));
  // The check-in is attempted (its status test runs) and publishing follows
  // whatever the check-in answered.
  EXPECT_GE(Count(std::string("ListItems ") + kReports), 1u);
  EXPECT_EQ(Count(std::string("Publish ") + kPlan), 1u);
}

TEST_F(CheckinUploadTest, UploadToAStandardFolderNeitherChecksInNorPublishes) {
  owner_.properties.AddCheckIn = true;
  owner_.properties.AddPublish = true;
  ASSERT_TRUE(engine_.SaveFile("Archive", "/home/jones", "plan.doc"));
  EXPECT_EQ(Count("Stream LoadFromFile /home/jones/plan.doc"), 1u);
  EXPECT_EQ(Count("Publish"), 0u);
  EXPECT_EQ(Count("Create Version"), 0u);
}

// An empty file name sends nothing; an unreadable local file stops before
// the write.
TEST_F(CheckinUploadTest, UploadInputFailuresStopBeforeTheWrite) {
  EXPECT_EQ(Refused(engine_.SaveFile("Reports", "/home/jones", "")), kCodeBadName);
  EXPECT_TRUE(backend_->calls.empty());
  backend_->failures["Stream LoadFromFile"] = server::kErrFileRead;
  EXPECT_EQ(Refused(engine_.SaveFile("Reports", "/home/jones", "new.doc")), kCodeFileRead);
  EXPECT_EQ(Count("SaveTo"), 0u);
}

// Uploads over documents that exist: approved plan.doc, checked-in in.doc,
// mine.doc checked out to jones, other.doc held by smith; a scripted person
// answers the overwrite question.
class OverWriteTest : public CheckinUploadTest {
 protected:
  OverWriteTest() {
    AddDocument("plan.doc", "approved", "", {"read", "edit"});
    AddDocument("in.doc", "createdcheckedin", "");
    AddDocument("mine.doc", "createdcheckedout", "CORP\\jones", {"read", "edit", "checkin"});
    AddDocument("other.doc", "createdcheckedout", "CORP\\smith");
    AddWorkingCopy();
    ui::SetUserAgent(agent_);
  }
  // Uploads `file` into `folder`, with the calls before it dropped.
  bool Upload(const std::string& file, const std::string& folder = "Reports") {
    backend_->calls.clear();
    return engine_.SaveFile(folder, "/l", file);
  }
  std::shared_ptr<ui::ScriptedAgent> agent_ = std::make_shared<ui::ScriptedAgent>();
};

// Uploads that keep the document, each with one write, its code, nobody
// asked, and the OverWrite left: 0 and 7 become 1 (keep); a refused
// permission is reported as 1006 (access), and with 3 not tried twice; 2
// does not ask for a document checked in or held by another user.
TEST_F(OverWriteTest, RefusedUploadsWriteOnceAndAskNobody) {
  using Case = std::tuple<int16_t, const char*, int32_t, int32_t, int16_t>;
  for (auto [overwrite, file, failure, code, after] :
       std::vector<Case>{{0, "plan.doc", 0, kCodeAlreadyExists, 1},
                         {7, "plan.doc", 0, kCodeAlreadyExists, 1},
                         {1, "plan.doc", 0, kCodeAlreadyExists, 1},
                         {1, "new.doc", server::kErrPermissionDenied, kCodeAccessDenied, 1},
                         {3, "plan.doc", server::kErrPermissionDenied, kCodeAccessDenied, 3},
                         {2, "in.doc", 0, kCodeAccessDenied, 2},
                         {2, "other.doc", 0, kCodeAccessDenied, 2}}) {
    SCOPED_TRACE(std::to_string(overwrite) + " " + file);
    owner_.properties.OverWrite = overwrite;
    backend_->failures.clear();
    if (failure != 0) backend_->failures["SaveTo"] = failure;
    agent_ = std::make_shared<ui::ScriptedAgent>();
    ui::SetUserAgent(agent_);
    agent_->Answer("yes");
    EXPECT_FALSE(Upload(file));
    EXPECT_EQ(engine_.ErrorCode, code);
    EXPECT_EQ(Count("SaveTo"), 1u);
    EXPECT_EQ(agent_->pending_answers(), 1);
    EXPECT_EQ(owner_.properties.OverWrite, after);
  }
}

TEST_F(OverWriteTest, ThreeReplacesWithoutAskingWithTheOverwriteOption) {
  owner_.properties.OverWrite = 3;
  agent_->Answer("no");
  EXPECT_TRUE(Upload("plan.doc"));
  EXPECT_EQ(Count(std::string("SaveTo Document ") + kPlan + " cnx=open mode=0 create=67108864"),
            1u);
  EXPECT_EQ(agent_->pending_answers(), 1);  // nobody was asked
}

TEST_F(OverWriteTest, TwoAsksAndNoKeepsTheDocumentYetAnswersTrue) {
  owner_.properties.OverWrite = 2;
  agent_->Answer("no");
  EXPECT_TRUE(Upload("plan.doc"));
  EXPECT_EQ(Count("SaveTo"), 1u);
  EXPECT_EQ(Count("Stream"), 4u);  // the first attempt only
  agent_->Answer("yes");
  EXPECT_TRUE(Upload("plan.doc"));
  EXPECT_EQ(Count("SaveTo Document"), 2u);
  EXPECT_EQ(agent_->pending_answers(), 0);
}

// Checked out by this user: the content goes to the working copy, named by
// the document's row the status check has just read (no open of its own).
// The folder's default profile is read once for both attempts.
TEST_F(OverWriteTest, MineGoesToTheWorkingCopyTheStatusCheckNamed) {
  owner_.properties.OverWrite = 3;
  EXPECT_TRUE(Upload("mine.doc"));
  EXPECT_EQ(Count("Open Document "), 0u);
  EXPECT_EQ(Count("Open DocumentFolder " + std::string(kReports) + " cnx=open"), 1u);
  EXPECT_EQ(Count(std::string("SaveTo Document ") + kWorking + " cnx=open mode=0 create=67108864"),
            1u);
}

// A folder given as a URL: the status check read another URL, so the
// document is opened without connection or credentials to find its working
// copy (here it names none: the document URL is written).
TEST_F(OverWriteTest, AFolderGivenAsAUrlHasTheDocumentOpenedForItsWorkingCopy) {
  owner_.properties.OverWrite = 3;
  const std::string odd = std::string(kWs) + "/" + kReports + "/mine.doc";
  backend_->AddItem(odd, {}, false);
  EXPECT_TRUE(Upload("mine.doc", kReports));
  EXPECT_EQ(Count(OpenCall("Document " + odd, "none", false)), 1u);
  EXPECT_EQ(Count("SaveTo Document " + odd + " cnx=open mode=0 create=67108864"), 1u);
}

// A failed write on the overwrite attempt is not reported: the document
// existed before.
TEST_F(OverWriteTest, AFailedReplacementIsNotReported) {
  owner_.properties.OverWrite = 3;
  backend_->failures["SaveTo"] = server::kErrAlreadyExists;
  backend_->failures["SaveTo Document " + std::string(kPlan) + " cnx=open mode=0 create=67108864"] =
      server::kErrGenericFailure;
  EXPECT_TRUE(Upload("plan.doc"));
}

TEST_F(CheckinUploadTest, FolderDefaultProfileFailureIsMapped) {
  EXPECT_EQ(engine_.GetFolderDefaultProfile("Reports"), "urn:content-classes:memo");
  EXPECT_EQ(engine_.GetFolderDefaultProfile("Nowhere"), "");
  EXPECT_EQ(engine_.ErrorCode, kCodeNotFound);
}

}  // namespace
}  // namespace orvex::engine
