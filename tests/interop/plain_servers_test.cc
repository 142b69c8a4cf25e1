// The host script against plain WebDAV servers as they come (Apache mod_dav
// and mod_dav_svn, lighttpd mod_webdav, nginx dav, SabreDAV), with no
// property set by hand, and the host's dialect set to webdav: the workspaces
// are the collections of the workspace list, every folder is a standard one,
// and documents keep their office values as dead properties where the server
// keeps any. What the docstore answers in the portal dialect is the
// integration suite's (tests/integration).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/connect_orvex.h"
#include "engine/error_codes.h"
#include "platform/host_map.h"
#include "platform/host_settings.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "support/apache_server.h"
#include "support/lighttpd_server.h"
#include "support/nginx_server.h"
#include "support/sabre_server.h"
#include "support/svn_server.h"
#include "support/temp_dir.h"

namespace orvex::automation {
namespace {

// Whichever server a test runs on, and what it holds as it says by its own
// means (its directory tree, or its repository), not through the library.
class Server {
 public:
  virtual ~Server() = default;
  // Before Start: folders below the server's root, parents made as needed.
  virtual bool MakeFolders(const std::vector<std::string>& paths) = 0;
  virtual bool Start() = 0;
  virtual int port() const = 0;
  // The size of the document at `path`; nothing when there is none.
  virtual std::optional<std::uintmax_t> FileSize(const std::string& path) const = 0;
  virtual bool IsFolder(const std::string& path) const = 0;
};

// A server of a directory tree.
template <class S>
class Tree : public Server {
 public:
  bool MakeFolders(const std::vector<std::string>& paths) override {
    for (const std::string& path : paths) std::filesystem::create_directories(root() / path);
    return true;
  }
  bool Start() override { return server.Start(); }
  int port() const override { return server.port(); }
  std::optional<std::uintmax_t> FileSize(const std::string& path) const override {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(root() / path, error);
    if (error) return std::nullopt;
    return size;
  }
  bool IsFolder(const std::string& path) const override {
    return std::filesystem::is_directory(root() / path);
  }
  const std::filesystem::path& root() const { return server.root(); }
  S server;
};

// Apache mod_dav_svn: a repository, each change a revision.
class Repository : public Server {
 public:
  bool MakeFolders(const std::vector<std::string>& paths) override {
    return server.MakeFolders(paths);
  }
  bool Start() override { return server.Start(); }
  int port() const override { return server.port(); }
  std::optional<std::uintmax_t> FileSize(const std::string& path) const override {
    return server.FileSize(path);
  }
  bool IsFolder(const std::string& path) const override { return server.IsFolder(path); }
  testing::SvnServer server;
};

// A server of type S asking for a domain-style Basic user, or nothing (and
// why) where S cannot run here.
template <class S, class Made = Tree<S>>
std::unique_ptr<Server> Plain(std::string& unavailable) {
  unavailable = S::Unavailable();
  if (!unavailable.empty()) return nullptr;
  auto made = std::make_unique<Made>();
  made->server.RequireBasic("CORP\\jones", "secret");
  return made;
}

// The server a test parameter names, or why it cannot run here.
std::unique_ptr<Server> MakeServer(const std::string& name, std::string& unavailable) {
  if (name == "apache") return Plain<testing::ApacheServer>(unavailable);
  if (name == "lighttpd") return Plain<testing::LighttpdServer>(unavailable);
  if (name == "nginx") return Plain<testing::NginxServer>(unavailable);
  if (name == "sabre") return Plain<testing::SabreServer>(unavailable);
  return Plain<testing::SvnServer, Repository>(unavailable);
}

// Each test runs on a fresh tree of the server its parameter names.
class PlainServerTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    std::string unavailable;
    server_ = MakeServer(GetParam(), unavailable);
    if (!server_) GTEST_SKIP() << unavailable;
    ASSERT_TRUE(
        server_->MakeFolders({"Public/Workspaces/Sales", "Sales/Reports", "Sales/Archive/2001"}));
    ASSERT_TRUE(server_->Start());
    platform::MapHost("docs", {"127.0.0.1", server_->port()});
    platform::SetHostSetting("docs", "dialect", "webdav");
    // The overwrite question is answered as each test queues.
    ui::UseToolkit("headless");
    agent_ = std::make_shared<ui::ScriptedAgent>();
    ui::SetUserAgent(agent_);
    docs_.Properties().ShowDialog = false;
    ASSERT_TRUE(docs_.ConnectOpen("docs", "jones", "CORP", "secret")) << docs_.GetLastError();
  }
  void TearDown() override {
    ui::SetUserAgent(nullptr);
    platform::RemoveHostSetting("docs", "");
  }

  const Server& server() const { return *server_; }

