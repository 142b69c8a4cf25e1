// SampleStoreTest: the built-in sample store on an ephemeral loopback port,
// fresh for each test, with a client for each of its users: jones (author
// in Sales, reader in Legal), smith (coordinator of every workspace) and
// guest (reader in Sales).
#ifndef ORVEX_TESTS_SUPPORT_SAMPLE_STORE_H_
#define ORVEX_TESTS_SUPPORT_SAMPLE_STORE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/docstore_client.h"

namespace orvex::docstore::testing {

class SampleStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }

  // (Re)starts the server, on the store kept in `store_dir` when given, and
  // makes the three clients anew.
  void Start(const std::string& store_dir = "") {
    server_ = StartServer("", store_dir);
    jones_ = std::make_unique<Client>(server_->port(), "CORP\\jones", "secret");
    smith_ = std::make_unique<Client>(server_->port(), "CORP\\smith", "secret");
    guest_ = std::make_unique<Client>(server_->port(), "guest", "guest");
  }

  // The one response of a Depth 0 PROPFIND of `target` as `client` sees it
  // (a failure of the test, and an empty response, when there is not one).
  static WireResponse One(Client& client, const std::string& target) {
    auto rows = client.Propfind(target, 0);
    EXPECT_EQ(rows.size(), 1u) << target << " status " << client.last_status();
    return rows.size() == 1 ? rows[0] : WireResponse{};
  }

  std::unique_ptr<Server> server_;
  std::unique_ptr<Client> jones_, smith_, guest_;
};

}  // namespace orvex::docstore::testing

#endif  // ORVEX_TESTS_SUPPORT_SAMPLE_STORE_H_
