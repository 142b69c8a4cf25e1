// The provider against Apache mod_dav: a WebDAV server nobody here wrote.
//
// The suite starts apache2 from a standalone configuration on a free loopback
// port, serving a fresh directory, and stops it at the end. mod_dav has no
// extended MKCOL (it answers 415), keeps dead properties without their type
// attributes and writes hrefs as paths, so this exercises the fallbacks.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "platform/host_map.h"
#include "server/backend.h"
#include "server/connection.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::server {
namespace {

namespace fs = std::filesystem;

constexpr char kApache[] = "/usr/sbin/apache2";
constexpr char kModules[] = "/usr/lib/apache2/modules";

int FreePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

bool Accepts(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

class ApacheInteropTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (::access(kApache, X_OK) != 0 || !fs::exists(fs::path(kModules) / "mod_dav_fs.so")) return;
    char tmpl[] = "/tmp/orvex-apache-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) return;
    root_ = tmpl;
    fs::create_directories(root_ / "dav/Sales");
    fs::create_directories(root_ / "lock");
    // Run as root, apache serves as www-data, which must own what it writes.
    if (::geteuid() == 0) {
      if (passwd* pw = ::getpwnam("www-data")) {
        for (const fs::path& p : {root_, root_ / "dav", root_ / "dav/Sales", root_ / "lock"})
          if (::chown(p.c_str(), pw->pw_uid, pw->pw_gid) != 0) return;
      }
    }
    port_ = FreePort();
    std::ofstream(root_ / "httpd.conf")
        << "ServerRoot \"" << root_.string() << "\"\n"
        << "ServerName localhost\n"
        << "Listen 127.0.0.1:" << port_ << "\n"
        << "PidFile " << (root_ / "httpd.pid").string() << "\n"
        << "ErrorLog " << (root_ / "error.log").string() << "\n"
        << "LoadModule mpm_event_module " << kModules << "/mod_mpm_event.so\n"
        << "LoadModule authz_core_module " << kModules << "/mod_authz_core.so\n"
        << "LoadModule dav_module " << kModules << "/mod_dav.so\n"
        << "LoadModule dav_fs_module " << kModules << "/mod_dav_fs.so\n"
        << "User www-data\nGroup www-data\n"
        << "DavLockDB " << (root_ / "lock/DavLock").string() << "\n"
        << "DocumentRoot " << (root_ / "dav").string() << "\n"
        << "<Directory " << (root_ / "dav").string() << ">\n"
        << "  Dav On\n  Require all granted\n</Directory>\n";
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server outlives a crashed test
      std::string conf = (root_ / "httpd.conf").string();
      ::execl(kApache, kApache, "-f", conf.c_str(), "-D", "FOREGROUND", nullptr);
      ::_exit(127);
    }
    // Wait (bounded) for the server to listen.
    for (int i = 0; i < 200 && !Accepts(port_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  static void TearDownTestSuite() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    if (!root_.empty()) {
      std::error_code ignored;
      fs::remove_all(root_, ignored);
    }
  }

  void SetUp() override {
    if (pid_ <= 0 || !Accepts(port_)) GTEST_SKIP() << "apache2 with mod_dav is not available";
    platform::MapHost("davhost", {"127.0.0.1", port_});
    connection_ = std::make_unique<Connection>(backend_);
    connection_->SetProvider("MSDAIPP.DSO");
    connection_->SetProperty("Url Encoding", int16_t{1});
    connection_->Open("http://davhost/Sales", "CORP\\jones", "secret", -1);
  }

  void TearDown() override { platform::UnmapHost("davhost"); }

  std::unique_ptr<Item> Create(ItemKind kind, const std::string& url, const char* content_class) {
    auto item = backend_->CreateItem(kind);
    item->SetContentClass(content_class);
    BindArgs a;
    a.url = url;
    a.create_option = 0;
    item->SaveTo(a);
    return item;
  }

  std::unique_ptr<Item> OpenItem(ItemKind kind, const std::string& url) {
    auto item = backend_->CreateItem(kind);
    BindArgs a;
    a.url = url;
    a.active_connection = connection_.get();
    item->Open(a);
    return item;
  }

  static int32_t ErrorOf(const std::function<void()>& call) {
    try {
      call();
    } catch (const Error& e) {
      return e.number();
    }
    return 0;
  }

  static inline fs::path root_;
  static inline int port_ = 0;
  static inline pid_t pid_ = -1;
  std::shared_ptr<Backend> backend_ = WebDavBackend();
  std::unique_ptr<Connection> connection_;
};

TEST_F(ApacheInteropTest, CreatesListsRenamesAndDeletesFolders) {
  Create(ItemKind::kDocumentFolder, "http://davhost/Sales/Plans 2001 \xC3\xBC", kClassSmartFolder);
  Create(ItemKind::kDocumentFolder, "http://davhost/Sales/Archive", kClassKnowledgeFolder);

  auto sales = OpenItem(ItemKind::kWorkspaceFolder, "http://davhost/Sales");
  Recordset rows = sales->ListSubfolders();
  std::map<std::string, std::string> classes;
  for (; !rows.Eof(); rows.MoveNext())
    classes[rows.Current().Value(kColDisplayName).ToString()] =
        rows.Current().Value(kColContentClass).ToString();
  EXPECT_EQ(classes,
            (std::map<std::string, std::string>{{"Archive", kClassKnowledgeFolder},
                                                {"Plans 2001 \xC3\xBC", kClassSmartFolder}}));

  auto plans = OpenItem(ItemKind::kDocumentFolder, "http://davhost/Sales/Plans 2001 \xC3\xBC");
  EXPECT_EQ(plans->GetFields().Value(kColIsCollection), Variant(true));
  EXPECT_EQ(ErrorOf([&] { plans->MoveTo("http://davhost/Sales/Archive"); }), kErrAlreadyExists);
  plans->MoveTo("http://davhost/Sales/Plans #2");
  EXPECT_EQ(OpenItem(ItemKind::kDocumentFolder, "http://davhost/Sales/Plans #2")->ContentClass(),
            kClassSmartFolder);
  EXPECT_EQ(ErrorOf([&] {
              OpenItem(ItemKind::kDocumentFolder, "http://davhost/Sales/Plans 2001 \xC3\xBC");
            }),
            kErrObjectNotFound);

  EXPECT_EQ(ErrorOf([&] {
              Create(ItemKind::kDocumentFolder, "http://davhost/Sales/Archive", kClassSmartFolder);
            }),
            kErrAlreadyExists);
  EXPECT_EQ(ErrorOf([&] {
              Create(ItemKind::kDocumentFolder, "http://davhost/Sales/Missing/Child",
                     kClassSmartFolder);
            }),
            kErrObjectNotFound);

  plans->Delete("");
  OpenItem(ItemKind::kDocumentFolder, "http://davhost/Sales/Archive")->Delete("");
  EXPECT_EQ(sales->ListSubfolders().size(), 0u);
}

TEST_F(ApacheInteropTest, PropertiesWrittenComeBackReadable) {
  auto folder =
      Create(ItemKind::kCategoryFolder, "http://davhost/Sales/Europe", kClassCategoryFolder);
  Fields& f = folder->GetFields();
  f.SetValue(kPropDescription, "Sales <Europe> & more");
  f.SetValue(kPropKeywords, VariantArray{"north", "south"});
  f.SetValue(kPropIsHidden, true);
  f.Update();

  auto again = OpenItem(ItemKind::kCategoryFolder, "http://davhost/Sales/Europe");
  const Fields& g = again->GetFields();
  EXPECT_EQ(g.Value(kPropDescription), Variant("Sales <Europe> & more"));
  EXPECT_EQ(g.Value(kPropKeywords), Variant(VariantArray{"north", "south"}));
  // mod_dav drops the type attribute; the flag still reads True.
  EXPECT_EQ(g.Value(kColIsHidden), Variant(true));

  f.SetValue(kPropDescription, Null{});
  f.Update();
  EXPECT_TRUE(OpenItem(ItemKind::kCategoryFolder, "http://davhost/Sales/Europe")
                  ->GetFields()
                  .Value(kPropDescription)
                  .IsNull());
  folder->Delete("");
}

}  // namespace
}  // namespace orvex::server
