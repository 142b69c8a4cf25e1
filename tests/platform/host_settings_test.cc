// Per-host connection settings: the settings file, each key's values, the
// store shared by every thread.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/host_map.h"
#include "platform/host_settings.h"
#include "platform/hosts_file.h"
#include "support/error_of.h"
#include "support/temp_dir.h"

namespace orvex::platform {
namespace {

class HostSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearHostSettings(); }
  void TearDown() override { ClearHostSettings(); }

  std::string Write(const std::string& name, const std::string& text) {
    std::string path = dir_.path() + "/" + name;
    std::ofstream(path) << text;
    return path;
  }

  testing::TempDir dir_{"hosts"};
};

TEST_F(HostSettingsTest, AFileGivesEachHostItsSettingsUnderAnyCase) {
  LoadHostsFile(Write("hosts.conf",
                      "# the company's servers\n"
                      "; another comment\n"
                      "[Docs]\r\n"
                      "url = https://dms.example.com:8443/\r\n"
                      "ca-file=/etc/ssl/company.pem\n"
                      "  verify =  no  \n"
                      "auth = digest, NTLM negotiate\n"
                      "proxy = http://proxy.example.com:3128\n"
                      "proxy-user = jones:se#cret\n"
                      "\n"
                      "[other]\n"
                      "url = http://[::1]:8080\n"
                      "proxy = none\n"
                      "request-timeout = 0\n"
                      "[DOCS]\n"
                      "connect-timeout = 3\n"
                      "stall-timeout = 4\n"
                      "dialect = Apache\n"));
  HostSettings docs = LookupHostSettings("docs");
  ASSERT_TRUE(docs.url);
  EXPECT_EQ(docs.url->scheme, "https");
  EXPECT_EQ(docs.url->host, "dms.example.com");
  EXPECT_EQ(docs.url->port, 8443);
  EXPECT_EQ(docs.ca_file, "/etc/ssl/company.pem");
  EXPECT_FALSE(docs.verify);
  EXPECT_EQ(docs.auth, kAuthDigest | kAuthNtlm | kAuthNegotiate);
  EXPECT_EQ(docs.proxy, "http://proxy.example.com:3128");
  EXPECT_EQ(docs.proxy_user, "jones:se#cret");  // no inline comments: '#' is the password's
  EXPECT_EQ(docs.connect_timeout, 3);
  EXPECT_EQ(docs.stall_timeout, 4);
  EXPECT_EQ(docs.request_timeout, 120);
  EXPECT_EQ(docs.dialect, "apache");

  HostSettings other = LookupHostSettings("OTHER");
  EXPECT_EQ(other.url->Text(), "http://[::1]:8080");
  EXPECT_EQ(other.proxy, "");
  EXPECT_EQ(other.request_timeout, 0);
  EXPECT_TRUE(other.verify);
  EXPECT_FALSE(other.auth);

  HostSettings none = LookupHostSettings("elsewhere");
  EXPECT_FALSE(none.url || none.auth || none.proxy);
  EXPECT_TRUE(none.verify);
  EXPECT_EQ(none.connect_timeout, 10);
  EXPECT_EQ(none.stall_timeout, 30);

  // A later file, or a later call, overrides key by key.
  LoadHostsFile(Write("more.conf", "[docs]\nverify = yes\n"));
  SetHostSetting("DOCS", "auth", "basic");
  docs = LookupHostSettings("docs");
  EXPECT_TRUE(docs.verify);
  EXPECT_EQ(docs.auth, kAuthBasic);
  EXPECT_EQ(docs.url->port, 8443);
  EXPECT_EQ(HostSetting("docs", "auth"), "basic");
  EXPECT_EQ(HostSetting("docs", "dialect"), "Apache");
  RemoveHostSetting("docs", "url");
  EXPECT_FALSE(LookupHostSettings("docs").url);
  EXPECT_TRUE(LookupHostSettings("docs").verify);
}

