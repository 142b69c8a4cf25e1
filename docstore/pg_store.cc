// The store on PostgreSQL, for several docstore nodes serving one database.
// Writers take turns across every node: a writing transaction first takes a
// transaction-level advisory lock, so writes are serialised exactly as the
// one writing connection of a SQLite store serialises them (one check-out
// wins, version numbers are taken in turn). Readers see one snapshot
// (REPEATABLE READ) and never wait. Content lives in the database too, in
// parts (Store::kContentPartBytes), so that no node holds more than a part of
// a document in memory and any node serves any document.
//
// Group commit, as on SQLite: a writing transaction commits without waiting
// for the server's log flush (synchronous_commit off on the writing
// connection, whose every transaction MakeDurable waits for), so the
// advisory lock goes with the commit and the next writer of
// any node does not wait for this one's flush. MakeDurable then waits for
// the flush: a transaction of its own that updates a row (a transaction
// that writes nothing is not flushed), committed with synchronous_commit on
// after ours, returns once the log is on disk up to its commit, which comes
// after ours in the log. One such flush serves every commit of the node made
// before it started, and the server flushes the log of concurrent flushes
// from several nodes at once.
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "docstore/group_commit.h"
#include "docstore/pg_db.h"
#include "docstore/store_backend.h"

namespace orvex::docstore {
namespace {

// Advisory lock keys of the docstore's database ("ORVX" and 1, 2).
constexpr const char kWriterLock[] = "SELECT pg_advisory_xact_lock(1330795096, 1)";
constexpr const char kSchemaLock[] = "BEGIN; SELECT pg_advisory_xact_lock(1330795096, 2)";

class PgBackend : public StoreBackend {
 public:
  explicit PgBackend(std::string conninfo) : conninfo_(std::move(conninfo)) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvex-docstore-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      throw std::runtime_error("cannot create a directory for uploads");
    upload_dir_ = pattern;
  }
  ~PgBackend() override {
    std::error_code ec;
    std::filesystem::remove_all(upload_dir_, ec);
  }

  std::unique_ptr<Database> Connect(bool writer) override {
    auto db = std::make_unique<PgDb>(conninfo_);
    if (writer) db->Exec("SET synchronous_commit = off");
    return db;
  }
  void CreateSchema(Database& db) override;
  // A writing transaction commits without waiting for the log flush
  // (MakeDurable waits) and takes the writers' lock; these go to the server
  // with the transaction's first statement, in one round trip.
  void BeginWrite(Database& db) override {
    db.Begin("BEGIN");
    db.Begin(kWriterLock);
  }
  void BeginRead(Database& db) override { db.Begin("BEGIN ISOLATION LEVEL REPEATABLE READ"); }
  uint64_t Committed() override { return group_.Committed(); }
  void MakeDurable(uint64_t ticket) override {
    group_.WaitDurable(ticket, [this] { FlushLog(); });
  }
  bool ReleaseReserve() override { return false; }
  std::string ContentDir() const override { return upload_dir_; }
  bool Durable() const override { return false; }
  bool ContentInDatabase() const override { return true; }
  bool ReadsAhead() const override { return true; }

 private:
  void FlushLog();

  std::string conninfo_;
  std::string upload_dir_;  // uploads on their way into the database

