// Two docstore nodes serving one store: what one acknowledges the other
// sees at once, and writers racing through both take turns as on one node.
// Only the PostgreSQL run has a store that two nodes may share; the SQLite
// run skips.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "support/docstore_client.h"
#include "support/temp_dir.h"

namespace orvex::docstore::testing {
namespace {

constexpr char kPub[] = "urn:schemas-microsoft-com:publishing:";

class TwoNodesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!StoreInPostgres()) GTEST_SKIP() << "two nodes share a PostgreSQL store only";
    // Both name the same folder, so both open the same database.
    a_ = StartServer("", dir_.path());
    b_ = StartServer("", dir_.path());
  }

  Client Jones(Server& node) { return Client(node.port(), "CORP\\jones", "secret"); }
  Client Smith(Server& node) { return Client(node.port(), "CORP\\smith", "secret"); }

  orvex::testing::TempDir dir_{"two-nodes"};
  std::unique_ptr<Server> a_, b_;
};

// A folder made on one node and a document put into it on the other both
// survive too.
TEST_F(TwoNodesTest, AWriteAcknowledgedByOneNodeIsSeenByTheNextRequestOnTheOther) {
  Client on_a = Jones(*a_);
  Client on_b = Jones(*b_);
  for (int n = 0; n < 20; ++n) {
    std::string path = "/Sales/Archive/seen-" + std::to_string(n) + ".txt";
    ASSERT_EQ(on_a.Send("PUT", path, {}, "round " + std::to_string(n)).status, 201);
    EXPECT_EQ(on_b.Send("GET", path).body, "round " + std::to_string(n));
    ASSERT_EQ(on_b.Send("DELETE", path).status, 204);
    EXPECT_EQ(on_a.Send("GET", path).status, 404);
  }
  for (int n = 0; n < 10; ++n) {
    std::string folder = "/Sales/Archive/made-" + std::to_string(n);
    ASSERT_EQ(on_a.Send("MKCOL", folder).status, 201);
    ASSERT_EQ(on_b.Send("PUT", folder + "/inside.txt", {}, "inside").status, 201);
  }
  for (int n = 0; n < 10; ++n) {
    std::string folder = "/Sales/Archive/made-" + std::to_string(n);
    EXPECT_EQ(on_a.Send("GET", folder + "/inside.txt").body, "inside");
    EXPECT_EQ(on_b.Propfind(folder + "/", 1).size(), 2u);
  }
  // Large content (kept in parts) too.
  std::string big(3 * 1024 * 1024 + 17, 'x');
  for (size_t i = 0; i < big.size(); i += 4093) big[i] = static_cast<char>('a' + i % 26);
  ASSERT_EQ(on_a.Send("PUT", "/Sales/Archive/big.bin", {}, big).status, 201);
  EXPECT_EQ(on_b.Send("GET", "/Sales/Archive/big.bin").body, big);
}

TEST_F(TwoNodesTest, OfTwoCheckOutsAtTheSameMomentThroughTwoNodesExactlyOneWins) {
  const std::string doc = "/Sales/Reports/forecast.txt";
  for (int round = 0; round < 10; ++round) {
    std::atomic<int> ready{0};
    int status[2] = {0, 0};
    auto race = [&](int who) {
      Client client = who == 0 ? Jones(*a_) : Smith(*b_);
      ++ready;
      while (ready < 2) {
      }
      status[who] = client.Send("CHECKOUT", doc).status;
    };
    std::thread first(race, 0);
    std::thread second(race, 1);
    first.join();
    second.join();
    std::multiset<int> got{status[0], status[1]};
    ASSERT_EQ(got, (std::multiset<int>{200, 423})) << "round " << round;
    // The winner gives it back for the next round.
    Client winner = status[0] == 200 ? Jones(*a_) : Smith(*b_);
    ASSERT_EQ(winner.Send("UNCHECKOUT", doc).status, 200) << "round " << round;
  }
}

TEST_F(TwoNodesTest, VersionNumbersNeitherRepeatNorSkipAcrossNodes) {
  const std::string doc = "/Sales/Reports/forecast.txt";
  constexpr int kRounds = 8;
  // Each node's client checks the document out, in and out again; whoever
  // holds it checks it in, so versions come from both nodes in turn.
  std::atomic<int> checked_in{0};
  auto author = [&](Server* node) {
    Client jones = Jones(*node);
    for (int tries = 0; checked_in < kRounds && tries < 400; ++tries) {
      if (jones.Send("CHECKOUT", doc).status != 200) continue;
      if (jones.Send("CHECKIN", doc).status == 201) ++checked_in;
    }
  };
  std::thread first(author, a_.get());
  std::thread second(author, b_.get());
  first.join();
  second.join();
  ASSERT_GE(checked_in.load(), kRounds);
  Client jones = Jones(*a_);
  auto r = jones.Send("REPORT", doc, {{"Content-Type", "application/xml"}},
                      "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>");
  ASSERT_EQ(r.status, 207);
  auto versions = ParseMultistatus(r.body);
  // The sample document had three versions; every check-in added one.
  ASSERT_EQ(versions.size(), 3u + static_cast<size_t>(checked_in.load()));
  std::set<std::string> labels;
  for (const auto& v : versions)
    labels.insert(v.Text(std::string(kPub) + "FriendlyVersionID").value_or(""));
  EXPECT_EQ(labels.size(), versions.size());
  EXPECT_EQ(versions.back().Text(std::string(kPub) + "FriendlyVersionID"),
            "0." + std::to_string(versions.size()));
}

}  // namespace
}  // namespace orvex::docstore::testing