TEST_F(HostSettingsTest, BadFilesAreRefusedWithTheirLineAndReasonAndChangeNothing) {
  SetHostSetting("docs", "url", "http://127.0.0.1:8080/");
  const struct {
    const char* text;
    const char* error;  // what the message must hold after "FILE:"
  } cases[] = {
      {"[docs]\nurl = http://a/\ncolour = blue\n", "3: unknown key 'colour'"},
      {"url = http://a/\n", "1: 'url' comes before any [hostname] section"},
      {"[docs:8080]\n", "1: 'docs:8080' is not a bare host name"},
      {"[http://docs]\n", "1: 'http://docs' is not a bare host name"},
      {"[docs\n", "1: a section is written [hostname]"},
      {"[docs]\njust words\n", "2: expected [hostname] or key = value"},
      {"[docs]\nverify = maybe\n", "2: bad value 'maybe' for verify"},
      {"[docs]\nverify =\n", "2: bad value '' for verify"},
      {"[docs]\nurl = ftp://a/\n", "2: bad value 'ftp://a/' for url"},
      {"[docs]\nurl = https://a/dav/\n", "no path after the port"},
      {"[docs]\nurl = https://user@a/\n", "only a host and a port"},
      {"[docs]\nurl = https://a:0/\n", "the port must be 1 to 65535"},
      {"[docs]\nurl = https://a:/\n", "empty port"},
      {"[docs]\nauth = basic, kerberos\n", "2: bad value 'basic, kerberos' for auth"},
      {"[docs]\nauth = ,\n", "name at least one method"},
      {"[docs]\nconnect-timeout = 0\n", "whole seconds from 1"},
      {"[docs]\nstall-timeout = 2.5\n", "bad value '2.5' for stall-timeout"},
      {"[docs]\nrequest-timeout = -1\n", "whole seconds from 0"},
      {"[docs]\nproxy = proxy.example.com:3128\n", "a proxy URL"},
      {"[docs]\nproxy-user = :pw\n", "USER or USER:PASSWORD"},
      {"[docs]\ndialect = two words\n", "one name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    // Good lines come first where the case allows it (a section is open).
    const bool prefixed = c.text[0] == '[';
    std::string path =
        Write("bad.conf", std::string(prefixed ? "[docs]\nverify = no\n" : "") + c.text);
    auto e = orvex::testing::Caught<HostSettingsError>([&] { LoadHostsFile(path); });
    ASSERT_TRUE(e) << "accepted";
    const std::string what = e->what();
    EXPECT_EQ(what.rfind(path + ":", 0), 0u) << what;
    std::string expected = c.error;
    if (prefixed && expected[0] >= '0' && expected[0] <= '9')
      expected = std::to_string(std::stoi(expected) + 2) + expected.substr(expected.find(':'));
    EXPECT_NE(what.find(expected), std::string::npos) << what;
    // Nothing of a refused file is used, not even its good lines.
    EXPECT_TRUE(LookupHostSettings("docs").verify);
    EXPECT_EQ(LookupHostSettings("docs").url->port, 8080);
  }
  EXPECT_THROW(LoadHostsFile(dir_.path() + "/missing.conf"), HostSettingsError);
  EXPECT_THROW(SetHostSetting("docs", "colour", "blue"), HostSettingsError);
  EXPECT_THROW(SetHostSetting("do/cs", "url", "http://a/"), HostSettingsError);
}

TEST_F(HostSettingsTest, TheSystemFileComesFirstThenTheUsersThenTheNamedOne) {
  ::setenv("XDG_CONFIG_HOME", "/home/jones/.cfg", 1);
  ::setenv("QZORVEX_HOSTS", "/srv/hosts.conf", 1);
  std::vector<HostsFileName> files = DefaultHostsFiles();
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].path, "/etc/qzorvex/hosts.conf");
  EXPECT_FALSE(files[0].required);
  EXPECT_EQ(files[1].path, "/home/jones/.cfg/qzorvex/hosts.conf");
  EXPECT_FALSE(files[1].required);
  EXPECT_EQ(files[2].path, "/srv/hosts.conf");
  EXPECT_TRUE(files[2].required);

  ::setenv("XDG_CONFIG_HOME", "", 1);
  ::setenv("HOME", "/home/smith", 1);
  ::unsetenv("QZORVEX_HOSTS");
  files = DefaultHostsFiles();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].path, "/home/smith/.config/qzorvex/hosts.conf");

  EXPECT_TRUE(ReadHostsFile(dir_.path() + "/absent.conf", /*missing_ok=*/true).empty());
  EXPECT_THROW(ReadHostsFile(dir_.path() + "/absent.conf"), HostSettingsError);
}

