// The store's view of a SQL database: a connection that runs statements and
// prepares them, and prepared statements with typed binds and reads. SQLite
// (sqlite_db.h) and PostgreSQL (pg_db.h) stand behind it; the store writes
// its statements once, in the SQL both understand (numbered parameters
// `?1`, `?2`, ...). Errors throw std::runtime_error carrying the database's
// message; a full disk throws StoreFullError, a database that cannot be
// reached StoreUnavailableError.
#ifndef ORVEX_DOCSTORE_DATABASE_H_
#define ORVEX_DOCSTORE_DATABASE_H_

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvex::docstore {

// The disk (or the file-size limit) under the store is full: a change could
// not be written. Thrown by the database layer and the content files.
class StoreFullError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The database server cannot be reached (or went away mid-transaction): the
// request fails without having changed anything, and the next transaction
// opens a new connection.
class StoreUnavailableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One prepared statement. Bind parameters are 1-based, columns 0-based.
// Step reads the next row (true) or ends the statement (false).
class Statement {
 public:
  virtual ~Statement() = default;
  virtual Statement& Bind(int index, int64_t value) = 0;
  virtual Statement& Bind(int index, std::string_view value) = 0;
  virtual Statement& BindBlob(int index, std::string_view bytes) = 0;
  virtual bool Step() = 0;
  // Steps to completion (for statements that return no rows). A database
  // may send it on without waiting, within a transaction: a failure then
  // throws from the transaction's next statement or its COMMIT, which runs
  // after it.
  virtual void Run() {
    while (Step()) {
    }
  }
  // Sends the statement as it is bound now ahead of its Step, within a
  // transaction: a database server then answers it together with the next
  // statement that waits for an answer, in one round trip. A later Step with
  // the same bindings (after Reset and binding them again) reads that
  // answer; the same statement may be sent ahead with several bindings, each
  // answer for its own Step. The transaction's end, or DropReadAhead, drops
  // what no Step read. A database in the process has nothing to gain and
  // runs the statement at its Step.
  virtual void Prefetch() {}
  // Clears bindings and rewinds, so the statement can run again (an answer
  // sent for by Prefetch is kept for it).
  virtual void Reset() = 0;
  virtual int64_t Int(int column) const = 0;
  virtual std::string Text(int column) const = 0;
  virtual std::string Blob(int column) const = 0;
  virtual bool IsNull(int column) const = 0;
};

class Database {
 public:
  virtual ~Database() = default;
  // Runs one or more statements that return no rows.
  virtual void Exec(std::string_view sql) = 0;
  virtual std::unique_ptr<Statement> Prepare(std::string_view sql) = 0;
  // Starts a transaction with one statement that returns no rows. A
  // database server may get it with the transaction's first statement that
  // waits for an answer, in one round trip; its failure then throws there.
  virtual void Begin(std::string_view sql) { Exec(sql); }
  // Runs one statement whose answer nobody waits for (a reading
  // transaction's COMMIT): the connection's next use reads it first and
  // throws its failure. A database in the process runs it at once.
  virtual void ExecUnanswered(std::string_view sql) { Exec(sql); }
  // Drops the answers Prefetch sent for that no Step has read yet.
  virtual void DropReadAhead() {}
  // The connection is lost for good (the server went away, or closed it
  // while it was idle): the store opens a new one instead of using it again.
  virtual bool Broken() const { return false; }
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_DATABASE_H_
