// The host script against plain WebDAV servers as they come (Apache mod_dav
// and mod_dav_svn, lighttpd mod_webdav, nginx dav, SabreDAV), with no
// property set by hand, and the host's dialect set to webdav: the workspaces are the collections of
// the workspace list, every folder is a standard one, and documents keep
// their office values as dead properties where the server keeps any. The
// same script runs against the docstore with the dialect left at portal,
// where it gives what the contract gives: real descriptions, enhanced
// folders, categories, the portal's profiles, check-in and history.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
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
#include "support/docstore_client.h"
#include "support/lighttpd_server.h"
#include "support/nginx_server.h"
#include "support/sabre_server.h"
#include "support/seed.h"
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

// The docstore, seeded with the folders asked for: a path below
// Public/Workspaces names a workspace, any other one a standard folder in
// the workspace of its first segment. jones is an author there. What it
// holds is read over HTTP as jones, by a client of the tests', not the
// library.
class Docstore : public Server {
 public:
  bool MakeFolders(const std::vector<std::string>& paths) override {
    for (const std::string& path : paths) {
      std::vector<std::string> segments;
      for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find('/', start), path.size());
        segments.push_back(path.substr(start, end - start));
        start = end + 1;
      }
      if (path.starts_with("Public/Workspaces/")) {
        Items(segments.back());
        continue;
      }
      testing::seed::Json* items = &Items(segments[0]);
      for (size_t i = 1; i < segments.size(); ++i) {
        auto found = std::find_if(items->begin(), items->end(),
                                  [&](const auto& item) { return item["name"] == segments[i]; });
        if (found == items->end()) {
          items->push_back(testing::seed::Folder(segments[i], false));
          found = items->end() - 1;
        }
        items = &(*found)["items"];
      }
    }
    return true;
  }
  bool Start() override {
    testing::seed::Json workspaces = testing::seed::Json::array();
    for (const auto& [name, items] : workspaces_)
      workspaces.push_back(testing::seed::Workspace(name, {{"CORP\\jones", "author"}}, items));
    try {
      store_ = docstore::testing::StartServer(testing::seed::Store(workspaces, Schema()));
    } catch (const std::exception& error) {
      ADD_FAILURE() << error.what();
      return false;
    }
    return true;
  }
  int port() const override { return store_->port(); }
  std::optional<std::uintmax_t> FileSize(const std::string& path) const override {
    const auto found = Find(path);
    if (!found || found->Flag("DAV:iscollection")) return std::nullopt;
    return std::stoull(found->Text("DAV:getcontentlength").value_or("0"));
  }
  bool IsFolder(const std::string& path) const override {
    const auto found = Find(path);
    return found && found->Flag("DAV:iscollection");
  }

 private:
  // The portal's two profiles: Document with the office properties the
  // plain servers' built-in profile has, and Memo.
  static testing::seed::Json Schema() {
    using testing::seed::Json;
    const auto office = [](const std::string& name, const std::string& type, bool multi) {
      return Json{{"id", "urn:schemas-microsoft-com:office:office#" + name},
                  {"title", name},
                  {"type", type},
                  {"multivalued", multi}};
    };
    const std::string ns = "urn:schemas-microsoft-com:office:office#";
    return {{"properties",
             {office("Title", "Text", false), office("Author", "Text", false),
              office("Description", "Text", false), office("Keywords", "Text", true),
              office("Summary", "Comment box", false)}},
            {"profiles",
             {{{"id", "urn:content-classes:document"},
               {"title", "Document"},
               {"properties", {ns + "Title", ns + "Author", ns + "Description", ns + "Keywords"}}},
              {{"id", "urn:content-classes:memo"},
               {"title", "Memo"},
               {"properties", {ns + "Title", ns + "Summary"}}}}},
            {"default_profile", "urn:content-classes:document"}};
  }
  // The items at the top of `workspace`, which is added when new.
  testing::seed::Json& Items(const std::string& workspace) {
    return workspaces_.try_emplace(workspace, testing::seed::Json::array()).first->second;
  }
  // The item at `path` (its segments as the test writes them), as the
  // docstore answers a PROPFIND of it.
  std::optional<docstore::testing::WireResponse> Find(const std::string& path) const {
    std::string target = "/";
    for (const char raw : path) {
      static const char kHex[] = "0123456789ABCDEF";
      const auto c = static_cast<unsigned char>(raw);
      if (std::isalnum(c) || raw == '/' || raw == '.' || raw == '-' || raw == '_') {
        target += raw;
      } else {
        target += '%';
        target += kHex[c >> 4];
        target += kHex[c & 15];
      }
    }
    docstore::testing::Client client(store_->port(), "CORP\\jones", "secret");
    auto rows = client.Propfind(target, 0);
    if (rows.size() != 1) return std::nullopt;
    return rows[0];
  }

  std::map<std::string, testing::seed::Json> workspaces_;
  std::unique_ptr<docstore::Server> store_;
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