TEST_F(HostSettingsTest, BasicIsLeftOutOnlyInClearToAHostThatIsNotLoopback) {
  HostSettings explicit_basic;
  explicit_basic.auth = kAuthBasic;
  const struct {
    const HostSettings settings;
    const char* scheme;
    const char* host;
    unsigned allowed;
  } cases[] = {
      {{}, "http", "dms.example.com", kAuthAll & ~kAuthBasic},
      {{}, "http", "10.0.0.7", kAuthAll & ~kAuthBasic},
      {{}, "http", "127.0.0.1", kAuthAll},
      {{}, "http", "127.1.2.3", kAuthAll},
      {{}, "http", "LocalHost", kAuthAll},
      {{}, "http", "::1", kAuthAll},
      {{}, "http", "127.0.0.1.example.com", kAuthAll & ~kAuthBasic},
      {{}, "https", "dms.example.com", kAuthAll},
      {explicit_basic, "http", "dms.example.com", kAuthBasic},  // asked for by name
  };
  for (const auto& c : cases)
    EXPECT_EQ(AllowedAuth(c.settings, c.scheme, c.host), c.allowed) << c.scheme << "://" << c.host;
}

TEST_F(HostSettingsTest, TheHostMapIsTheUrlSettingAndKeepsItsOlderForm) {
  EXPECT_EQ(HostUrlFor("127.0.0.1:8080"), "http://127.0.0.1:8080/");
  EXPECT_EQ(HostUrlFor("[::1]:81"), "http://[::1]:81/");
  EXPECT_EQ(HostUrlFor("https://dms.example.com/"), "https://dms.example.com/");
  EXPECT_THROW(HostUrlFor("127.0.0.1"), HostSettingsError);
  EXPECT_THROW(HostUrlFor("https://dms.example.com/dav"), HostSettingsError);
  SetHostSetting("docs", "verify", "no");
  MapHost("Docs", {"::1", 81});
  EXPECT_EQ(LookupHostSettings("docs").url->Text(), "http://[::1]:81");
  EXPECT_EQ(LookupHost("DOCS")->address, "::1");
  UnmapHost("docs");
  EXPECT_FALSE(LookupHost("docs"));
  EXPECT_FALSE(LookupHostSettings("docs").verify);  // only the url went
}

TEST_F(HostSettingsTest, SettingsChangeSafelyWhileOtherThreadsReadThem) {
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r)
    readers.emplace_back([&] {
      while (!stop) {
        HostSettings s = LookupHostSettings("host7");
        if (s.connect_timeout < 1 || s.connect_timeout > 50) ++bad;
        if (s.url && (s.url->port < 1001 || s.url->port > 1050 || s.url->host != "127.0.0.1"))
          ++bad;
      }
    });
  for (int i = 1; i <= 2000; ++i) {
    std::string host = "host" + std::to_string(i % 13);
    SetHostSetting(host, "connect-timeout", std::to_string(i % 50 + 1));
    SetHostSetting(host, "url", "http://127.0.0.1:" + std::to_string(1000 + i % 50 + 1) + "/");
    if (i % 97 == 0) RemoveHostSetting(host, "");
  }
  stop = true;
  for (std::thread& t : readers) t.join();
  EXPECT_EQ(bad, 0);
}

}  // namespace
}  // namespace orvex::platform
