#include "docstore/pg_db.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace orvex::docstore {
namespace {

// SQLSTATE classes and codes that mean the server or the connection is gone
// rather than the statement wrong: connection exceptions (08), operator
// intervention (57P01 admin shutdown, 57P02 crash shutdown, 57P03 cannot
// connect now).
bool Unreachable(const char* state) {
  if (!state) return false;
  return std::strncmp(state, "08", 2) == 0 || std::strncmp(state, "57P0", 4) == 0;
}

}  // namespace

// An answer sent for ahead (Statement::Prefetch), filled in as it arrives.
struct PgAhead {
  PgStatement* owner = nullptr;
  PGresult* result = nullptr;
  bool arrived = false;
};

class PgStatement : public Statement {
 public:
  PgStatement(PgDb& db, std::string name, int params)
      : db_(db),
        name_(std::move(name)),
        values_(static_cast<size_t>(params)),
        binary_(static_cast<size_t>(params), 0) {}
  ~PgStatement() override {
    DropAhead();
    PQclear(result_);
  }
  PgStatement(const PgStatement&) = delete;
  PgStatement& operator=(const PgStatement&) = delete;

  Statement& Bind(int index, int64_t value) override {
    return Set(index, std::to_string(value), false);
  }
  Statement& Bind(int index, std::string_view value) override {
    return Set(index, std::string(value), false);
  }
  Statement& BindBlob(int index, std::string_view bytes) override {
    return Set(index, std::string(bytes), true);
  }

  bool Step() override {
    if (sent_) return false;
    if (!result_) {
      // An answer read ahead serves only the bindings it was sent with (a
      // failed one threw when it arrived).
      auto ahead = aheads_.find({values_, binary_});
      if (ahead != aheads_.end()) {
        if (!ahead->second.arrived) db_.ReadQueued();
        result_ = std::exchange(ahead->second.result, nullptr);
        aheads_.erase(ahead);
        if (aheads_.empty()) db_.Forget(this);
      }
      if (!result_) {
        db_.ReadUnanswered();
        Params params = Collect();
        result_ = db_.ExecPrepared(name_, params.count(), params.values.data(),
                                   params.lengths.data(), binary_.data());
        ExecStatusType status = PQresultStatus(result_);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
          PGresult* failed = result_;
          result_ = nullptr;
          db_.Fail("step", failed);
        }
      }
      rows_ = PQntuples(result_);
      row_ = -1;
    }
    if (row_ < rows_) ++row_;
    return row_ < rows_;
  }

  // Within a transaction a statement whose rows nobody reads goes out
  // without waiting for its answer (PgDb::SendPrepared).
  void Run() override {
    if (result_ || sent_ || !db_.CanSend()) {
      Statement::Run();
      return;
    }
    Params params = Collect();
    db_.SendPrepared(name_, params.count(), params.values.data(), params.lengths.data(),
                     binary_.data());
    sent_ = true;
  }

  void Prefetch() override {
    if (result_ || sent_ || !db_.CanSend()) return;
    auto [ahead, added] = aheads_.try_emplace({values_, binary_});
    if (!added) return;  // already on its way
    Params params = Collect();
    ahead->second.owner = this;
    db_.SendAhead(&ahead->second, name_, params.count(), params.values.data(),
                  params.lengths.data(), binary_.data());
  }

  // Forgets every answer Prefetch sent for.
  void DropAhead() {
    if (aheads_.empty()) return;
    db_.Forget(this);
    for (auto& [key, ahead] : aheads_) PQclear(ahead.result);
    aheads_.clear();
  }

  void Reset() override {
    sent_ = false;
    PQclear(result_);
    result_ = nullptr;
    for (auto& v : values_) v.clear();
    std::fill(binary_.begin(), binary_.end(), 0);
  }

  int64_t Int(int column) const override {
    const char* v = PQgetvalue(result_, row_, column);
    // Booleans (EXISTS) come as "t" and "f".
    if (v[0] == 't') return 1;
    if (v[0] == 'f') return 0;
    return std::strtoll(v, nullptr, 10);
  }
  std::string Text(int column) const override {
    return std::string(PQgetvalue(result_, row_, column),
                       static_cast<size_t>(PQgetlength(result_, row_, column)));
  }
  std::string Blob(int column) const override {
    size_t size = 0;
    unsigned char* bytes = PQunescapeBytea(
        reinterpret_cast<const unsigned char*>(PQgetvalue(result_, row_, column)), &size);
    if (!bytes) throw std::runtime_error("store database: out of memory");
    std::string out(reinterpret_cast<const char*>(bytes), size);
    PQfreemem(bytes);
    return out;
  }
  bool IsNull(int column) const override { return PQgetisnull(result_, row_, column) != 0; }

 private:
  struct Params {
    std::vector<const char*> values;
    std::vector<int> lengths;
    int count() const { return static_cast<int>(values.size()); }
  };
  Params Collect() const {
    Params params;
    for (const auto& v : values_) {
      params.values.push_back(v.data());
      params.lengths.push_back(static_cast<int>(v.size()));
    }
    return params;
  }

  Statement& Set(int index, std::string value, bool binary) {
    if (index < 1 || static_cast<size_t>(index) > values_.size())
      throw std::logic_error("store database: no parameter " + std::to_string(index));
    values_[static_cast<size_t>(index - 1)] = std::move(value);
    binary_[static_cast<size_t>(index - 1)] = binary ? 1 : 0;
    return *this;
  }

  PgDb& db_;
  std::string name_;
  std::vector<std::string> values_;
  std::vector<int> binary_;
  PGresult* result_ = nullptr;
  bool sent_ = false;  // run by Run without waiting; done until Reset
  int rows_ = 0;
  int row_ = -1;
  // What Prefetch sent for, by bindings: each answer still to come or here.
  std::map<std::pair<std::vector<std::string>, std::vector<int>>, PgAhead> aheads_;
};

