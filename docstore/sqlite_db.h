// A thin RAII layer over the SQLite C API: a database handle and prepared
// statements with typed binds and reads. Errors throw std::runtime_error
// carrying SQLite's message.
#ifndef ORVEX_DOCSTORE_SQLITE_DB_H_
#define ORVEX_DOCSTORE_SQLITE_DB_H_

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace orvex::docstore {

// The disk (or the file-size limit) under the store is full: a change could
// not be written. Thrown by the database layer and the content files.
class StoreFullError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SqliteDb;

// One prepared statement. Bind parameters are 1-based, columns 0-based.
class Statement {
 public:
  Statement(SqliteDb& db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, int64_t value);
  Statement& Bind(int index, std::string_view value);
  Statement& BindBlob(int index, std::string_view bytes);

  // Steps once: true while a row is available, false when done.
  bool Step();
  // Steps to completion (for statements that return no rows).
  void Run();
  // Clears bindings and rewinds, so the statement can run again.
  void Reset();

  int64_t Int(int column) const;
  std::string Text(int column) const;
  std::string Blob(int column) const;
  bool IsNull(int column) const;

 private:
  SqliteDb& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

class SqliteDb {
 public:
  // Opens (creating) the database file; ":memory:" for a private in-memory
  // database.
  explicit SqliteDb(const std::string& file);
  ~SqliteDb();
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  // Runs one or more statements that return no rows.
  void Exec(std::string_view sql);
  int64_t LastInsertId() const;
  int Changes() const;

  sqlite3* handle() { return db_; }
  [[noreturn]] void Fail(const char* what) const;

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_SQLITE_DB_H_
