// What differs between the databases a Store runs on: how a connection is
// opened, the tables' definitions, how transactions begin, and what makes a
// commit durable. The store's statements themselves are shared (database.h).
#ifndef ORVEX_DOCSTORE_STORE_BACKEND_H_
#define ORVEX_DOCSTORE_STORE_BACKEND_H_

#include <cstdint>
#include <memory>
#include <string>

#include "docstore/database.h"

namespace orvex::docstore {

class StoreBackend {
 public:
  virtual ~StoreBackend() = default;

  // A new connection. The store opens one writing connection and as many
  // reading ones as transactions run at once.
  virtual std::unique_ptr<Database> Connect(bool writer) = 0;
  // Creates the tables that are missing (on the writing connection, outside
  // any transaction).
  virtual void CreateSchema(Database& db) = 0;
  // Starts a transaction: a writing one waits for every other writer of the
  // same database (in this process or another); a reading one sees one
  // snapshot throughout.
  virtual void BeginWrite(Database& db) = 0;
  virtual void BeginRead(Database& db) = 0;
  // Called right after a writing transaction's COMMIT, still in the
  // writers' turn: a ticket that MakeDurable waits for, after the turn.
  virtual uint64_t Committed() = 0;
  // Returns once the commit of `ticket` (and every one before it) is on
  // disk.
  virtual void MakeDurable(uint64_t ticket) = 0;
  // Gives up the reserve kept for a full disk (Store::ReleaseReserve).
  virtual bool ReleaseReserve() = 0;
  // Where content files and uploads in progress live.
  virtual std::string ContentDir() const = 0;
  // Flush content files before rows refer to them.
  virtual bool Durable() const = 0;
  // Large content lives in the database (in parts) rather than in files of
  // ContentDir, which then holds only uploads on their way in.
  virtual bool ContentInDatabase() const { return false; }
  // Statements sent ahead save waits for a database server
  // (Statement::Prefetch); a database in the process has none to save.
  virtual bool ReadsAhead() const { return false; }
};

// The embedded default: SQLite in `dir` (empty: a private temporary
// directory, never flushed). Throws std::runtime_error when it cannot be
// opened.
std::unique_ptr<StoreBackend> OpenSqliteBackend(const std::string& dir);

// Several nodes on one PostgreSQL database (pg_store.cc). `conninfo`: a
// postgresql:// URL or libpq's key=value pairs.
std::unique_ptr<StoreBackend> OpenPgBackend(const std::string& conninfo);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_STORE_BACKEND_H_