PgDb::PgDb(const std::string& conninfo) {
  conn_ = PQconnectdb(conninfo.c_str());
  if (PQstatus(conn_) != CONNECTION_OK) {
    std::string message = conn_ ? PQerrorMessage(conn_) : "out of memory";
    PQfinish(conn_);
    conn_ = nullptr;
    while (!message.empty() && message.back() == '\n') message.pop_back();
    throw StoreUnavailableError("cannot reach the store database: " + message);
  }
  // The server's notices (a table that already exists, say) are not errors.
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
}

PgDb::~PgDb() { PQfinish(conn_); }

bool PgDb::Broken() const {
  // A server that closed the connection left its last message and the end
  // of the stream to read; each read takes one of them.
  for (int i = 0; i < 4 && PQstatus(conn_) == CONNECTION_OK; ++i) {
    pollfd ready{PQsocket(conn_), POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0) break;
    PQconsumeInput(conn_);
  }
  return PQstatus(conn_) != CONNECTION_OK;
}

void PgDb::Fail(const char* what, PGresult* result) {
  std::string message = result ? PQresultErrorMessage(result) : "";
  if (message.empty()) message = PQerrorMessage(conn_);
  while (!message.empty() && message.back() == '\n') message.pop_back();
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  bool unreachable = Unreachable(state) || PQstatus(conn_) != CONNECTION_OK;
  bool full = state && std::strcmp(state, "53100") == 0;
  PQclear(result);
  message = std::string("store database: ") + what + ": " + message;
  if (unreachable) throw StoreUnavailableError(message);
  if (full) throw StoreFullError(message);
  throw std::runtime_error(message);
}