  std::vector<std::string> Folders(const std::string& path) {
    engine::ServerClass1& e = docs_.DefaultServer();
    std::vector<std::string> out;
    int16_t n = e.GetDocFolderInfo(path);
    for (int16_t i = 0; i < n; ++i) {
      std::string name;
      bool version = true, read_only = true;
      EXPECT_TRUE(e.GetDocFolder(i, name, version, read_only));
      out.push_back(name + (version ? "+" : "") + (read_only ? "!" : ""));
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  // The one document of `folder` as listed: "name|read-only|status", its
  // profile, and its values as "property=data" ("property*=data" for a
  // multi-valued one).
  struct Listed {
    std::string row;
    std::string profile;
    std::vector<std::string> values;
  };
  Listed OnlyDocument(const std::string& folder) {
    engine::ServerClass1& e = docs_.DefaultServer();
    Listed listed;
    EXPECT_EQ(e.GetFileInfo(folder), 1) << e.ErrorCode;
    std::string name;
    bool read_only = true;
    int16_t status = -1;
    EXPECT_TRUE(e.GetFileData(0, name, read_only, status));
    listed.row = name + "|" + std::to_string(read_only) + "|" + std::to_string(status);
    int16_t n = e.GetFileContentInfo(0, listed.profile);
    for (int16_t j = 0; j < n; ++j) {
      std::string property, data;
      bool multi = false;
      EXPECT_TRUE(e.GetFileContent(j, property, multi, data));
      listed.values.push_back(property + (multi ? "*=" : "=") + data);
    }
    return listed;
  }

  std::unique_ptr<Server> server_;
  std::shared_ptr<ui::ScriptedAgent> agent_;
  ConnectOrvex docs_;
};

TEST_P(PlainServerTest, WorkspacesFoldersAndCategories) {
  engine::ServerClass1& e = docs_.DefaultServer();
  ASSERT_EQ(e.GetWorkspaceInfo(), 1) << e.ErrorCode;
  std::string workspace, description = "x";
  ASSERT_TRUE(e.GetWorkspace(0, workspace, description));
  EXPECT_EQ(workspace + "|" + description, "Sales|");
  ASSERT_TRUE(e.SetWorkspace("Sales")) << e.ErrorCode;

  EXPECT_EQ(Folders(""), (std::vector<std::string>{"Archive", "Reports"}));
  EXPECT_EQ(Folders("Archive"), (std::vector<std::string>{"2001"}));
  EXPECT_FALSE(e.IsVersionFolder("Archive/2001"));
  EXPECT_EQ(e.ErrorCode, 0);

  // Asked for an enhanced folder, a plain server makes a standard one.
  ASSERT_TRUE(e.CreateFolder("Archive/New", true)) << e.ErrorCode;
  EXPECT_EQ(Folders("Archive"), (std::vector<std::string>{"2001", "New"}));
  EXPECT_FALSE(e.CreateFolder("Archive", false));
  EXPECT_EQ(e.ErrorCode, engine::kCodeAlreadyExists);
  ASSERT_TRUE(e.ChangeFolderName("Reports", "Berichte")) << e.ErrorCode;
  EXPECT_TRUE(server().IsFolder("Sales/Berichte"));
  ASSERT_TRUE(e.ChangeFolderName("Berichte", "Reports")) << e.ErrorCode;
  ASSERT_TRUE(e.DeleteFolder("Archive/New")) << e.ErrorCode;
  EXPECT_FALSE(server().IsFolder("Sales/Archive/New"));

  // A plain server keeps no categories, and none can be made.
  EXPECT_EQ(e.GetCategoryInfo(""), 0) << e.ErrorCode;
  EXPECT_FALSE(e.CreateCategory("Europe"));
  EXPECT_EQ(e.ErrorCode, engine::kCodePermissionDenied);
  EXPECT_EQ(e.GetCategoryInfo("Europe"), -1);
  EXPECT_EQ(e.ErrorCode, engine::kCodeNotFound);
}

// The servers that take dead properties. mod_dav_svn
// keeps each under its local name in a namespace of its own, so the office
// values it took read back absent, which lists as empty.
class PropertyServerTest : public PlainServerTest {
 protected:
  // The listed values of a document written with `title` and the values
  // below.
  std::vector<std::string> Values(const std::string& title) const {
    if (GetParam() == "svn") return {"Title=", "Author=", "Description=", "Keywords*="};
    return {"Title=" + title, "Author=Jones", "Description=", "Keywords*=pricing,forecast"};
  }
  // How the server refuses the version-tree report it does not offer:
  // SabreDAV as an unsupported report (403: 1004), the others as an unknown
  // method or report (405, 501) or a bad request (1000).
  std::vector<std::string> History() const {
    return {GetParam() == "sabre" ? "refused 1004" : "refused 1000"};
  }

  // GetHistoryInfo's versions of `file` in `folder`, each
  // "id|comment|domain|user" (the time is the server's), or "refused CODE".
  std::vector<std::string> Versions(const std::string& folder, const std::string& file) {
    engine::ServerClass1& e = docs_.DefaultServer();
    const int16_t n = e.GetHistoryInfo(folder, file);
    if (n < 0) return {"refused " + std::to_string(e.ErrorCode)};
    std::vector<std::string> out;
    for (int16_t i = 0; i < n; ++i) {
      std::string id, comment, created, domain, user;
      EXPECT_TRUE(e.GetHistory(i, id, comment, created, domain, user));
      EXPECT_FALSE(created.empty());
      out.push_back(id + "|" + comment + "|" + domain + "|" + user);
    }
    return out;
  }
};

TEST_P(PropertyServerTest, DocumentsWithTheBuiltInProfile) {
  engine::ServerClass1& e = docs_.DefaultServer();
  ASSERT_TRUE(e.SetWorkspace("Sales")) << e.ErrorCode;
  ASSERT_EQ(e.GetDocProfileInfo(), 1) << e.ErrorCode;
  ASSERT_EQ(e.GetPropertyInfo("Document"), 4) << e.ErrorCode;

  orvex::testing::TempDir local("plain");
  const std::string file = "計画 案.txt";
  std::ofstream(local.path() + "/" + file) << "first\n";
  engine::ConnectProperties& p = docs_.Properties();
  p.Title = "Plan & budget";
  p.Author = "Jones";
  p.Keywords = "pricing,forecast";
  p.AddCheckIn = true;  // a standard folder: nothing to check in
  p.OverWrite = 1;
  ASSERT_TRUE(e.SaveFile("Reports", local.path(), file)) << e.ErrorCode;
  // OverWrite 1 never replaces; 3 does.
  std::ofstream(local.path() + "/" + file) << "second\n";
  EXPECT_FALSE(e.SaveFile("Reports", local.path(), file));
  EXPECT_EQ(e.ErrorCode, engine::kCodeAlreadyExists);
  const std::string stored = "Sales/Reports/" + file;
  EXPECT_EQ(server().FileSize(stored), 6u);
  p.OverWrite = 3;
  p.Title = "Plan 2";
  ASSERT_TRUE(e.SaveFile("Reports", local.path(), file)) << e.ErrorCode;
  EXPECT_EQ(server().FileSize(stored), 7u);
  // OverWrite 2 asks: No leaves content and values as they were and counts
  // as done, Yes replaces both.
  std::ofstream(local.path() + "/" + file) << "third, longer\n";
  p.OverWrite = 2;
  p.Title = "Plan 3";
  agent_->Answer("no");
  EXPECT_TRUE(e.SaveFile("Reports", local.path(), file)) << e.ErrorCode;
  EXPECT_EQ(agent_->pending_answers(), 0);
  EXPECT_EQ(server().FileSize(stored), 7u);
  EXPECT_EQ(OnlyDocument("Reports").values, Values("Plan 2"));
  agent_->Answer("yes");
  p.Title = "Plan 4";
  ASSERT_TRUE(e.SaveFile("Reports", local.path(), file)) << e.ErrorCode;
  EXPECT_EQ(server().FileSize(stored), 14u);

  Listed doc = OnlyDocument("Reports");
  EXPECT_EQ(doc.row, file + "|0|0");
  EXPECT_EQ(doc.profile, "Document");
  EXPECT_EQ(doc.values, Values("Plan 4"));

  ASSERT_TRUE(e.ChangeFileName("Reports", file, "plan.txt")) << e.ErrorCode;
  ASSERT_TRUE(e.DeleteFile("Reports", "plan.txt")) << e.ErrorCode;
  EXPECT_EQ(e.GetFileInfo("Reports"), 0);

  // A folder asked for as an enhanced one is a standard one: the upload
  // has no publishing state, no history, and OverWrite 3 replaces it.
  ASSERT_TRUE(e.CreateFolder("Drafts", true)) << e.ErrorCode;
  p.OverWrite = 1;
  ASSERT_TRUE(e.SaveFile("Drafts", local.path(), file)) << e.ErrorCode;
  EXPECT_EQ(OnlyDocument("Drafts").row, file + "|0|0");
  EXPECT_EQ(Versions("Drafts", file), History());
  std::ofstream(local.path() + "/" + file) << "fifth\n";
  p.OverWrite = 3;
  EXPECT_TRUE(e.SaveFile("Drafts", local.path(), file)) << e.ErrorCode;
  EXPECT_EQ(e.ErrorCode, engine::kCodeNone);
  EXPECT_EQ(server().FileSize("Sales/Drafts/" + file), 6u);
}

// nginx keeps no properties: it refuses every PROPPATCH (405) and ignores
// If-None-Match. An upload, which always sets values (Author is at least the
// login user), fails with 1000 and leaves no new document behind; documents
// put there otherwise list with empty values and are renamed and deleted.
class NoPropertyServerTest : public PlainServerTest {
 protected:
  // nginx's tree, where a document is put by other means than the library.
  const std::filesystem::path& tree() const {
    return static_cast<const Tree<testing::NginxServer>&>(server()).root();
  }
};

TEST_P(NoPropertyServerTest, DocumentsWithoutValues) {
  engine::ServerClass1& e = docs_.DefaultServer();
  ASSERT_TRUE(e.SetWorkspace("Sales")) << e.ErrorCode;
  ASSERT_EQ(e.GetDocProfileInfo(), 1) << e.ErrorCode;
  ASSERT_EQ(e.GetPropertyInfo("Document"), 4) << e.ErrorCode;
  orvex::testing::TempDir local("plain");
  const std::string file = "計画 案.txt";
  std::ofstream(local.path() + "/" + file) << "second\n";
  engine::ConnectProperties& p = docs_.Properties();
  p.Title = "Plan";
  const std::string stored = "Sales/Reports/" + file;
  for (int16_t overwrite : {1, 3}) {
    p.OverWrite = overwrite;
    EXPECT_FALSE(e.SaveFile("Reports", local.path(), file)) << overwrite;
    EXPECT_EQ(e.ErrorCode, engine::kCodeFailure) << overwrite;
    EXPECT_FALSE(server().FileSize(stored).has_value()) << overwrite;
  }

  std::ofstream(tree() / stored) << "first\n";
  // The check before the write keeps OverWrite 1 from replacing it.
  p.OverWrite = 1;
  EXPECT_FALSE(e.SaveFile("Reports", local.path(), file));
  EXPECT_EQ(e.ErrorCode, engine::kCodeAlreadyExists);
  EXPECT_EQ(server().FileSize(stored), 6u);
  // So does OverWrite 2 answered No: nothing is written, and that is done.
  p.OverWrite = 2;
  agent_->Answer("no");
  EXPECT_TRUE(e.SaveFile("Reports", local.path(), file)) << e.ErrorCode;
  EXPECT_EQ(agent_->pending_answers(), 0);
  EXPECT_EQ(server().FileSize(stored), 6u);
  // Answered Yes, or with OverWrite 3, the content is replaced, but its
  // values are refused: the document stays, with the new content, and the
  // upload reports the failure.
  agent_->Answer("yes");
  EXPECT_FALSE(e.SaveFile("Reports", local.path(), file));
  EXPECT_EQ(e.ErrorCode, engine::kCodeFailure);
  EXPECT_EQ(server().FileSize(stored), 7u);
  std::ofstream(tree() / stored) << "first\n";
  p.OverWrite = 3;
  EXPECT_FALSE(e.SaveFile("Reports", local.path(), file));
  EXPECT_EQ(e.ErrorCode, engine::kCodeFailure);
  EXPECT_EQ(server().FileSize(stored), 7u);

  Listed doc = OnlyDocument("Reports");
  EXPECT_EQ(doc.row, file + "|0|0");
  EXPECT_EQ(doc.profile, "Document");
  EXPECT_EQ(doc.values,
            (std::vector<std::string>{"Title=", "Author=", "Description=", "Keywords*="}));

  EXPECT_EQ(e.GetHistoryInfo("Reports", file), -1);
  EXPECT_EQ(e.ErrorCode, engine::kCodeFailure);
  ASSERT_TRUE(e.ChangeFileName("Reports", file, "plan.txt")) << e.ErrorCode;
  EXPECT_TRUE(server().FileSize("Sales/Reports/plan.txt").has_value());
  ASSERT_TRUE(e.DeleteFile("Reports", "plan.txt")) << e.ErrorCode;
  EXPECT_EQ(e.GetFileInfo("Reports"), 0);
}

const auto kServerName = [](const auto& info) { return info.param; };
INSTANTIATE_TEST_SUITE_P(Servers, PlainServerTest,
                         ::testing::Values("apache", "lighttpd", "nginx", "sabre", "svn"),
                         kServerName);
INSTANTIATE_TEST_SUITE_P(Servers, PropertyServerTest,
                         ::testing::Values("apache", "lighttpd", "sabre", "svn"), kServerName);
INSTANTIATE_TEST_SUITE_P(Servers, NoPropertyServerTest, ::testing::Values("nginx"), kServerName);

}  // namespace
}  // namespace orvex::automation
