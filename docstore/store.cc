#include "docstore/store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "docstore/auth.h"
#include "docstore/database.h"
#include "docstore/digest_auth.h"
#include "docstore/lock_store.h"
#include "docstore/names.h"
#include "docstore/store_backend.h"
#include "docstore/url.h"

namespace orvex::docstore {
namespace {

constexpr char kResourceColumns[] =
    "id, parent, path, name, kind, content_class, created, modified, etag, blob, length, "
    "content_type, state, checked_out_by, doc, vmajor, vminor";

std::string EncodeValue(const PropValue& v) {
  if (v.IsMulti()) return nlohmann::json(v.values).dump();
  return v.text;
}

PropValue DecodeValue(const std::string& type, const std::string& text) {
  PropValue v;
  v.type = type;
  if (v.IsMulti()) {
    auto parsed = nlohmann::json::parse(text, nullptr, false);
    if (parsed.is_array())
      for (const auto& item : parsed)
        if (item.is_string()) v.values.push_back(item.get<std::string>());
  } else {
    v.text = text;
  }
  return v;
}

std::string EncodeProps(const PropMap& props) {
  nlohmann::json out = nlohmann::json::array();
  for (const auto& [name, value] : props)
    out.push_back({name.ns, name.local, value.type, EncodeValue(value)});
  return out.dump();
}

PropMap DecodeProps(const std::string& text) {
  PropMap props;
  auto parsed = nlohmann::json::parse(text, nullptr, false);
  if (!parsed.is_array()) return props;
  for (const auto& item : parsed) {
    if (!item.is_array() || item.size() != 4) continue;
    props[{item[0].get<std::string>(), item[1].get<std::string>()}] =
        DecodeValue(item[2].get<std::string>(), item[3].get<std::string>());
  }
  return props;
}

}  // namespace

std::optional<Role> ParseRole(const std::string& name) {
  if (name == "none") return Role::kNone;
  if (name == "reader") return Role::kReader;
  if (name == "author") return Role::kAuthor;
  if (name == "coordinator") return Role::kCoordinator;
  return std::nullopt;
}

int64_t Store::Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct StoreConnection {
  explicit StoreConnection(std::unique_ptr<Database> database) : db(std::move(database)) {}
  ~StoreConnection() { statements.clear(); }  // finalized before the database closes
  std::unique_ptr<Database> db;
  std::map<std::string, std::unique_ptr<Statement>> statements;
};

struct RequestMemo {
  const Store* store;
  // By workspace name and user.
  std::map<std::pair<std::string, std::string>, std::optional<Store::WorkspaceRole>> workspaces;
};

namespace {

// The transaction the running thread is in: its store and connection.
thread_local const Store* current_store = nullptr;
thread_local StoreConnection* current_connection = nullptr;
// The request the running thread serves (Store::RequestScope).
thread_local RequestMemo* current_memo = nullptr;

// Inline content's blob names: this prefix and the row id in `contents`
// (content files are named by 32 hexadecimal digits).
constexpr char kInlinePrefix[] = "db-";
// Content kept in the database in parts: this prefix and its content id in
// `content_parts`.
constexpr char kPartsPrefix[] = "parts-";
// Parts an upload wrote but no writing transaction claimed within this long
// were left by a node that stopped between the two steps: they go. No
// upload waits that long for its turn among the writers; one that did would
// find its parts gone and fail without storing anything (ClaimContent).
constexpr char kCollectAbandonedParts[] =
    "WITH gone AS (DELETE FROM pending_contents WHERE since < now() - interval '1 hour' "
    "RETURNING content) DELETE FROM content_parts WHERE content IN (SELECT content FROM gone)";
// How often a node collects them besides at its start.
constexpr std::chrono::minutes kCollectEvery{10};

int64_t InlineId(const std::string& blob) {
  return std::strtoll(blob.c_str() + sizeof kInlinePrefix - 1, nullptr, 10);
}

bool InParts(const std::string& blob) { return blob.rfind(kPartsPrefix, 0) == 0; }

int64_t PartsId(const std::string& blob) {
  return std::strtoll(blob.c_str() + sizeof kPartsPrefix - 1, nullptr, 10);
}

std::unique_ptr<StoreBackend> OpenBackend(const std::string& location) {
  if (location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0)
    return OpenPgBackend(location);
  return OpenSqliteBackend(location);
}

// The id an `INSERT ... RETURNING id` gave its row; the statement is run to
// its end.
int64_t InsertedId(Statement& s) {
  if (!s.Step()) throw std::logic_error("store database: an insert returned no id");
  int64_t id = s.Int(0);
  s.Run();
  return id;
}

[[noreturn]] void FailContent(const std::string& what) {
  int error = errno;
  throw std::runtime_error(what + ": " + strerror(error));
}

}  // namespace

Store::Store(const std::string& location) : backend_(OpenBackend(location)) {
  writer_ = std::make_unique<StoreConnection>(backend_->Connect(true));
  blobs_ = std::make_unique<BlobStore>(backend_->ContentDir(), backend_->Durable());
  backend_->CreateSchema(*writer_->db);
  current_store = this;
  current_connection = writer_.get();
  try {
    Sql("INSERT INTO resources(id, parent, path, name, kind, content_class, created, modified) "
        "VALUES(1, 0, '/', '', 1, '', ?1, ?1) ON CONFLICT DO NOTHING")
        .Bind(1, Now())
        .Run();
  } catch (...) {
    current_store = nullptr;
    current_connection = nullptr;
    throw;
  }
  current_store = nullptr;
  current_connection = nullptr;
}

// Members go in reverse order: connections close before the backend.
Store::~Store() = default;

bool Store::ReleaseReserve() { return backend_->ReleaseReserve(); }

StoreConnection& Store::Current() {
  if (current_store != this || !current_connection)
    throw std::logic_error("store used outside a transaction");
  return *current_connection;
}

Statement& Store::Sql(const std::string& sql) {
  StoreConnection& c = Current();
  auto& slot = c.statements[sql];
  if (!slot) slot = c.db->Prepare(sql);
  slot->Reset();
  return *slot;
}

std::unique_ptr<StoreConnection> Store::TakeReader() {
  std::unique_ptr<StoreConnection> idle;
  {
    MutexLock lock(readers_mutex_);
    if (!idle_readers_.empty()) {
      idle = std::move(idle_readers_.back());
      idle_readers_.pop_back();
    }
  }
  if (idle && !idle->db->Broken()) return idle;
  // One the server closed while it was idle: the others idle since went
  // with it.
  if (idle) DropIdleReaders();
  return std::make_unique<StoreConnection>(backend_->Connect(false));
}

void Store::ReturnReader(std::unique_ptr<StoreConnection> c) {
  MutexLock lock(readers_mutex_);
  idle_readers_.push_back(std::move(c));
}

void Store::DropIdleReaders() {
  std::vector<std::unique_ptr<StoreConnection>> dropped;
  MutexLock lock(readers_mutex_);
  dropped.swap(idle_readers_);
}

Store::RequestScope::RequestScope(Store& store)
    : memo_(std::make_unique<RequestMemo>(RequestMemo{&store, {}})), outer_(current_memo) {
  current_memo = memo_.get();
}

Store::RequestScope::~RequestScope() { current_memo = outer_; }

RequestMemo* Store::Memo() const {
  return current_memo && current_memo->store == this ? current_memo : nullptr;
}

Store::Txn::Txn(Store& store, Mode mode)
    : store_(store),
      mode_(mode),
      outer_connection_(current_connection),
      outer_store_(current_store) {
  if (mode_ == kWrite) {
    writer_lock_ = std::unique_lock(store_.writer_mutex_);
    // A connection the database server dropped is replaced; so is one that
    // fails to begin because it was dropped while idle (nothing has been
    // done on it yet).
    for (int attempt = 0;; ++attempt) {
      if (store_.writer_->db->Broken())
        store_.writer_ = std::make_unique<StoreConnection>(store_.backend_->Connect(true));
      try {
        store_.backend_->BeginWrite(*store_.writer_->db);
        break;
      } catch (const StoreUnavailableError&) {
        if (attempt > 0 || !store_.writer_->db->Broken()) throw;
      }
    }
    connection_ = store_.writer_.get();
  } else {
    for (int attempt = 0;; ++attempt) {
      connection_ = store_.TakeReader().release();
      try {
        if (mode_ == kRead) store_.backend_->BeginRead(*connection_->db);
        break;
      } catch (const StoreUnavailableError&) {
        bool broken = connection_->db->Broken();
        delete connection_;
        connection_ = nullptr;
        if (attempt > 0 || !broken) throw;
        // The others idle since went with the server: the retry opens a
        // new connection.
        store_.DropIdleReaders();
      } catch (...) {
        store_.ReturnReader(std::unique_ptr<StoreConnection>(connection_));
        throw;
      }
    }
  }
  current_store = &store_;
  current_connection = connection_;
}

Store::Txn::~Txn() {
  if (!done_) {
    try {
      for (auto& [sql, statement] : connection_->statements) statement->Reset();
      if (mode_ != kLookUp) connection_->db->Exec("ROLLBACK");
    } catch (...) {
    }
  }
  current_store = outer_store_;
  current_connection = outer_connection_;
  if (mode_ != kWrite) {
    std::unique_ptr<StoreConnection> connection(connection_);
    if (!connection->db->Broken()) store_.ReturnReader(std::move(connection));
  }
}

void Store::Txn::Commit() {
  std::vector<std::string> unused;
  // Content in the database goes with the transaction when no row refers
  // to it (one statement, answered with the COMMIT); a file only once the
  // transaction is on disk.
  const std::string unreferenced =
      " AND NOT EXISTS(SELECT 1 FROM resources WHERE blob = ?2) AND "
      "NOT EXISTS(SELECT 1 FROM versions WHERE blob = ?2)";
  for (const auto& blob : release_) {
    if (IsInline(blob))
      store_.Sql("DELETE FROM contents WHERE id = ?1" + unreferenced)
          .Bind(1, InlineId(blob))
          .Bind(2, blob)
          .Run();
    else if (InParts(blob))
      store_.Sql("DELETE FROM content_parts WHERE content = ?1" + unreferenced)
          .Bind(1, PartsId(blob))
          .Bind(2, blob)
          .Run();
    else if (!store_.BlobReferenced(blob))
      unused.push_back(blob);
  }
  // Statements left mid-result would keep a read snapshot open past the
  // transaction.
  for (auto& [sql, statement] : connection_->statements) statement->Reset();
  // A reading transaction has nothing to wait for at its end.
  if (mode_ != kWrite) {
    done_ = true;
    if (mode_ == kRead) connection_->db->ExecUnanswered("COMMIT");
    return;
  }
  connection_->db->Exec("COMMIT");
  done_ = true;
  uint64_t ticket = store_.backend_->Committed();
  writer_lock_.unlock();
  store_.backend_->MakeDurable(ticket);
  // Content no row refers to any more goes only once that is on disk.
  for (const auto& blob : unused) store_.blobs_->Remove(blob);
}

std::string Store::CommitContent(const std::string& temp_path) {
  if (!backend_->ContentInDatabase()) return blobs_->Commit(temp_path);
  // Its own transaction on a connection of its own, taking no writers'
  // turn: the parts are new rows nobody else touches until a writing
  // transaction refers to them.
  int fd = ::open(temp_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) FailContent("cannot read an upload");
  struct Closer {
    int fd;
    const std::string& path;
    ~Closer() {
      ::close(fd);
      ::unlink(path.c_str());
    }
  } closer{fd, temp_path};
  auto connection = TakeReader();
  Database& db = *connection->db;
  auto now = std::chrono::steady_clock::now();
  if (now - last_collected_.load() > kCollectEvery) {
    last_collected_ = now;
    db.Exec(kCollectAbandonedParts);  // a transaction of its own
  }
  db.Exec("BEGIN");
  auto next = db.Prepare("SELECT nextval('content_ids')");
  next->Step();
  int64_t id = next->Int(0);
  // Pending until the writing transaction that refers to the parts claims
  // them: a node stopped in between leaves them to be collected.
  db.Prepare("INSERT INTO pending_contents(content) VALUES(?1)")->Bind(1, id).Run();
  auto insert = db.Prepare("INSERT INTO content_parts(content, part, data) VALUES(?1, ?2, ?3)");
  std::string part(kContentPartBytes, '\0');
  for (int64_t n = 0;; ++n) {
    size_t filled = 0;
    while (filled < part.size()) {
      ssize_t got = ::read(fd, part.data() + filled, part.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) FailContent("cannot read an upload");
      if (got == 0) break;
      filled += static_cast<size_t>(got);
    }
    if (filled == 0 && n > 0) break;
    insert->Reset();
    insert->Bind(1, id).Bind(2, n).BindBlob(3, std::string_view(part.data(), filled)).Run();
    if (filled < part.size()) break;
  }
  db.Exec("COMMIT");
  ReturnReader(std::move(connection));
  return kPartsPrefix + std::to_string(id);
}

std::string Store::PutContent(const std::string& bytes) {
  if (!backend_->ContentInDatabase()) return blobs_->PutUnsynced(bytes);
  Statement& next = Sql("SELECT nextval('content_ids')");
  next.Step();
  int64_t id = next.Int(0);
  for (size_t at = 0, n = 0; at < bytes.size() || n == 0; at += kContentPartBytes, ++n) {
    Sql("INSERT INTO content_parts(content, part, data) VALUES(?1, ?2, ?3)")
        .Bind(1, id)
        .Bind(2, static_cast<int64_t>(n))
        .BindBlob(3, std::string_view(bytes).substr(at, kContentPartBytes))
        .Run();
  }
  return kPartsPrefix + std::to_string(id);
}

void Store::SyncContent() {
  if (!backend_->ContentInDatabase()) blobs_->SyncAll();
}

void Store::RemoveContent(const std::string& blob) {
  if (!InParts(blob)) {
    blobs_->Remove(blob);
    return;
  }
  auto connection = TakeReader();
  Database& db = *connection->db;
  db.Exec("BEGIN");
  db.Prepare("DELETE FROM content_parts WHERE content = ?1")->Bind(1, PartsId(blob)).Run();
  db.Prepare("DELETE FROM pending_contents WHERE content = ?1")->Bind(1, PartsId(blob)).Run();
  db.Exec("COMMIT");
  ReturnReader(std::move(connection));
}

bool Store::ClaimContent(const std::string& blob) {
  if (!InParts(blob)) return true;
  Statement& s = Sql("DELETE FROM pending_contents WHERE content = ?1 RETURNING content");
  bool claimed = s.Bind(1, PartsId(blob)).Step();
  s.Reset();
  return claimed;
}

int Store::OpenContent(const std::string& blob) {
  if (!InParts(blob)) return blobs_->Open(blob);
  // The parts go into a file of no name, read part by part, so that the
  // node holds one part in memory at a time; the file goes when its
  // descriptor closes.
  int fd = ::open(backend_->ContentDir().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  Statement& s = Sql("SELECT data FROM content_parts WHERE content = ?1 AND part = ?2");
  bool any = false;
  for (int64_t n = 0;; ++n) {
    s.Reset();
    if (!s.Bind(1, PartsId(blob)).Bind(2, n).Step()) break;
    any = true;
    std::string part = s.Blob(0);
    for (size_t done = 0; done < part.size();) {
      ssize_t put = ::write(fd, part.data() + done, part.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) {
        ::close(fd);
        return -1;
      }
      done += static_cast<size_t>(put);
    }
  }
  s.Reset();
  if (!any || ::lseek(fd, 0, SEEK_SET) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void Store::Txn::ReleaseBlobLater(const std::string& blob) {
  if (!blob.empty()) release_.push_back(blob);
}

bool Store::IsEmpty() {
  std::optional<Txn> own;
  if (current_store != this) own.emplace(*this, Txn::kRead);
  Statement& s = Sql("SELECT COUNT(*) FROM users");
  s.Step();
  return s.Int(0) == 0;
}

void Store::CollectGarbage() {
  blobs_->Collect([this](const std::string& blob) { return BlobReferenced(blob); });
  // Parts of uploads of other nodes may be on their way to the transaction
  // that refers to them: only those pending for long go.
  if (backend_->ContentInDatabase()) {
    last_collected_ = std::chrono::steady_clock::now();
    Sql(kCollectAbandonedParts).Run();
  }
  // Inline content no resource or version names any more.
  const std::string name = std::string("'") + kInlinePrefix + "' || contents.id";
  Sql("DELETE FROM contents WHERE NOT EXISTS(SELECT 1 FROM resources WHERE blob = " + name +
      ") AND NOT EXISTS(SELECT 1 FROM versions WHERE blob = " + name + ")")
      .Run();
}

std::string Store::AddInlineContent(const std::string& bytes) {
  Statement& s = Sql("INSERT INTO contents(data) VALUES(?1) RETURNING id");
  return kInlinePrefix + std::to_string(InsertedId(s.BindBlob(1, bytes)));
}

bool Store::IsInline(const std::string& blob) { return blob.rfind(kInlinePrefix, 0) == 0; }

std::optional<std::string> Store::InlineContent(const std::string& blob) {
  if (!IsInline(blob)) return std::nullopt;
  Statement& s = Sql("SELECT data FROM contents WHERE id = ?1");
  if (!s.Bind(1, InlineId(blob)).Step()) return std::nullopt;
  return s.Blob(0);
}

bool Store::BlobReferenced(const std::string& blob) {
  Statement& s =
      Sql("SELECT EXISTS(SELECT 1 FROM resources WHERE blob = ?1) OR "
          "EXISTS(SELECT 1 FROM versions WHERE blob = ?1)");
  s.Bind(1, blob).Step();
  return s.Int(0) != 0;
}

void Store::AddUser(const std::string& name, const std::string& password) {
  Statement& s =
      Sql("INSERT INTO users(name, password) VALUES(?1, ?2) ON CONFLICT(name) DO UPDATE SET "
          "name = excluded.name, password = excluded.password");
  s.Bind(1, name).Bind(2, HashPassword(password)).Run();
  using Algorithm = DigestAuth::Algorithm;
  Statement& d =
      Sql("INSERT INTO digests(name, md5, sha256) VALUES(?1, ?2, ?3) ON CONFLICT(name) DO "
          "UPDATE SET name = excluded.name, md5 = excluded.md5, sha256 = excluded.sha256");
  d.Bind(1, name)
      .Bind(2, DigestAuth::Ha1(Algorithm::kMd5, name, DigestAuth::kRealm, password))
      .Bind(3, DigestAuth::Ha1(Algorithm::kSha256, name, DigestAuth::kRealm, password))
      .Run();
}

std::optional<Store::DigestRecord> Store::FindDigest(const std::string& name) {
  Statement& s = Sql("SELECT name, md5, sha256 FROM digests WHERE name = ?1");
  s.Bind(1, name);
  if (!s.Step()) return std::nullopt;
  return DigestRecord{s.Text(0), s.Text(1), s.Text(2)};
}

std::optional<Store::UserRecord> Store::FindUser(const std::string& name) {
  Statement& s = Sql("SELECT name, password FROM users WHERE name = ?1");
  s.Bind(1, name);
  if (!s.Step()) return std::nullopt;
  return UserRecord{s.Text(0), s.Text(1)};
}

void Store::HashPlainPasswords() {
  std::vector<std::pair<std::string, std::string>> plain;
  Statement& s = Sql("SELECT name, password FROM users");
  while (s.Step())
    if (!IsPasswordHash(s.Text(1))) plain.emplace_back(s.Text(0), s.Text(1));
  for (const auto& [name, password] : plain) AddUser(name, password);
}

void Store::SetRole(const std::string& workspace, const std::string& user, Role role) {
  Statement& s =
      Sql("INSERT INTO roles(workspace, \"user\", role) VALUES(?1, ?2, ?3) ON CONFLICT(workspace, "
          "\"user\") DO UPDATE SET \"user\" = excluded.\"user\", role = excluded.role");
  s.Bind(1, workspace).Bind(2, user).Bind(3, static_cast<int64_t>(role)).Run();
  if (RequestMemo* memo = Memo()) memo->workspaces.clear();
}

void Store::AddHost(const std::string& host) {
  Statement& s = Sql("INSERT INTO hosts(name) VALUES(?1) ON CONFLICT DO NOTHING");
  s.Bind(1, host).Run();
}

std::vector<std::string> Store::Hosts() {
  std::vector<std::string> out;
  Statement& s = Sql("SELECT name FROM hosts ORDER BY rowid");
  while (s.Step()) out.push_back(s.Text(0));
  return out;
}

void Store::AddWorkspace(const Workspace& w) {
  Statement& s = Sql("INSERT INTO workspaces(name, categories, schema) VALUES(?1, ?2, ?3)");
  s.Bind(1, w.name).Bind(2, w.categories_folder).Bind(3, w.schema_folder).Run();
  if (RequestMemo* memo = Memo()) memo->workspaces.clear();
}

std::optional<Store::WorkspaceRole> Store::FindWorkspace(const std::string& name,
                                                         const std::string& user) {
  RequestMemo* memo = Memo();
  if (memo) {
    auto known = memo->workspaces.find({name, user});
    if (known != memo->workspaces.end()) return known->second;
  }
  Statement& s = WorkspaceStatement(name, user);
  std::optional<WorkspaceRole> found;
  if (s.Step()) {
    found = WorkspaceRole{{s.Text(0), s.Text(1), s.Text(2)}, Role::kNone};
    auto value = s.IsNull(3) ? 0 : s.Int(3);
    if (value >= 0 && value <= 3) found->role = static_cast<Role>(value);
  }
  if (memo) memo->workspaces[{name, user}] = found;
  return found;
}

Statement& Store::WorkspaceStatement(const std::string& name, const std::string& user) {
  return Sql("SELECT w.name, w.categories, w.schema, r.role FROM workspaces w LEFT JOIN roles r "
             "ON r.workspace = w.name AND r.\"user\" = ?2 WHERE w.name = ?1")
      .Bind(1, name)
      .Bind(2, user);
}

std::vector<Workspace> Store::Workspaces() {
  std::vector<Workspace> out;
  Statement& s = Sql("SELECT name, categories, schema FROM workspaces ORDER BY ord");
  while (s.Step()) out.push_back({s.Text(0), s.Text(1), s.Text(2)});
  return out;
}

Resource Store::ReadResource(Statement& s) {
  Resource r;
  r.id = s.Int(0);
  r.parent = s.Int(1);
  r.path = s.Text(2);
  r.name = s.Text(3);
  r.kind = static_cast<Kind>(s.Int(4));
  r.content_class = s.Text(5);
  r.created = s.Int(6);
  r.modified = s.Int(7);
  r.etag = s.Int(8);
  r.blob = s.Text(9);
  r.length = s.Int(10);
  r.content_type = s.Text(11);
  r.state = s.Text(12);
  r.checked_out_by = s.Text(13);
  r.doc = s.Int(14);
  r.vmajor = s.Int(15);
  r.vminor = s.Int(16);
  return r;
}

Statement& Store::FindStatement(const std::string& path, bool with_content) {
  if (!with_content)
    return Sql(std::string("SELECT ") + kResourceColumns + " FROM resources WHERE path = ?1")
        .Bind(1, path);
  // The content's row id is the blob name after kInlinePrefix.
  const std::string prefix_length = std::to_string(sizeof kInlinePrefix - 1);
  return Sql(std::string("SELECT ") + kResourceColumns +
             ", (SELECT data FROM contents WHERE contents.id = CASE WHEN substr(resources.blob, "
             "1, " +
             prefix_length + ") = '" + kInlinePrefix + "' THEN CAST(substr(resources.blob, " +
             prefix_length + " + 1) AS BIGINT) END) FROM resources WHERE path = ?1")
      .Bind(1, path);
}

std::optional<Resource> Store::Find(const std::string& path) {
  Statement& s = FindStatement(path, false);
  if (!s.Step()) return std::nullopt;
  return ReadResource(s);
}

std::optional<Resource> Store::FindWithContent(const std::string& path,
                                               std::optional<std::string>& inline_content) {
  Statement& s = FindStatement(path, true);
  inline_content.reset();
  if (!s.Step()) return std::nullopt;
  Resource r = ReadResource(s);
  if (!s.IsNull(17)) inline_content = s.Blob(17);
  return r;
}

bool Store::ReadAheadRole(const std::string& path, const std::string& user) {
  auto parts = SplitPath(path);
  // Working copies and versions are found through their document.
  if (parts.empty() || parts[0] == ".working" || parts[0] == ".versions") return false;
  RequestMemo* memo = Memo();
  if (!memo || !memo->workspaces.count({parts[0], user}))
    WorkspaceStatement(parts[0], user).Prefetch();
  return true;
}

void Store::ReadAheadRow(const Resource& r, const std::string& user, bool role) {
  if (!backend_->ReadsAhead()) return;
  if (role) ReadAheadRole(r.path, user);
  PropsStatement(r.path).Prefetch();
  LockStore(*this).PrefetchCovering(r.path);
  if (!r.IsCollection()) return;
  HasChildrenStatement(r.id, true).Prefetch();
  HasChildrenStatement(r.id, false).Prefetch();
}

void Store::DropReadAhead() { Current().db->DropReadAhead(); }

void Store::ReadAhead(const std::string& path, const std::string& user, ReadFor what) {
  if (!backend_->ReadsAhead() || !ReadAheadRole(path, user)) return;
  FindStatement(path, what == ReadFor::kContent).Prefetch();
  if (what == ReadFor::kProperties) PropsStatement(path).Prefetch();
  if (what == ReadFor::kProperties || what == ReadFor::kChange)
    LockStore(*this).PrefetchCovering(path);
}

std::optional<Resource> Store::FindById(int64_t id) {
  Statement& s = Sql(std::string("SELECT ") + kResourceColumns + " FROM resources WHERE id = ?1");
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  return ReadResource(s);
}

std::vector<Resource> Store::Children(int64_t id) {
  std::vector<Resource> out;
  Statement& s = Sql(std::string("SELECT ") + kResourceColumns +
                     " FROM resources WHERE parent = ?1 AND id <> 1 ORDER BY id");
  s.Bind(1, id);
  while (s.Step()) out.push_back(ReadResource(s));
  return out;
}

std::vector<Resource> Store::ChildrenAfter(int64_t id, int64_t after, int limit) {
  std::vector<Resource> out;
  Statement& s = Sql(std::string("SELECT ") + kResourceColumns +
                     " FROM resources WHERE parent = ?1 AND id > ?2 AND id <> 1 ORDER BY id "
                     "LIMIT ?3");
  s.Bind(1, id).Bind(2, after).Bind(3, static_cast<int64_t>(limit));
  while (s.Step()) out.push_back(ReadResource(s));
  return out;
}

Statement& Store::HasChildrenStatement(int64_t id, bool collections_only) {
  return Sql(collections_only
                 ? "SELECT EXISTS(SELECT 1 FROM resources WHERE parent = ?1 AND id <> 1 AND kind = "
                   "1)"
                 : "SELECT EXISTS(SELECT 1 FROM resources WHERE parent = ?1 AND id <> 1)")
      .Bind(1, id);
}

bool Store::HasChildren(int64_t id, bool collections_only) {
  Statement& s = HasChildrenStatement(id, collections_only);
  s.Step();
  return s.Int(0) != 0;
}

Resource Store::Create(const Resource& parent, const std::string& name, Kind kind,
                       const std::string& content_class) {
  Resource r;
  r.parent = parent.id;
  r.path = JoinPath(parent.path, name);
  r.name = name;
  r.kind = kind;
  r.content_class = content_class;
  r.created = r.modified = Now();
  r.etag = 1;
  Statement& s =
      Sql("INSERT INTO resources(parent, path, name, kind, content_class, created, modified) "
          "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?6) RETURNING id");
  s.Bind(1, r.parent)
      .Bind(2, r.path)
      .Bind(3, r.name)
      .Bind(4, static_cast<int64_t>(kind))
      .Bind(5, content_class)
      .Bind(6, r.created);
  r.id = InsertedId(s);
  return r;
}

Resource Store::CreateWorkingCopy(const Resource& doc, const std::string& path) {
  Resource r = doc;
  r.parent = 0;
  r.path = path;
  r.kind = Kind::kWorkingCopy;
  r.doc = doc.id;
  r.state.clear();
  r.checked_out_by.clear();
  r.created = r.modified = Now();
  r.etag = 1;
  Statement& s =
      Sql("INSERT INTO resources(parent, path, name, kind, content_class, created, modified, "
          "blob, length, content_type, doc) VALUES(0, ?1, ?2, 3, ?3, ?4, ?4, ?5, ?6, ?7, ?8) "
          "RETURNING id");
  s.Bind(1, r.path)
      .Bind(2, r.name)
      .Bind(3, r.content_class)
      .Bind(4, r.created)
      .Bind(5, r.blob)
      .Bind(6, r.length)
      .Bind(7, r.content_type)
      .Bind(8, r.doc);
  r.id = InsertedId(s);
  ReplaceProps(r.id, Props(doc.id));
  return r;
}

void Store::Update(Resource& r) {
  r.etag += 1;
  r.modified = Now();
  Statement& s =
      Sql("UPDATE resources SET parent=?2, path=?3, name=?4, kind=?5, content_class=?6, "
          "created=?7, modified=?8, etag=?9, blob=?10, length=?11, content_type=?12, "
          "state=?13, checked_out_by=?14, doc=?15, vmajor=?16, vminor=?17 WHERE id=?1");
  s.Bind(1, r.id)
      .Bind(2, r.parent)
      .Bind(3, r.path)
      .Bind(4, r.name)
      .Bind(5, static_cast<int64_t>(r.kind))
      .Bind(6, r.content_class)
      .Bind(7, r.created)
      .Bind(8, r.modified)
      .Bind(9, r.etag)
      .Bind(10, r.blob)
      .Bind(11, r.length)
      .Bind(12, r.content_type)
      .Bind(13, r.state)
      .Bind(14, r.checked_out_by)
      .Bind(15, r.doc)
      .Bind(16, r.vmajor)
      .Bind(17, r.vminor)
      .Run();
}

void Store::DeleteTree(Txn& txn, const Resource& r) {
  for (const auto& child : Children(r.id)) DeleteTree(txn, child);
  // Working copies and versions of a document go with it.
  {
    Statement& s =
        Sql(std::string("SELECT ") + kResourceColumns + " FROM resources WHERE doc = ?1");
    s.Bind(1, r.id);
    std::vector<Resource> copies;
    while (s.Step()) copies.push_back(ReadResource(s));
    for (const auto& copy : copies) DeleteTree(txn, copy);
  }
  {
    Statement& s = Sql("SELECT blob FROM versions WHERE doc = ?1");
    s.Bind(1, r.id);
    while (s.Step()) txn.ReleaseBlobLater(s.Text(0));
  }
  Sql("DELETE FROM versions WHERE doc = ?1").Bind(1, r.id).Run();
  Sql("DELETE FROM props WHERE resource = ?1").Bind(1, r.id).Run();
  Sql("DELETE FROM resources WHERE id = ?1").Bind(1, r.id).Run();
  txn.ReleaseBlobLater(r.blob);
}

void Store::MoveTree(const Resource& r, const Resource& parent, const std::string& name) {
  std::string old_path = r.path;
  std::string new_path = JoinPath(parent.path, name);
  Statement& s = Sql("UPDATE resources SET parent=?2, name=?3, path=?4, etag=etag+1 WHERE id=?1");
  s.Bind(1, r.id).Bind(2, parent.id).Bind(3, name).Bind(4, new_path).Run();
  // Everything below keeps its place relative to the moved resource.
  Statement& below =
      Sql("UPDATE resources SET path = ?2 || substr(path, ?3) "
          "WHERE substr(path, 1, ?4) = ?1 AND kind <> 3");
  below.Bind(1, old_path + "/")
      .Bind(2, new_path + "/")
      .Bind(3, static_cast<int64_t>(old_path.size() + 2))
      .Bind(4, static_cast<int64_t>(old_path.size() + 1))
      .Run();
}

Resource Store::CopyTree(const Resource& r, const Resource& parent, const std::string& name,
                         bool deep) {
  Resource copy = Create(parent, name, r.kind, r.content_class);
  copy.blob = r.blob;
  copy.length = r.length;
  copy.content_type = r.content_type;
  // A copy of a published or checked-in document starts its own life: it
  // takes over the content and properties but neither history nor check-out.
  copy.state = r.state.empty() ? "" : kStateCheckedIn;
  if (r.state == kStateApproved) copy.state = kStateApproved;
  Update(copy);
  ReplaceProps(copy.id, Props(r.id));
  if (deep && r.IsCollection())
    for (const auto& child : Children(r.id)) CopyTree(child, copy, child.name, true);
  return copy;
}

PropMap Store::Props(int64_t id) {
  PropMap out;
  Statement& s = Sql("SELECT ns, name, type, value FROM props WHERE resource = ?1 ORDER BY rowid");
  s.Bind(1, id);
  while (s.Step()) out[{s.Text(0), s.Text(1)}] = DecodeValue(s.Text(2), s.Text(3));
  return out;
}

Statement& Store::PropsStatement(const std::string& path) {
  return Sql("SELECT ns, name, type, value FROM props WHERE resource = (SELECT id FROM resources "
             "WHERE path = ?1) ORDER BY rowid")
      .Bind(1, path);
}

PropMap Store::PropsOf(const std::string& path) {
  PropMap out;
  Statement& s = PropsStatement(path);
  while (s.Step()) out[{s.Text(0), s.Text(1)}] = DecodeValue(s.Text(2), s.Text(3));
  return out;
}

std::optional<PropValue> Store::Prop(int64_t id, const PropName& name) {
  Statement& s = Sql("SELECT type, value FROM props WHERE resource = ?1 AND ns = ?2 AND name = ?3");
  s.Bind(1, id).Bind(2, name.ns).Bind(3, name.local);
  if (!s.Step()) return std::nullopt;
  return DecodeValue(s.Text(0), s.Text(1));
}

void Store::SetProp(int64_t id, const PropName& name, const PropValue& value) {
  Statement& s =
      Sql("INSERT INTO props(resource, ns, name, type, value) VALUES(?1, ?2, ?3, ?4, ?5) "
          "ON CONFLICT(resource, ns, name) DO UPDATE SET type=excluded.type, "
          "value=excluded.value");
  s.Bind(1, id)
      .Bind(2, name.ns)
      .Bind(3, name.local)
      .Bind(4, value.type)
      .Bind(5, EncodeValue(value));
  s.Run();
}

void Store::RemoveProp(int64_t id, const PropName& name) {
  Statement& s = Sql("DELETE FROM props WHERE resource = ?1 AND ns = ?2 AND name = ?3");
  s.Bind(1, id).Bind(2, name.ns).Bind(3, name.local).Run();
}

void Store::ReplaceProps(int64_t id, const PropMap& props) {
  Sql("DELETE FROM props WHERE resource = ?1").Bind(1, id).Run();
  for (const auto& [name, value] : props) SetProp(id, name, value);
}

namespace {

constexpr char kVersionColumns[] =
    "id, doc, seq, label, comment, created, \"user\", blob, length, content_type, props";

Version ReadVersion(Statement& s) {
  Version v;
  v.id = s.Int(0);
  v.doc = s.Int(1);
  v.seq = s.Int(2);
  v.label = s.Text(3);
  v.comment = s.Text(4);
  v.created = s.Int(5);
  v.user = s.Text(6);
  v.blob = s.Text(7);
  v.length = s.Int(8);
  v.content_type = s.Text(9);
  v.props = DecodeProps(s.Text(10));
  return v;
}

}  // namespace

std::vector<Version> Store::Versions(int64_t doc) {
  std::vector<Version> out;
  Statement& s =
      Sql(std::string("SELECT ") + kVersionColumns + " FROM versions WHERE doc = ?1 ORDER BY seq");
  s.Bind(1, doc);
  while (s.Step()) out.push_back(ReadVersion(s));
  return out;
}

std::optional<Version> Store::FindVersion(int64_t doc, int64_t seq) {
  Statement& s =
      Sql(std::string("SELECT ") + kVersionColumns + " FROM versions WHERE doc = ?1 AND seq = ?2");
  s.Bind(1, doc).Bind(2, seq);
  if (!s.Step()) return std::nullopt;
  return ReadVersion(s);
}

std::optional<Version> Store::LatestVersion(int64_t doc) {
  Statement& s = Sql(std::string("SELECT ") + kVersionColumns +
                     " FROM versions WHERE doc = ?1 ORDER BY seq DESC LIMIT 1");
  s.Bind(1, doc);
  if (!s.Step()) return std::nullopt;
  return ReadVersion(s);
}

int64_t Store::NextVersionSeq(int64_t doc) {
  Statement& s = Sql("SELECT COALESCE(MAX(seq), 0) + 1 FROM versions WHERE doc = ?1");
  s.Bind(1, doc).Step();
  return s.Int(0);
}

void Store::AddVersion(Version& v) {
  Statement& s =
      Sql("INSERT INTO versions(doc, seq, label, comment, created, \"user\", blob, length, "
          "content_type, props) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) RETURNING id");
  s.Bind(1, v.doc)
      .Bind(2, v.seq)
      .Bind(3, v.label)
      .Bind(4, v.comment)
      .Bind(5, v.created)
      .Bind(6, v.user)
      .Bind(7, v.blob)
      .Bind(8, v.length)
      .Bind(9, v.content_type)
      .Bind(10, EncodeProps(v.props));
  v.id = InsertedId(s);
}

void Store::SetVersionLabel(int64_t version_id, const std::string& label) {
  Statement& s = Sql("UPDATE versions SET label = ?2 WHERE id = ?1");
  s.Bind(1, version_id).Bind(2, label).Run();
}

}  // namespace orvex::docstore
