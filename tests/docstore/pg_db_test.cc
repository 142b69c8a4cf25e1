// An answer a PostgreSQL connection read ahead (Statement::Prefetch) serves
// only the Step bound as it was sent, in its own transaction: never another
// binding's rows, never a later transaction's. The SQLite run skips: it has
// nothing to read ahead.
#include <gtest/gtest.h>

#include "docstore/pg_db.h"
#include "support/docstore_client.h"

namespace orvex::docstore::testing {
namespace {

TEST(PgDbTest, AnAnswerReadAheadServesOnlyItsOwnBindingsAndTransaction) {
  if (!StoreInPostgres()) GTEST_SKIP() << "only a PostgreSQL connection reads ahead";
  const std::string location = StoreLocation();
  PgDb db(location);
  PgDb other(location);
  db.Exec("CREATE TABLE probe(k BIGINT PRIMARY KEY, v TEXT NOT NULL)");
  db.Exec("INSERT INTO probe VALUES(1, 'one'), (2, 'two')");
  auto value = db.Prepare("SELECT v FROM probe WHERE k = ?1");
  auto read = [&](int64_t k) {
    value->Reset();
    return value->Bind(1, k).Step() ? value->Text(0) : "(none)";
  };

  db.Begin("BEGIN ISOLATION LEVEL REPEATABLE READ");
  value->Bind(1, int64_t{1}).Prefetch();
  // The first statement that waits takes the queued answer with it.
  auto count = db.Prepare("SELECT COUNT(*) FROM probe");
  ASSERT_TRUE(count->Step());
  EXPECT_EQ(count->Int(0), 2);
  count->Reset();
  // Another binding is asked for itself.
  EXPECT_EQ(read(2), "two");
  db.Exec("COMMIT");

  db.Begin("BEGIN ISOLATION LEVEL REPEATABLE READ");
  value->Reset();
  value->Bind(1, int64_t{1}).Prefetch();
  EXPECT_EQ(read(1), "one");  // its own binding: the answer sent for
  db.Exec("COMMIT");

  // Read ahead, then the transaction ends and the row changes: the next
  // transaction's Step asks again.
  db.Begin("BEGIN ISOLATION LEVEL REPEATABLE READ");
  value->Reset();
  value->Bind(1, int64_t{1}).Prefetch();
  db.Exec("COMMIT");
  other.Exec("UPDATE probe SET v = 'uno' WHERE k = 1");
  db.Begin("BEGIN ISOLATION LEVEL REPEATABLE READ");
  EXPECT_EQ(read(1), "uno");
  db.Exec("COMMIT");
}

}  // namespace
}  // namespace orvex::docstore::testing
