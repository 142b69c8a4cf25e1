#include "docstore/sqlite_db.h"

#include <sqlite3.h>

#include <stdexcept>

namespace orvex::docstore {

SqliteDb::SqliteDb(const std::string& file) {
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw std::runtime_error("cannot open store database " + file + ": " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
}

SqliteDb::~SqliteDb() { sqlite3_close(db_); }

void SqliteDb::Fail(const char* what) const {
  std::string message = std::string("store database: ") + what + ": " + sqlite3_errmsg(db_);
  if ((sqlite3_extended_errcode(db_) & 0xff) == SQLITE_FULL) throw StoreFullError(message);
  throw std::runtime_error(message);
}

void SqliteDb::Exec(std::string_view sql) {
  std::string text(sql);
  char* error = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = "store database: " + std::string(error ? error : "unknown error");
    sqlite3_free(error);
    if ((sqlite3_extended_errcode(db_) & 0xff) == SQLITE_FULL) throw StoreFullError(message);
    throw std::runtime_error(message);
  }
}

namespace {

class SqliteStatement : public Statement {
 public:
  SqliteStatement(SqliteDb& db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &stmt_,
                           nullptr) != SQLITE_OK)
      db_.Fail("prepare");
  }
  ~SqliteStatement() override { sqlite3_finalize(stmt_); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  Statement& Bind(int index, int64_t value) override;
  Statement& Bind(int index, std::string_view value) override;
  Statement& BindBlob(int index, std::string_view bytes) override;
  bool Step() override;
  void Reset() override;
  int64_t Int(int column) const override;
  std::string Text(int column) const override;
  std::string Blob(int column) const override;
  bool IsNull(int column) const override;

 private:
  SqliteDb& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

Statement& SqliteStatement::Bind(int index, int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) db_.Fail("bind");
  return *this;
}

Statement& SqliteStatement::Bind(int index, std::string_view value) {
  if (sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                        SQLITE_TRANSIENT) != SQLITE_OK)
    db_.Fail("bind");
  return *this;
}

Statement& SqliteStatement::BindBlob(int index, std::string_view bytes) {
  if (sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK)
    db_.Fail("bind");
  return *this;
}

bool SqliteStatement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  db_.Fail("step");
}

void SqliteStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string SqliteStatement::Text(int column) const {
  auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  if (!text) return {};
  return std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::string SqliteStatement::Blob(int column) const {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
  if (!bytes) return {};
  return std::string(bytes, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

bool SqliteStatement::IsNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

}  // namespace

std::unique_ptr<Statement> SqliteDb::Prepare(std::string_view sql) {
  return std::make_unique<SqliteStatement>(*this, sql);
}

}  // namespace orvex::docstore
