// The store on SQLite with WAL journaling. Commits append to the log without
// flushing it; MakeDurable then flushes the log once for every commit made
// up to then (group commit), so concurrent writers share their fsyncs and no
// flush happens while anybody waits for the writers' turn. Checkpoints run
// on the flushing thread, outside the writers' turn.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "docstore/group_commit.h"
#include "docstore/sqlite_db.h"
#include "docstore/store_backend.h"

namespace orvex::docstore {
namespace {

// Commits beyond this many log frames (about 4 MiB) ask for a checkpoint.
constexpr int kCheckpointFrames = 1000;

// A store on disk keeps a file of this size (dir/reserve, made at open) to
// give up when the disk is full, so that a DELETE, which frees space, can
// still be written.
constexpr off_t kReserveBytes = 1 << 20;

// The database pages a reading connection keeps cached, in KiB: a reader may
// be held for as long as a client takes to read a listing, so its cache
// stays small (the system's file cache has the pages too) and many unread
// answers do not hold the default 2 MiB each.
constexpr int kReaderCacheKiB = 512;

class SqliteBackend : public StoreBackend {
 public:
  explicit SqliteBackend(const std::string& dir);
  ~SqliteBackend() override;

  std::unique_ptr<Database> Connect(bool writer) override;
  void CreateSchema(Database& db) override;
  void BeginWrite(Database& db) override { db.Exec("BEGIN IMMEDIATE"); }
  void BeginRead(Database& db) override { db.Exec("BEGIN"); }
  uint64_t Committed() override { return group_.Committed(); }
  void MakeDurable(uint64_t ticket) override {
    group_.WaitDurable(ticket, [this] { FlushLog(); });
  }
  bool ReleaseReserve() override { return durable_ && ::unlink((dir_ + "/reserve").c_str()) == 0; }
  std::string ContentDir() const override { return dir_ + "/content"; }
  bool Durable() const override { return durable_; }

 private:
  std::unique_ptr<SqliteDb> Open();
  void MakeReserve();
  // The database holds users and their password hashes: it is created
  // readable by its owner only (SQLite gives its log and shared-memory files
  // the database file's mode), and an older store's files are made so.
  void KeepPrivate();
  void FlushLog();

  std::string dir_;       // the store's directory
  std::string temp_dir_;  // a store "in memory": its private directory
  bool durable_ = false;  // flush to disk (a store on disk)

