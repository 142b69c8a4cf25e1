// The store's database in SQLite: a thin RAII layer over its C API.
#ifndef ORVEX_DOCSTORE_SQLITE_DB_H_
#define ORVEX_DOCSTORE_SQLITE_DB_H_

#include <memory>
#include <string>
#include <string_view>

#include "docstore/database.h"

struct sqlite3;

namespace orvex::docstore {

class SqliteDb : public Database {
 public:
  // Opens (creating) the database file; ":memory:" for a private in-memory
  // database.
  explicit SqliteDb(const std::string& file);
  ~SqliteDb() override;
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  void Exec(std::string_view sql) override;
  std::unique_ptr<Statement> Prepare(std::string_view sql) override;

  sqlite3* handle() { return db_; }
  [[noreturn]] void Fail(const char* what) const;

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_SQLITE_DB_H_
