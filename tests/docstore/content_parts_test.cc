// Content a PostgreSQL store keeps in parts: parts an upload wrote but no
// writing transaction went on to claim (its node stopped in between) are
// collected once they have waited long, while the parts of uploads still on
// their way stay. The SQLite run skips: its content is in files.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "docstore/pg_db.h"
#include "support/docstore_client.h"
#include "support/temp_dir.h"

namespace orvex::docstore::testing {
namespace {

class ContentPartsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!StoreInPostgres()) GTEST_SKIP() << "only a PostgreSQL store keeps content in parts";
    node_ = StartServer("", dir_.path());
    db_ = std::make_unique<PgDb>(StoreLocation(dir_.path()));
  }

  int64_t Count(const std::string& sql) {
    auto s = db_->Prepare(sql);
    s->Step();
    return s->Int(0);
  }
  // Parts of an upload nobody claimed, pending since `age_sql` ago.
  void Abandon(int64_t content, const std::string& age_sql) {
    db_->Exec("INSERT INTO content_parts VALUES(" + std::to_string(content) + ", 0, 'x')");
    db_->Exec("INSERT INTO pending_contents VALUES(" + std::to_string(content) + ", now() - " +
              age_sql + ")");
  }

  orvex::testing::TempDir dir_{"content-parts"};
  std::unique_ptr<Server> node_;
  std::unique_ptr<PgDb> db_;
};

const std::string kLarge(200000, 'L');  // above what goes into one row

TEST_F(ContentPartsTest, AbandonedPartsGoAtANodesStartWhileUploadsOnTheirWayStay) {
  Abandon(900001, "interval '2 hours'");
  Abandon(900002, "interval '1 minute'");
  Client jones(node_->port(), "CORP\\jones", "secret");
  ASSERT_EQ(jones.Send("PUT", "/Sales/Archive/large.bin", {}, kLarge).status, 201);
  // The stored upload claimed its parts: only the two planted ones pend.
  EXPECT_EQ(Count("SELECT COUNT(*) FROM pending_contents"), 2);
  auto second = StartServer("", dir_.path());
  EXPECT_EQ(Count("SELECT COUNT(*) FROM content_parts WHERE content = 900001"), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM content_parts WHERE content = 900002"), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM pending_contents"), 1);
  Client on_second(second->port(), "CORP\\jones", "secret");
  EXPECT_EQ(on_second.Send("GET", "/Sales/Archive/large.bin").body, kLarge);
}

TEST_F(ContentPartsTest, AnUploadWhosePartsWereCollectedWhileItWaitedStoresNothing) {
  // The test holds the writers' turn, so the upload stops between storing
  // its parts and the transaction that would refer to them.
  PgDb holder(StoreLocation(dir_.path()));
  holder.Exec("SELECT pg_advisory_lock(1330795096, 1)");
  auto put = std::async(std::launch::async, [&] {
    Client jones(node_->port(), "CORP\\jones", "secret");
    return jones.Send("PUT", "/Sales/Archive/late.bin", {}, kLarge).status;
  });
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Count("SELECT COUNT(*) FROM pending_contents") == 0 &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  // What a collection finds them after an hour: gone, pending and parts.
  db_->Exec("UPDATE pending_contents SET since = now() - interval '2 hours'");
  db_->Exec(
      "WITH gone AS (DELETE FROM pending_contents WHERE since < now() - interval '1 hour' "
      "RETURNING content) DELETE FROM content_parts WHERE content IN (SELECT content FROM gone)");
  holder.Exec("SELECT pg_advisory_unlock(1330795096, 1)");
  EXPECT_EQ(put.get(), 503);
  Client jones(node_->port(), "CORP\\jones", "secret");
  EXPECT_EQ(jones.Send("GET", "/Sales/Archive/late.bin").status, 404);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM pending_contents"), 0);
}

}  // namespace
}  // namespace orvex::docstore::testing
