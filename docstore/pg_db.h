// The store's database in PostgreSQL, through libpq. Statements are
// prepared on the server once per connection; parameters travel as text
// (contents as binary), results come back as text. Each wait for the server
// is a round trip between two processes, so within a transaction what needs
// no answer (BEGIN, statements whose rows nobody reads) waits for the next
// statement that does, and they go in one round trip (libpq's pipeline
// mode). A connection the server dropped (a restart, a network failure)
// reports Broken() and every use throws StoreUnavailableError, so the store
// replaces it.
#ifndef ORVEX_DOCSTORE_PG_DB_H_
#define ORVEX_DOCSTORE_PG_DB_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "docstore/database.h"

struct pg_conn;
struct pg_result;

namespace orvex::docstore {

class PgStatement;
struct PgAhead;

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
  // Sends the statement and returns: a reading transaction's COMMIT then
  // costs no wait for the server's answer (it ends the snapshot when it
  // arrives there, without the node waiting for that).
  void ExecUnanswered(std::string_view sql) override;
  // Queues the statement (see CanSend).
  void Begin(std::string_view sql) override;
  // Also reads what the server sent since: a connection it closed (a
  // restart) is found broken before anything is sent on it.
  bool Broken() const override;
  void DropReadAhead() override { DropAhead(); }

  pg_conn* handle() { return conn_; }
  // Throws for a failed result (and clears it): StoreUnavailableError when
  // the connection is gone, StoreFullError when the server's disk is full.
  [[noreturn]] void Fail(const char* what, pg_result* result);
  // The statement's text with SQLite's numbered parameters (`?1`) in
  // PostgreSQL's form (`$1`); quoted text is left as it is.
  static std::string Translate(std::string_view sql);
  // Can a statement go out now without waiting for its answer? Within a
  // transaction, yes: SendPrepared queues it (libpq's pipeline mode), and
  // the next statement that waits for an answer, or the COMMIT, goes in the
  // same round trip and throws the first failure among them.
  bool CanSend() const;
  void SendPrepared(const std::string& name, int params, const char* const* values,
                    const int* lengths, const int* binary);
  // Runs a prepared statement (after the queued ones) and returns its
  // result, failed or not.
  pg_result* ExecPrepared(const std::string& name, int params, const char* const* values,
                          const int* lengths, const int* binary);
  // Reads the answer of a statement ExecUnanswered sent, if any (before the
  // connection sends anything else); throws its failure.
  void ReadUnanswered();
  // Queues a statement whose answer goes into `answer` when the queued
  // answers are read (Statement::Prefetch; only where CanSend).
  void SendAhead(PgAhead* answer, const std::string& name, int params, const char* const* values,
                 const int* lengths, const int* binary);
  // Reads the queued statements' answers now.
  void ReadQueued();
  // `reader` no longer wants the answers it sent for (it drops them, or goes
  // away): those still to come are dropped on arrival.
  void Forget(PgStatement* reader);

 private:
  // Statements queued before their answers are read, at most.
  static constexpr size_t kMaxQueued = 32;
  // Ends the pipeline: reads the queued statements' answers and, when
  // `last`, returns the answer of the statement sent after them. Throws the
  // first failure (the statements after it are not run).
  pg_result* FinishPipeline(bool last);
  // A transaction ends or begins: answers read ahead for it go.
  void DropAhead();

  pg_conn* conn_ = nullptr;
  int prepared_ = 0;         // statements prepared so far, for their names
  bool unanswered_ = false;  // ExecUnanswered's answer is still to be read
  // The statements queued, in order, each with where its answer goes (null:
  // nobody reads it).
  std::vector<PgAhead*> queued_;
  // Statements holding an answer read ahead, or waiting for one.
  std::vector<PgStatement*> ahead_;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_PG_DB_H_