  GroupCommit group_;
  std::atomic<int> log_frames_{0};          // frames in the log since the last checkpoint
  std::unique_ptr<SqliteDb> checkpointer_;  // used by the flushing thread only
  int log_fd_ = -1;
};

SqliteBackend::SqliteBackend(const std::string& dir) {
  if (dir.empty()) {
    // A store "in memory" is a database in a private temporary directory,
    // never flushed: it dies with the process, and its readers still get
    // connections of their own.
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvex-docstore-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      throw std::runtime_error(std::string("cannot create a store directory: ") + strerror(errno));
    temp_dir_ = dir_ = pattern;
  } else {
    std::error_code ec;
    // A directory the store creates is its owner's alone.
    if (std::filesystem::create_directories(dir, ec))
      std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
    if (ec) throw std::runtime_error("cannot create store directory " + dir + ": " + ec.message());
    dir_ = dir;
    durable_ = true;
    MakeReserve();
  }
  KeepPrivate();
}

SqliteBackend::~SqliteBackend() {
  checkpointer_.reset();
  if (log_fd_ >= 0) ::close(log_fd_);
  if (!temp_dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(temp_dir_, ec);
  }
}

void SqliteBackend::KeepPrivate() {
  std::string path = dir_ + "/docstore.db";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
  for (const char* suffix : {"", "-wal", "-shm"}) ::chmod((path + suffix).c_str(), 0600);
}

void SqliteBackend::MakeReserve() {
  std::string path = dir_ + "/reserve";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  // Real blocks (not a sparse file): giving them up must free space. A
  // disk too full for them leaves no reserve until a later start.
  bool made = ::posix_fallocate(fd, 0, kReserveBytes) == 0;
  ::close(fd);
  if (!made) ::unlink(path.c_str());
}

std::unique_ptr<SqliteDb> SqliteBackend::Open() {
  auto db = std::make_unique<SqliteDb>(dir_ + "/docstore.db");
  // NORMAL in WAL mode: a commit appends to the log without flushing it
  // (MakeDurable flushes, once for many commits); checkpoints still flush.
  db->Exec(durable_ ? "PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=OFF;"
                    : "PRAGMA synchronous=OFF; PRAGMA foreign_keys=OFF;");
  return db;
}

std::unique_ptr<Database> SqliteBackend::Connect(bool writer) {
  auto db = Open();
  if (!writer) {
    db->Exec("PRAGMA cache_size=-" + std::to_string(kReaderCacheKiB) + ";");
    return db;
  }
  db->Exec("PRAGMA journal_mode=WAL;");
  // Checkpoints run on the flushing thread, outside the writers' turn.
  db->Exec("PRAGMA wal_autocheckpoint=0;");
  sqlite3_wal_hook(
      db->handle(),
      [](void* frames, sqlite3*, const char*, int count) {
        static_cast<std::atomic<int>*>(frames)->store(count);
        return SQLITE_OK;
      },
      &log_frames_);
  if (!checkpointer_) checkpointer_ = Open();
  return db;
}

void SqliteBackend::CreateSchema(Database& db) {
  db.Exec(R"sql(
    CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT);
    CREATE TABLE IF NOT EXISTS users(name TEXT PRIMARY KEY COLLATE NOCASE, password TEXT NOT NULL);
    CREATE TABLE IF NOT EXISTS digests(
      name TEXT PRIMARY KEY COLLATE NOCASE, md5 TEXT NOT NULL, sha256 TEXT NOT NULL);
    CREATE TABLE IF NOT EXISTS hosts(name TEXT PRIMARY KEY);
    CREATE TABLE IF NOT EXISTS workspaces(
      ord INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, categories TEXT NOT NULL,
      schema TEXT NOT NULL);
    CREATE TABLE IF NOT EXISTS roles(
      workspace TEXT NOT NULL, user TEXT NOT NULL COLLATE NOCASE, role INTEGER NOT NULL,
      PRIMARY KEY(workspace, user));
    CREATE TABLE IF NOT EXISTS resources(
      id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, path TEXT UNIQUE NOT NULL,
      name TEXT NOT NULL, kind INTEGER NOT NULL, content_class TEXT NOT NULL DEFAULT '',
      created INTEGER NOT NULL, modified INTEGER NOT NULL, etag INTEGER NOT NULL DEFAULT 1,
      blob TEXT NOT NULL DEFAULT '', length INTEGER NOT NULL DEFAULT 0,
      content_type TEXT NOT NULL DEFAULT '', state TEXT NOT NULL DEFAULT '',
      checked_out_by TEXT NOT NULL DEFAULT '', doc INTEGER NOT NULL DEFAULT 0,
      vmajor INTEGER NOT NULL DEFAULT 0, vminor INTEGER NOT NULL DEFAULT 0);
    CREATE INDEX IF NOT EXISTS resources_parent ON resources(parent, id);
    CREATE INDEX IF NOT EXISTS resources_doc ON resources(doc);
    CREATE INDEX IF NOT EXISTS resources_blob ON resources(blob);
    CREATE TABLE IF NOT EXISTS props(
      resource INTEGER NOT NULL, ns TEXT NOT NULL, name TEXT NOT NULL, type TEXT NOT NULL,
      value TEXT NOT NULL, UNIQUE(resource, ns, name));
    CREATE TABLE IF NOT EXISTS versions(
      id INTEGER PRIMARY KEY, doc INTEGER NOT NULL, seq INTEGER NOT NULL, label TEXT NOT NULL,
      comment TEXT NOT NULL, created INTEGER NOT NULL, user TEXT NOT NULL, blob TEXT NOT NULL,
      length INTEGER NOT NULL, content_type TEXT NOT NULL, props TEXT NOT NULL);
    CREATE INDEX IF NOT EXISTS versions_doc ON versions(doc, seq);
    CREATE INDEX IF NOT EXISTS versions_blob ON versions(blob);
    CREATE TABLE IF NOT EXISTS contents(id INTEGER PRIMARY KEY AUTOINCREMENT, data BLOB NOT NULL);
    CREATE TABLE IF NOT EXISTS locks(
      token TEXT PRIMARY KEY, root TEXT NOT NULL, infinite INTEGER NOT NULL,
      exclusive INTEGER NOT NULL, owner TEXT NOT NULL, principal TEXT NOT NULL,
      timeout INTEGER NOT NULL, expires INTEGER NOT NULL, checkout_etag INTEGER NOT NULL);
    CREATE INDEX IF NOT EXISTS locks_root ON locks(root);
    CREATE INDEX IF NOT EXISTS locks_expires ON locks(expires);
  )sql");
}

void SqliteBackend::FlushLog() {
  if (durable_) {
    if (log_fd_ < 0) {
      log_fd_ = ::open((dir_ + "/docstore.db-wal").c_str(), O_RDONLY | O_CLOEXEC);
      if (log_fd_ < 0)
        throw std::runtime_error(std::string("cannot open the database log: ") + strerror(errno));
    }
    if (::fsync(log_fd_) != 0)
      throw std::runtime_error(std::string("cannot flush the database log: ") + strerror(errno));
  }
  if (log_frames_.load() > kCheckpointFrames) {
    // A passive checkpoint copies the log into the database without waiting
    // for readers or writers (and flushes both files when durable).
    int log = 0;
    int copied = 0;
    if (sqlite3_wal_checkpoint_v2(checkpointer_->handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, &log,
                                  &copied) == SQLITE_OK &&
        copied == log)
      log_frames_ = 0;
  }
}

}  // namespace

std::unique_ptr<StoreBackend> OpenSqliteBackend(const std::string& dir) {
  return std::make_unique<SqliteBackend>(dir);
}

}  // namespace orvex::docstore
