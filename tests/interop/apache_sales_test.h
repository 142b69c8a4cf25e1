// The fixture of the tests against Apache mod_dav: a server shared by the
// suite, seeded by the suite's own SetUpTestSuite (which sets server_ and
// makes its tree), and an automation object that every test finds
// connected as CORP\jones with the workspace "Sales" current. Tests skip
// where Apache is not installed.
#ifndef ORVEX_TESTS_INTEROP_APACHE_SALES_TEST_H_
#define ORVEX_TESTS_INTEROP_APACHE_SALES_TEST_H_

#include <gtest/gtest.h>

#include <string>

#include "automation/connect_orvex.h"
#include "platform/host_map.h"
#include "support/apache_server.h"

namespace orvex::automation {

// A PROPPATCH body setting `props`, which may use the prefixes D (DAV:),
// w (workspace), e (exch-data), p (publishing), o (office), x (the values
// of a list) and b (value types).
inline std::string SetProps(const std::string& props) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propertyupdate xmlns:D=\"DAV:\" "
         "xmlns:w=\"urn:schemas-microsoft-com:workspace\" "
         "xmlns:e=\"urn:schemas-microsoft-com:exch-data:\" "
         "xmlns:p=\"urn:schemas-microsoft-com:publishing:\" "
         "xmlns:o=\"urn:schemas-microsoft-com:office:office\" xmlns:x=\"xml:\" "
         "xmlns:b=\"urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/\"><D:set><D:prop>" +
         props + "</D:prop></D:set></D:propertyupdate>";
}

// The dead properties that make /Sales/ a workspace: where its categories
// and its schema are.
inline const std::string kSalesWorkspaceProps =
    "<w:CategoriesFolder>Categories</w:CategoriesFolder>"
    "<e:schema-collection-ref>http://docs/Sales/Schema</e:schema-collection-ref>";

class ApacheSalesTest : public ::testing::Test {
 protected:
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (server_ == nullptr) GTEST_SKIP() << testing::ApacheServer::Unavailable();
    platform::MapHost("docs", {"127.0.0.1", server_->port()});
    docs_.Properties().ShowDialog = false;
    ASSERT_TRUE(docs_.ConnectOpen("docs", "jones", "CORP", "secret")) << docs_.GetLastError();
    ASSERT_TRUE(docs_.DefaultServer().SetWorkspace("Sales")) << docs_.DefaultServer().ErrorCode;
  }
  void TearDown() override { platform::UnmapHost("docs"); }

  // The suite's server; null when Apache is unavailable.
  inline static testing::ApacheServer* server_ = nullptr;
  ConnectOrvex docs_;
};

}  // namespace orvex::automation

#endif  // ORVEX_TESTS_INTEROP_APACHE_SALES_TEST_H_