void PgDb::Exec(std::string_view sql) {
  ReadUnanswered();
  DropAhead();
  const std::string text(sql);
  if (!queued_.empty()) {
    // One statement (COMMIT, ROLLBACK) after the queued ones, in the same
    // round trip.
    if (!PQsendQueryParams(conn_, text.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0))
      Fail("send", nullptr);
    try {
      PQclear(FinishPipeline(true));
    } catch (...) {
      // A queued statement's failure aborts the rest of the transaction,
      // this statement too. Run again on its own, a COMMIT or ROLLBACK
      // ends the aborted transaction (a COMMIT by rolling it back).
      if (PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_INERROR)
        PQclear(PQexec(conn_, text.c_str()));
      throw;
    }
    return;
  }
  PGresult* result = PQexec(conn_, text.c_str());
  ExecStatusType status = PQresultStatus(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail("exec", result);
  PQclear(result);
}

void PgDb::Begin(std::string_view sql) {
  ReadUnanswered();
  DropAhead();
  if (queued_.empty() && !PQenterPipelineMode(conn_)) Fail("pipeline", nullptr);
  if (!PQsendQueryParams(conn_, std::string(sql).c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0))
    Fail("send", nullptr);
  queued_.push_back(nullptr);
}

bool PgDb::CanSend() const {
  return !unanswered_ && (!queued_.empty() || PQtransactionStatus(conn_) == PQTRANS_INTRANS);
}

void PgDb::SendPrepared(const std::string& name, int params, const char* const* values,
                        const int* lengths, const int* binary) {
  SendAhead(nullptr, name, params, values, lengths, binary);
}

void PgDb::SendAhead(PgAhead* answer, const std::string& name, int params,
                     const char* const* values, const int* lengths, const int* binary) {
  if (queued_.empty() && !PQenterPipelineMode(conn_)) Fail("pipeline", nullptr);
  if (!PQsendQueryPrepared(conn_, name.c_str(), params, values, lengths, binary, 0))
    Fail("send", nullptr);
  queued_.push_back(answer);
  if (answer && std::find(ahead_.begin(), ahead_.end(), answer->owner) == ahead_.end())
    ahead_.push_back(answer->owner);
  // The server's answers wait in its socket buffer until read: a few dozen
  // fit there easily.
  if (queued_.size() >= kMaxQueued) FinishPipeline(false);
}

void PgDb::ReadQueued() {
  if (!queued_.empty()) FinishPipeline(false);
}

void PgDb::Forget(PgStatement* reader) {
  for (auto& answer : queued_)
    if (answer && answer->owner == reader) answer = nullptr;
  ahead_.erase(std::remove(ahead_.begin(), ahead_.end(), reader), ahead_.end());
}

void PgDb::DropAhead() {
  // DropAhead calls Forget, which takes the statement off the list.
  while (!ahead_.empty()) ahead_.back()->DropAhead();
}

PGresult* PgDb::ExecPrepared(const std::string& name, int params, const char* const* values,
                             const int* lengths, const int* binary) {
  if (queued_.empty())
    return PQexecPrepared(conn_, name.c_str(), params, values, lengths, binary, 0);
  if (!PQsendQueryPrepared(conn_, name.c_str(), params, values, lengths, binary, 0))
    Fail("send", nullptr);
  return FinishPipeline(true);
}

PGresult* PgDb::FinishPipeline(bool last) {
  const std::vector<PgAhead*> readers = std::exchange(queued_, {});
  const int commands = static_cast<int>(readers.size()) + (last ? 1 : 0);
  if (!PQpipelineSync(conn_)) Fail("pipeline", nullptr);
  PGresult* failed = nullptr;
  PGresult* answer = nullptr;
  bool lost = false;
  for (int i = 0; i < commands && !lost; ++i) {
    PGresult* result = PQgetResult(conn_);
    ExecStatusType status = PQresultStatus(result);
    bool ok = result && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
    PgAhead* reader =
        static_cast<size_t>(i) < readers.size() ? readers[static_cast<size_t>(i)] : nullptr;
    if (ok && last && i == commands - 1)
      answer = result;
    else if (ok && reader)
      *reader = {reader->owner, result, true};
    else if (!ok && !failed && status != PGRES_PIPELINE_ABORTED)
      failed = result;
    else
      PQclear(result);
    // Each command's results end with a null one.
    while (PGresult* more = PQgetResult(conn_)) PQclear(more);
    lost = !result || PQstatus(conn_) != CONNECTION_OK;
  }
  if (!lost) {
    PQclear(PQgetResult(conn_));  // the end of the pipeline (PGRES_PIPELINE_SYNC)
    PQexitPipelineMode(conn_);
  }
  if (failed || lost || (last && !answer)) {
    PQclear(answer);
    Fail("step", failed);
  }
  return answer;
}

void PgDb::ExecUnanswered(std::string_view sql) {
  ReadUnanswered();
  DropAhead();
  if (!queued_.empty()) FinishPipeline(false);
  if (!PQsendQuery(conn_, std::string(sql).c_str())) Fail("send", nullptr);
  unanswered_ = true;
}

void PgDb::ReadUnanswered() {
  if (!unanswered_) return;
  unanswered_ = false;
  PGresult* failed = nullptr;
  while (PGresult* result = PQgetResult(conn_)) {
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && !failed)
      failed = result;
    else
      PQclear(result);
  }
  if (failed || PQstatus(conn_) != CONNECTION_OK) Fail("exec", failed);
}

std::string PgDb::Translate(std::string_view sql) {
  std::string out;
  out.reserve(sql.size());
  char quote = 0;
  for (char c : sql) {
    if (quote) {
      if (c == quote) quote = 0;
      out += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
      out += c;
    } else {
      out += c == '?' ? '$' : c;
    }
  }
  return out;
}

std::unique_ptr<Statement> PgDb::Prepare(std::string_view sql) {
  std::string text = Translate(sql);
  // The highest parameter number is how many the statement takes.
  int params = 0;
  for (size_t i = text.find('$'); i != std::string::npos; i = text.find('$', i + 1))
    params = std::max(params, std::atoi(text.c_str() + i + 1));
  ReadUnanswered();
  ReadQueued();
  std::string name = "orvex_" + std::to_string(++prepared_);
  PGresult* result = PQprepare(conn_, name.c_str(), text.c_str(), 0, nullptr);
  if (PQresultStatus(result) != PGRES_COMMAND_OK) Fail("prepare", result);
  PQclear(result);
  return std::make_unique<PgStatement>(*this, std::move(name), params);
}

}  // namespace orvex::docstore