// The server a test parameter names, or why it cannot run here. The
// docstore's users carry their domain.
std::unique_ptr<Server> MakeServer(const std::string& name, std::string& unavailable) {
  if (name == "docstore") return std::make_unique<Docstore>();
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
    if (!Portal()) platform::SetHostSetting("docs", "dialect", "webdav");
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
  // The docstore, which the host reaches in the portal dialect.
  bool Portal() const { return GetParam() == "docstore"; }

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
  EXPECT_EQ(workspace + "|" + description, Portal() ? "Sales|Sales documents" : "Sales|");
  ASSERT_TRUE(e.SetWorkspace("Sales")) << e.ErrorCode;

  EXPECT_EQ(Folders(""), (std::vector<std::string>{"Archive", "Reports"}));
  EXPECT_EQ(Folders("Archive"), (std::vector<std::string>{"2001"}));
  EXPECT_FALSE(e.IsVersionFolder("Archive/2001"));
  EXPECT_EQ(e.ErrorCode, 0);

  // Asked for an enhanced folder, a plain server makes a standard one.
  ASSERT_TRUE(e.CreateFolder("Archive/New", true)) << e.ErrorCode;
  EXPECT_EQ(Folders("Archive"), (std::vector<std::string>{"2001", Portal() ? "New+" : "New"}));
  EXPECT_FALSE(e.CreateFolder("Archive", false));
  EXPECT_EQ(e.ErrorCode, engine::kCodeAlreadyExists);
  ASSERT_TRUE(e.ChangeFolderName("Reports", "Berichte")) << e.ErrorCode;
  EXPECT_TRUE(server().IsFolder("Sales/Berichte"));
  ASSERT_TRUE(e.ChangeFolderName("Berichte", "Reports")) << e.ErrorCode;
  ASSERT_TRUE(e.DeleteFolder("Archive/New")) << e.ErrorCode;
  EXPECT_FALSE(server().IsFolder("Sales/Archive/New"));

  // None of the workspace's categories yet. The docstore makes one; a plain
  // server keeps none, and none can be made.
  EXPECT_EQ(e.GetCategoryInfo(""), 0) << e.ErrorCode;
  if (Portal()) {
    ASSERT_TRUE(e.CreateCategory("Europe")) << e.ErrorCode;
    EXPECT_EQ(e.GetCategoryInfo("Europe"), 0) << e.ErrorCode;
    EXPECT_EQ(e.GetCategoryInfo(""), 1) << e.ErrorCode;
  } else {
    EXPECT_FALSE(e.CreateCategory("Europe"));
    EXPECT_EQ(e.ErrorCode, engine::kCodePermissionDenied);
    EXPECT_EQ(e.GetCategoryInfo("Europe"), -1);
    EXPECT_EQ(e.ErrorCode, engine::kCodeNotFound);
  }
}

// The servers that take dead properties, and the docstore. mod_dav_svn
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
  // The docstore's profiles are Document and Memo; a plain server has the
  // built-in one.
  int16_t Profiles() const { return Portal() ? 2 : 1; }
  // The versions of the document checked in to an enhanced folder, each
  // "id|comment|domain|user" (the time is the server's), or how the server
  // refuses the version-tree report it does not offer: SabreDAV as an
  // unsupported report (403: 1004), the others as an unknown method or
  // report (405, 501) or a bad request (1000).
  std::vector<std::string> History() const {
    if (Portal()) return {"0.1||CORP|jones"};
    return {GetParam() == "sabre" ? "refused 1004" : "refused 1000"};
  }
  // The status the listing gives a document checked in to an enhanced
  // folder: "createdcheckedin" (1) on the docstore; no publishing state (0)
  // where the folder asked for is a standard one.
  int16_t CheckedIn() const { return Portal() ? 1 : 0; }

  // GetHistoryInfo's versions of `file` in `folder`, as History() writes
  // them.
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
  ASSERT_EQ(e.GetDocProfileInfo(), Profiles()) << e.ErrorCode;
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

  // Into a folder made as an enhanced one the upload is checked in where
  // the server versions it, and its history lists that version.
  ASSERT_TRUE(e.CreateFolder("Drafts", true)) << e.ErrorCode;
  p.OverWrite = 1;
  ASSERT_TRUE(e.SaveFile("Drafts", local.path(), file)) << e.ErrorCode;
  EXPECT_EQ(OnlyDocument("Drafts").row, file + "|0|" + std::to_string(CheckedIn()));
  EXPECT_EQ(Versions("Drafts", file), History());
  // A checked-in document is not replaced, not even with OverWrite 3, and
  // nobody is asked; a document without publishing state is.
  std::ofstream(local.path() + "/" + file) << "fifth\n";
  p.OverWrite = 3;
  EXPECT_EQ(e.SaveFile("Drafts", local.path(), file), !Portal());
  EXPECT_EQ(e.ErrorCode, Portal() ? engine::kCodeAccessDenied : engine::kCodeNone);
  EXPECT_EQ(server().FileSize("Sales/Drafts/" + file), Portal() ? 14u : 6u);
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
                         ::testing::Values("apache", "lighttpd", "nginx", "sabre", "svn",
                                           "docstore"),
                         kServerName);
INSTANTIATE_TEST_SUITE_P(Servers, PropertyServerTest,
                         ::testing::Values("apache", "lighttpd", "sabre", "svn", "docstore"),
                         kServerName);
INSTANTIATE_TEST_SUITE_P(Servers, NoPropertyServerTest, ::testing::Values("nginx"), kServerName);

}  // namespace
}  // namespace orvex::automation
