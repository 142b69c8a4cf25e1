// The automation object's own members and the forwarding rules every other
// member follows, against the recording fake.
#include "automation/connect_orvex.h"

#include <gtest/gtest.h>

#include <set>

#include "automation/connect_orvex_members.h"
#include "engine/error_codes.h"
#include "fakes/fake_backend.h"
#include "platform/text.h"
#include "server/error.h"
#include "support/error_of.h"

namespace orvex::automation {
namespace {

using orvex::testing::ErrorOf;

using engine::ServerClass1;

class ConnectOrvexTest : public ::testing::Test {
 protected:
  ConnectOrvexTest() : backend_(std::make_shared<testing::FakeBackend>()), obj_(backend_) {
    backend_->AddItem("http://docs/Public/Workspaces", {}, false);
    obj_.Properties().ShowDialog = false;
  }

  Variant Call(std::string_view name, std::vector<Variant> args = {}) {
    auto id = obj_.GetIdOfName(name);
    if (!id) throw AutomationError(kErrMemberNotFound);
    return obj_.Invoke(*id, InvokeKind::kMethod, args);
  }

  std::shared_ptr<testing::FakeBackend> backend_;
  ConnectOrvex obj_;
};

TEST_F(ConnectOrvexTest, FreshObjectHasItsInitialPropertiesAndReportsNotConnected) {
  ConnectOrvex fresh(backend_);
  auto get = [&](std::string_view name) {
    std::vector<Variant> none;
    return fresh.Invoke(*fresh.GetIdOfName(name), InvokeKind::kPropertyGet, none);
  };
  for (const char* s : {"SelectFolder", "SelectWorkspace", "SelectCategory", "Author", "Title",
                        "Description", "Keywords", "CheckInComment"})
    EXPECT_EQ(get(s), Variant(std::string())) << s;
  EXPECT_EQ(get("OverWrite"), Variant(int16_t{1}));
  EXPECT_EQ(get("ShowDialog").ToInt32(), -1);
  for (const char* b : {"AddCheckIn", "AddPublish", "ShowProfileDialog"})
    EXPECT_EQ(get(b).ToInt32(), 0) << b;
  // The stored code 1 is reported and reset; with nothing stored, 1 again.
  EXPECT_EQ(fresh.GetLastError(), 1);
  EXPECT_EQ(fresh.GetLastError(), 1);
  EXPECT_EQ(fresh.GetLastErrorEx(5), 1);
  EXPECT_EQ(fresh.GetLastErrorEx(0), 0);
  EXPECT_TRUE(backend_->calls.empty());
}

TEST_F(ConnectOrvexTest, FailedOpenReportsItsCodeOnceAndDiscardsTheEngine) {
  EXPECT_FALSE(obj_.ConnectOpen("docs/x", "jones", "CORP", "secret"));
  EXPECT_FALSE(obj_.has_default_server());
  EXPECT_EQ(obj_.GetLastError(), engine::kCodeBadHostName);
  EXPECT_EQ(obj_.GetLastError(), 1);

  backend_->failures["OpenConnection"] = server::kErrAccessDenied;
  EXPECT_FALSE(obj_.ConnectOpen("docs", "jones", "CORP", "wrong"));
  EXPECT_EQ(obj_.GetLastError(), engine::kCodeAccessDenied);
  EXPECT_EQ(obj_.ConnectOpenEx("docs", "jones", "CORP", "secret:"), 0);
  backend_->failures["OpenConnection"] = server::kErrPermissionDenied;
  EXPECT_EQ(obj_.ConnectOpenEx("docs", "jones", "CORP", "x"), -1);
  // The failed Ex open leaves the working entry in place.
  EXPECT_EQ(obj_.GetLastErrorEx(0), 0);
  EXPECT_EQ(obj_.ServerTable(0).cnx1().State(), server::kStateOpen);

  // Host names failing the name check open nothing, in either form.
  ConnectOrvex fresh(backend_);
  fresh.Properties().ShowDialog = false;
  backend_->calls.clear();
  for (const char* host : {"docs/Public", "docs:80", ""}) {
    EXPECT_FALSE(fresh.ConnectOpen(host, "jones", "CORP", "secret")) << host;
    EXPECT_EQ(fresh.GetLastError(), engine::kCodeBadHostName) << host;
    EXPECT_EQ(fresh.ConnectOpenEx(host, "jones", "CORP", "secret"), -1) << host;
    EXPECT_EQ(fresh.GetLastErrorEx(0), engine::kCodeBadHostName) << host;
  }
  EXPECT_TRUE(backend_->calls.empty());
}

TEST_F(ConnectOrvexTest, SecondOpenFailsWithCodeTwoAndKeepsTheFirstConnectionWithNewSettings) {
  ASSERT_TRUE(obj_.ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_FALSE(obj_.ConnectOpen("docs2", "smith", "", "pw"));
  EXPECT_TRUE(obj_.has_default_server());
  ServerClass1& engine = obj_.DefaultServer();
  EXPECT_EQ(engine.cnx1().State(), server::kStateOpen);
  EXPECT_EQ(engine.HostName, "docs2");
  EXPECT_EQ(engine.LoginUser, "smith");
  EXPECT_EQ(obj_.GetLastError(), engine::kCodeAlreadyOpen);
  EXPECT_EQ(backend_->CallsStartingWith("OpenConnection").size(), 1u);
  EXPECT_TRUE(backend_->CallsStartingWith("CloseConnection").empty());
  obj_.ConnectClose();
  EXPECT_FALSE(obj_.has_default_server());
  EXPECT_EQ(backend_->CallsStartingWith("CloseConnection").size(), 1u);
}

TEST_F(ConnectOrvexTest, DomainAndUserJoinForBothConnections) {
  ASSERT_TRUE(obj_.ConnectOpen("docs", "jones", "CORP", "secret"));
  ASSERT_EQ(obj_.ConnectOpenEx("docs", "jones", "CORP", "secret"), 0);
  ASSERT_EQ(obj_.ConnectOpenEx("docs", "guest", "", "guest"), 0);
  auto opens = backend_->CallsStartingWith("OpenConnection");
  ASSERT_EQ(opens.size(), 3u);
  EXPECT_NE(opens[0].find(" user=CORP\\jones password=secret "), std::string::npos);
  EXPECT_NE(opens[1].find(" user=CORP\\jones password=secret "), std::string::npos);
  EXPECT_NE(opens[2].find(" user=guest password=guest "), std::string::npos);
  EXPECT_EQ(obj_.ServerTable(0).LoginUser, "guest");
  EXPECT_EQ(obj_.DefaultServer().LoginUser, "CORP\\jones");
}

TEST_F(ConnectOrvexTest, ConnectionTableHasOnlyHandleZero) {
  EXPECT_THROW(obj_.ConnectCloseEx(1), AutomationError);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { Call("ConnectCloseEx", {Variant(int16_t{-1})}); }),
            kErrSubscriptOutOfRange);
  ASSERT_EQ(obj_.ConnectOpenEx("docs", "jones", "CORP", "secret"), 0);
  EXPECT_TRUE(obj_.ConnectCloseEx(0));
  EXPECT_FALSE(obj_.has_table_entry());
  // The recreated entry has no host name.
  EXPECT_FALSE(obj_.ConnectCloseEx(0));
  EXPECT_TRUE(obj_.has_table_entry());
}

// A forwarded operation that records the engine it ran on and writes its
// by-reference output.
int ops_run = 0;
ServerClass1* last_engine = nullptr;
Variant RecordingOp(ServerClass1& e, std::span<Variant> args) {
  ++ops_run;
  last_engine = &e;
  if (!args.empty()) args.back() = Variant(std::string("out"));
  return Variant(true);
}

MemberRule TestRule(PlainTest plain, ExTest ex, bool workspace) {
  return MemberRule{"Op",        "OpEx",    "",        ValueType::kBool, plain,
                    ex,          workspace, workspace, Variant(false),   Variant(int16_t{0}),
                    &RecordingOp};
}

TEST_F(ConnectOrvexTest, PlainFormsTestTheConnectionBeforeForwarding) {
  ops_run = 0;
  std::vector<Variant> none;
  MemberRule host = TestRule(PlainTest::kHostName, ExTest::kHostName, false);
  EXPECT_EQ(obj_.Forward(host, false, none), Variant(false));
  EXPECT_EQ(obj_.DefaultServer().ErrorCode, engine::kCodeNotConnected);

  MemberRule last = TestRule(PlainTest::kHostNameLastError, ExTest::kHostName, false);
  obj_.DefaultServer().ErrorCode = 0;
  obj_.GetLastError();
  EXPECT_EQ(obj_.Forward(last, false, none), Variant(false));
  EXPECT_EQ(obj_.DefaultServer().ErrorCode, 0);
  EXPECT_EQ(obj_.GetLastError(), 1);

  ASSERT_TRUE(obj_.ConnectOpen("docs", "jones", "", "pw"));
  std::vector<Variant> out{Variant()};
  EXPECT_EQ(obj_.Forward(host, false, out), Variant(true));
  EXPECT_EQ(out[0], Variant(std::string("out")));
  EXPECT_EQ(last_engine, &obj_.DefaultServer());

  // Inside a workspace: without one the workspace check answers 3.
  MemberRule ws = TestRule(PlainTest::kHostName, ExTest::kHandleOnly, true);
  EXPECT_EQ(obj_.Forward(ws, false, none), Variant(false));
  EXPECT_EQ(obj_.DefaultServer().ErrorCode, engine::kCodeNoWorkspace);

  // The open-state form looks at the connection, not the host name.
  MemberRule open = TestRule(PlainTest::kOpenState, ExTest::kHostName, false);
  EXPECT_EQ(obj_.Forward(open, false, none), Variant(true));
  obj_.DefaultServer().cnx1().Close();
  EXPECT_EQ(obj_.Forward(open, false, none), Variant(false));
  EXPECT_EQ(ops_run, 2);
}

TEST_F(ConnectOrvexTest, ExFormsFollowTheirHandleRules) {
  ops_run = 0;
  auto with_handle = [](int16_t h) { return std::vector<Variant>{Variant(h)}; };
  for (ExTest form : {ExTest::kHostName, ExTest::kHandleOnly, ExTest::kOpenState}) {
    MemberRule rule = TestRule(PlainTest::kHostName, form, false);
    auto args = with_handle(1);
    EXPECT_EQ(ErrorOf<AutomationError>([&] { obj_.Forward(rule, true, args); }),
              kErrSubscriptOutOfRange);
  }
  // Before any Ex open: the host-name and open-state forms refuse with 1 and
  // answer the Ex failure value; the handle-only form goes through.
  auto args = with_handle(0);
  EXPECT_EQ(obj_.Forward(TestRule(PlainTest::kHostName, ExTest::kHostName, false), true, args),
            Variant(int16_t{0}));
  EXPECT_EQ(obj_.GetLastErrorEx(0), 1);
  EXPECT_EQ(obj_.Forward(TestRule(PlainTest::kHostName, ExTest::kOpenState, false), true, args),
            Variant(int16_t{0}));
  EXPECT_EQ(obj_.Forward(TestRule(PlainTest::kHostName, ExTest::kHandleOnly, false), true, args),
            Variant(true));
  EXPECT_EQ(ops_run, 1);

  // The workspace-argument form: empty name -> 1002 on the entry (and the
  // subscript error for another handle); a name with another handle -> False
  // without touching the table.
  MemberRule ws = TestRule(PlainTest::kHostNameLastError, ExTest::kWorkspaceArgument, false);
  std::vector<Variant> empty_name{Variant(int16_t{0}), Variant(std::string())};
  EXPECT_EQ(obj_.Forward(ws, true, empty_name), Variant(int16_t{0}));
  EXPECT_EQ(obj_.ServerTable(0).ErrorCode, engine::kCodeBadHostName);
  std::vector<Variant> bad_handle{Variant(int16_t{1}), Variant(std::string())};
  EXPECT_THROW(obj_.Forward(ws, true, bad_handle), AutomationError);
  std::vector<Variant> named{Variant(int16_t{7}), Variant(std::string("Sales"))};
  EXPECT_EQ(obj_.Forward(ws, true, named), Variant(int16_t{0}));
  EXPECT_EQ(ops_run, 1);

  ASSERT_EQ(obj_.ConnectOpenEx("docs", "jones", "", "pw"), 0);
  EXPECT_EQ(obj_.Forward(TestRule(PlainTest::kHostName, ExTest::kHostName, false), true, args),
            Variant(true));
  EXPECT_EQ(last_engine, &obj_.ServerTable(0));
}

TEST_F(ConnectOrvexTest, WorkspaceAndFolderMembersAnswerTheirOwnFailureValues) {
  auto i2 = [](int v) { return Variant(static_cast<int16_t>(v)); };
  EXPECT_EQ(Call("GetWorkspaceInfo"), i2(-1));
  EXPECT_EQ(obj_.DefaultServer().ErrorCode, 1);
  EXPECT_EQ(Call("GetWorkspaceInfoEx", {i2(0)}), i2(0));
  EXPECT_EQ(Call("SetWorkspace", {Variant("Sales")}), Variant(false));
  EXPECT_EQ(obj_.GetLastError(), 1);
  EXPECT_EQ(Call("SetWorkspaceEx", {i2(1), Variant("Sales")}), Variant(false));
  EXPECT_EQ(Call("SetWorkspaceEx", {i2(0), Variant("")}), Variant(false));
  EXPECT_EQ(obj_.GetLastErrorEx(0), 0);  // no host name: the stored code
  EXPECT_EQ(obj_.ServerTable(0).ErrorCode, 1002);
  // Handle-only members skip the host-name test and meet the workspace check.
  EXPECT_EQ(Call("GetDocFolderInfoEx", {i2(0), Variant("")}), i2(-1));
  EXPECT_EQ(obj_.ServerTable(0).ErrorCode, 3);
  EXPECT_THROW(Call("GetDocFolderInfoEx", {i2(1), Variant("")}), AutomationError);
  EXPECT_EQ(Call("CreateFolder", {Variant("x"), Variant(true)}), Variant(false));
  EXPECT_EQ(Call("GetDocFolder", {i2(0), Variant(), Variant(), Variant()}), Variant(false));
}

// Members' own answers before the engine, for each state of the object:
// never connected, connected without a workspace (its connection closed,
// as a failed switch leaves it, the Ex entry never opened), closed, and the
// Ex entry opened without a workspace. Each row: the answer and the code the default engine (or,
// for an Ex member, entry 0) is left with.
TEST_F(ConnectOrvexTest, MembersRefuseBeforeTheEngineByTheObjectsState) {
  auto i2 = [](int v) { return Variant(static_cast<int16_t>(v)); };
  const Variant h0 = i2(0), empty("");
  enum class State { kFresh, kConnectionClosed, kClosed, kExWithoutWorkspace };
  const struct {
    State state;
    const char* member;
    std::vector<Variant> args;
    Variant answer;
    int32_t code;
  } rows[] = {
      {State::kFresh, "GetCategoryInfo", {empty}, i2(-1), engine::kCodeNotConnected},
      {State::kFresh, "GetCategoryInfoEx", {h0, empty}, i2(0), engine::kCodeNotConnected},
      {State::kFresh, "GetHistoryInfo", {empty, Variant("a")}, i2(-1), engine::kCodeNotConnected},
      {State::kFresh,
       "GetHistoryInfoEx",
       {h0, empty, Variant("a")},
       i2(-1),
       engine::kCodeNotConnected},
      {State::kConnectionClosed,
       "GetHistoryInfo",
       {empty, Variant("a")},
       i2(-1),
       engine::kCodeNoWorkspace},
      {State::kConnectionClosed,
       "CreateCategory",
       {Variant("EU")},
       Variant(false),
       engine::kCodeNoWorkspace},
      {State::kConnectionClosed,
       "ChangeCategoryName",
       {Variant("A"), Variant("B")},
       Variant(false),
       engine::kCodeNotConnected},
      {State::kConnectionClosed,
       "ChangeCategoryNameEx",
       {h0, Variant("A"), Variant("B")},
       Variant(false),
       engine::kCodeNotConnected},
      {State::kClosed,
       "CheckOut",
       {Variant("Reports"), Variant("a")},
       Variant(false),
       engine::kCodeNotConnected},
      {State::kExWithoutWorkspace,
       "PublishEx",
       {h0, Variant("Reports"), Variant("a")},
       Variant(false),
       engine::kCodeNoWorkspace},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.member);
    ConnectOrvex obj(backend_);
    obj.Properties().ShowDialog = false;
    if (row.state == State::kConnectionClosed || row.state == State::kClosed) {
      ASSERT_TRUE(obj.ConnectOpen("docs", "jones", "CORP", "secret"));
      obj.DefaultServer().cnx1().Close();
      if (row.state == State::kClosed) obj.ConnectClose();
    } else if (row.state == State::kExWithoutWorkspace) {
      ASSERT_EQ(obj.ConnectOpenEx("docs", "jones", "CORP", "secret"), 0);
    }
    std::vector<Variant> args = row.args;
    EXPECT_EQ(obj.Invoke(*obj.GetIdOfName(row.member), InvokeKind::kMethod, args), row.answer);
    const bool ex = std::string_view(row.member).ends_with("Ex");
    EXPECT_EQ(ex ? obj.ServerTable(0).ErrorCode : obj.DefaultServer().ErrorCode, row.code);
  }
}

