// The store's database in PostgreSQL, through libpq. Statements are
// prepared on the server once per connection; parameters travel as text
// (contents as binary), results come back as text. A connection the server
// dropped (a restart, a network failure) reports Broken() and every use
// throws StoreUnavailableError, so the store replaces it.
#ifndef ORVEX_DOCSTORE_PG_DB_H_
#define ORVEX_DOCSTORE_PG_DB_H_

#include <memory>
#include <string>
#include <string_view>

#include "docstore/database.h"

struct pg_conn;
struct pg_result;

namespace orvex::docstore {

class PgDb : public Database {
 public:
  // `conninfo`: a postgresql:// URL or key=value pairs; what it leaves out
  // comes from libpq's environment variables (PGHOST, PGPORT, PGUSER, ...).
  explicit PgDb(const std::string& conninfo);
  ~PgDb() override;
  PgDb(const PgDb&) = delete;
  PgDb& operator=(const PgDb&) = delete;

  void Exec(std::string_view sql) override;
  std::unique_ptr<Statement> Prepare(std::string_view sql) override;
  int64_t LastInsertId() override;
  bool Broken() const override;

  pg_conn* handle() { return conn_; }
  // Throws for a failed result (and clears it): StoreUnavailableError when
  // the connection is gone, StoreFullError when the server's disk is full.
  [[noreturn]] void Fail(const char* what, pg_result* result);
  // The statement's text with SQLite's numbered parameters (`?1`) in
  // PostgreSQL's form (`$1`); quoted text is left as it is.
  static std::string Translate(std::string_view sql);

 private:
  pg_conn* conn_ = nullptr;
  int prepared_ = 0;  // statements prepared so far, for their names
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_PG_DB_H_
