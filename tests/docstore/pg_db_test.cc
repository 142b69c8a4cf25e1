// Answers a PostgreSQL connection read ahead (Statement::Prefetch): each
// serves the one Step bound as it was sent, once, in its own transaction;
// DropReadAhead and the transaction's end drop what no Step read. The
// transactions here are READ COMMITTED, so a statement asked again sees
// what another connection committed meanwhile, and an answer read ahead
// does not. The SQLite run skips: it has nothing to read ahead.
#include <gtest/gtest.h>

#include "docstore/pg_db.h"
#include "support/docstore_client.h"

namespace orvex::docstore::testing {
namespace {

TEST(PgDbTest, AnswersReadAheadServeTheirOwnBindingsOnceWithinTheirTransaction) {
  if (!StoreInPostgres()) GTEST_SKIP() << "only a PostgreSQL connection reads ahead";
  const std::string location = StoreLocation();
  PgDb db(location);
  PgDb other(location);
  db.Exec("CREATE TABLE probe(k BIGINT PRIMARY KEY, v TEXT NOT NULL)");
  db.Exec("INSERT INTO probe VALUES(1, 'one'), (2, 'two')");
  auto value = db.Prepare("SELECT v FROM probe WHERE k = ?1");
  auto ahead = [&](int64_t k) {
    value->Reset();
    value->Bind(1, k).Prefetch();
  };
  auto read = [&](int64_t k) {
    value->Reset();
    return value->Bind(1, k).Step() ? value->Text(0) : "(none)";
  };
  // Any statement that waits brings the answers sent ahead with it.
  auto count = db.Prepare("SELECT COUNT(*) FROM probe");
  auto wait = [&] {
    count->Reset();
    ASSERT_TRUE(count->Step());
    EXPECT_EQ(count->Int(0), 2);
  };
  auto change = [&] { other.Exec("UPDATE probe SET v = v || '!'"); };

  db.Begin("BEGIN");
  ahead(1);
  ahead(2);
  wait();
  change();
  EXPECT_EQ(read(2), "two");  // each binding its own answer,
  EXPECT_EQ(read(1), "one");
  EXPECT_EQ(read(1), "one!");  // once
  ahead(2);
  wait();
  change();
  db.DropReadAhead();
  EXPECT_EQ(read(2), "two!!");
  ahead(1);
  wait();
  db.Exec("COMMIT");
  change();
  db.Begin("BEGIN");
  EXPECT_EQ(read(1), "one!!!");  // nothing outlives its transaction
  db.Exec("COMMIT");
}

}  // namespace
}  // namespace orvex::docstore::testing