TEST(ConnectOrvexMembersTest, InterfaceOrderGivesTheDispatchIds) {
  const auto& members = ConnectOrvexMembers();
  int properties = 0;
  std::set<std::string> names;
  for (const auto& m : members) {
    properties += m.is_property;
    EXPECT_TRUE(names.insert(m.name).second) << m.name;
  }
  EXPECT_EQ(properties, 13);
  EXPECT_EQ(members.size() - static_cast<size_t>(properties), 83u);
  EXPECT_EQ(members[0].name, "SelectFolder");
  EXPECT_EQ(members[10].name, "CheckInComment");
  EXPECT_EQ(members[11].name, "ConnectOpen");
  EXPECT_EQ(members[members.size() - 1].name, "CheckSPPS");
  EXPECT_EQ(members[members.size() - 3].name, "IsFileStatus");
  EXPECT_EQ(members[members.size() - 5].name, "ShowProfileDialog");
  // Dialog variants put Ex before their letter; every Ex form takes the
  // handle first.
  for (const auto& m : members) {
    if (m.rule && m.ex) {
      ASSERT_FALSE(m.params.empty());
      EXPECT_EQ(m.params[0].name, "Handle");
      EXPECT_EQ(m.params.size(),
                members[static_cast<size_t>(&m - &members[0]) - 1].params.size() + 1)
          << m.name;
    }
  }
  EXPECT_TRUE(names.count("WorkspaceDialogExA") && names.count("FolderDialogExB") &&
              names.count("CategoryDialogExA"));
  // Lookup ignores case; members whose operation is not offered are not found.
  EXPECT_EQ(FindConnectOrvexMember("connectopen"), 12);
  EXPECT_EQ(FindConnectOrvexMember("SHOWDIALOG"), 9);
  EXPECT_FALSE(FindConnectOrvexMember("NoSuchMember"));
}

TEST_F(ConnectOrvexTest, DispatchConvertsArgumentsAndChecksTheirCount) {
  std::vector<Variant> value{Variant(std::string("3"))};
  obj_.Invoke(*obj_.GetIdOfName("OverWrite"), InvokeKind::kPropertyLet, value);
  EXPECT_EQ(obj_.Properties().OverWrite, 3);
  EXPECT_THROW(Call("GetLastError", {Variant(int16_t{1})}), AutomationError);
  EXPECT_THROW(Call("ConnectCloseEx", {Variant(std::string("x"))}), AutomationError);
  std::vector<Variant> open{Variant("docs"), Variant("jones"), Variant(), Variant("pw")};
  EXPECT_EQ(obj_.Invoke(12, InvokeKind::kMethod, open), Variant(true));
  EXPECT_EQ(Call("GetLastError"), Variant(int32_t{0}));
}

}  // namespace
}  // namespace orvex::automation