  GroupCommit group_;
  // The connection flushes run on: used only by the flushing thread.
  std::unique_ptr<Database> flusher_;
  // The row of `flushes` this node's flushes update.
  static constexpr unsigned kFlushSlots = 1024;
  const unsigned flush_slot_ = std::random_device()() % kFlushSlots;
};

void PgBackend::FlushLog() {
  // A commit waits for the log on disk only when its transaction wrote to
  // the log (PostgreSQL skips the flush for one that did not, even with an
  // id), so the flush updates a row: one of kFlushSlots, this node's, so
  // that nodes rarely wait for each other's row. A connection the server
  // dropped while idle is replaced once.
  const std::string sql = "INSERT INTO flushes VALUES(" + std::to_string(flush_slot_) +
                          ", 1) ON CONFLICT(slot) DO UPDATE SET n = flushes.n + 1";
  for (int attempt = 0;; ++attempt) {
    if (!flusher_ || flusher_->Broken()) flusher_ = Connect(false);
    try {
      flusher_->Exec(sql);
      return;
    } catch (const StoreUnavailableError&) {
      if (attempt > 0 || !flusher_->Broken()) throw;
    }
  }
}

void PgBackend::CreateSchema(Database& db) {
  // Nodes starting together create the tables one after another.
  db.Exec(kSchemaLock);
  db.Exec(R"sql(
    CREATE EXTENSION IF NOT EXISTS citext;
    CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT);
    CREATE TABLE IF NOT EXISTS flushes(slot BIGINT PRIMARY KEY, n BIGINT NOT NULL);
    CREATE TABLE IF NOT EXISTS users(name CITEXT PRIMARY KEY, password TEXT NOT NULL);
    CREATE TABLE IF NOT EXISTS digests(
      name CITEXT PRIMARY KEY, md5 TEXT NOT NULL, sha256 TEXT NOT NULL);
    CREATE TABLE IF NOT EXISTS hosts(
      rowid BIGINT GENERATED ALWAYS AS IDENTITY, name TEXT PRIMARY KEY);
    CREATE TABLE IF NOT EXISTS workspaces(
      ord BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, name TEXT UNIQUE NOT NULL,
      categories TEXT NOT NULL, schema TEXT NOT NULL);
    CREATE TABLE IF NOT EXISTS roles(
      workspace TEXT NOT NULL, "user" CITEXT NOT NULL, role BIGINT NOT NULL,
      PRIMARY KEY(workspace, "user"));
    CREATE TABLE IF NOT EXISTS resources(
      id BIGINT GENERATED BY DEFAULT AS IDENTITY (START WITH 2) PRIMARY KEY,
      parent BIGINT NOT NULL, path TEXT UNIQUE NOT NULL,
      name TEXT NOT NULL, kind BIGINT NOT NULL, content_class TEXT NOT NULL DEFAULT '',
      created BIGINT NOT NULL, modified BIGINT NOT NULL, etag BIGINT NOT NULL DEFAULT 1,
      blob TEXT NOT NULL DEFAULT '', length BIGINT NOT NULL DEFAULT 0,
      content_type TEXT NOT NULL DEFAULT '', state TEXT NOT NULL DEFAULT '',
      checked_out_by TEXT NOT NULL DEFAULT '', doc BIGINT NOT NULL DEFAULT 0,
      vmajor BIGINT NOT NULL DEFAULT 0, vminor BIGINT NOT NULL DEFAULT 0);
    CREATE INDEX IF NOT EXISTS resources_parent ON resources(parent, id);
    CREATE INDEX IF NOT EXISTS resources_doc ON resources(doc);
    CREATE INDEX IF NOT EXISTS resources_blob ON resources(blob);
    CREATE TABLE IF NOT EXISTS props(
      rowid BIGINT GENERATED ALWAYS AS IDENTITY,
      resource BIGINT NOT NULL, ns TEXT NOT NULL, name TEXT NOT NULL, type TEXT NOT NULL,
      value TEXT NOT NULL, UNIQUE(resource, ns, name));
    CREATE TABLE IF NOT EXISTS versions(
      id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, doc BIGINT NOT NULL,
      seq BIGINT NOT NULL, label TEXT NOT NULL, comment TEXT NOT NULL, created BIGINT NOT NULL,
      "user" TEXT NOT NULL, blob TEXT NOT NULL, length BIGINT NOT NULL,
      content_type TEXT NOT NULL, props TEXT NOT NULL, UNIQUE(doc, seq));
    CREATE INDEX IF NOT EXISTS versions_blob ON versions(blob);
    CREATE TABLE IF NOT EXISTS contents(
      id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, data BYTEA NOT NULL);
    CREATE TABLE IF NOT EXISTS content_parts(
      content BIGINT NOT NULL, part BIGINT NOT NULL, data BYTEA NOT NULL,
      PRIMARY KEY(content, part));
    CREATE SEQUENCE IF NOT EXISTS content_ids;
    CREATE TABLE IF NOT EXISTS pending_contents(
      content BIGINT PRIMARY KEY, since TIMESTAMPTZ NOT NULL DEFAULT now());
    CREATE TABLE IF NOT EXISTS locks(
      rowid BIGINT GENERATED ALWAYS AS IDENTITY, token TEXT PRIMARY KEY, root TEXT NOT NULL, infinite BIGINT NOT NULL,
      exclusive BIGINT NOT NULL, owner TEXT NOT NULL, principal TEXT NOT NULL,
      timeout BIGINT NOT NULL, expires BIGINT NOT NULL, checkout_etag BIGINT NOT NULL);
    CREATE INDEX IF NOT EXISTS locks_root ON locks(root);
    CREATE INDEX IF NOT EXISTS locks_expires ON locks(expires);
  )sql");
  db.Exec("COMMIT");
}

}  // namespace

std::unique_ptr<StoreBackend> OpenPgBackend(const std::string& conninfo) {
  return std::make_unique<PgBackend>(conninfo);
}

}  // namespace orvex::docstore
