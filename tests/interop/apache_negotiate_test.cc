// Negotiate (Kerberos) against Apache with mod_auth_gssapi, in a realm of
// the test's own: an MIT KDC on loopback, a user and the HTTP service.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "automation/connect_orvex.h"
#include "platform/host_settings.h"
#include "support/apache_server.h"
#include "support/kerberos_realm.h"

namespace orvex::automation {
namespace {

std::string Unavailable() {
  std::string why = testing::ApacheServer::Unavailable();
  if (why.empty()) why = testing::ApacheServer::NegotiateUnavailable();
  if (why.empty()) why = testing::KerberosRealm::Unavailable();
  return why;
}

TEST(ApacheNegotiateTest, AKerberosTicketOpensTheConnectionAndNoTicketIsRefused) {
  if (std::string why = Unavailable(); !why.empty()) GTEST_SKIP() << why;
  testing::KerberosRealm realm;
  ASSERT_TRUE(realm.Start()) << realm.error();
  ASSERT_TRUE(realm.AddUser("jones", "secret")) << realm.error();
  const std::string keytab = realm.AddHttpService("localhost");
  ASSERT_FALSE(keytab.empty()) << realm.error();
  testing::ApacheServer server;
  server.RequireNegotiate(keytab);
  std::filesystem::create_directories(server.root() / "Public/Workspaces");
  ASSERT_TRUE(server.Start());
  platform::ClearHostSettings();
  platform::SetHostSetting("docs", "url", "http://localhost:" + std::to_string(server.port()));

  // Negotiate uses the ticket, not the password the engine holds.
  ASSERT_TRUE(realm.Login("jones", "secret")) << realm.error();
  ConnectOrvex docs;
  docs.Properties().ShowDialog = false;
  EXPECT_TRUE(docs.ConnectOpen("docs", "jones", "ORVEX", "not-used")) << docs.GetLastError();
  docs.ConnectClose();

  // Without a ticket the server's challenge cannot be answered: 1006, as
  // for a wrong password; nor when the settings do not allow Negotiate.
  realm.Logout();
  ConnectOrvex no_ticket;
  no_ticket.Properties().ShowDialog = false;
  EXPECT_FALSE(no_ticket.ConnectOpen("docs", "jones", "ORVEX", "secret"));
  EXPECT_EQ(no_ticket.GetLastError(), 1006);
  ASSERT_TRUE(realm.Login("jones", "secret")) << realm.error();
  platform::SetHostSetting("docs", "auth", "basic, digest");
  ConnectOrvex not_allowed;
  not_allowed.Properties().ShowDialog = false;
  EXPECT_FALSE(not_allowed.ConnectOpen("docs", "jones", "ORVEX", "secret"));
  EXPECT_EQ(not_allowed.GetLastError(), 1006);
  platform::ClearHostSettings();
}

}  // namespace
}  // namespace orvex::automation
