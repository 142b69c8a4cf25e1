// An upload whose client dies in the middle: the console uploads a large
// file through a relay that stops forwarding after a fixed number of bytes,
// so the client is killed (SIGKILL) at exactly that point of its PUT. Other
// users must never see a half-written document, the store must keep no
// piece of the interrupted body, no check-out may be left behind, and the
// next upload must work.
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/error_codes.h"
#include "integration/docstore_fixture.h"
#include "server/names.h"
#include "support/temp_dir.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr size_t kFileSize = 24u << 20;  // a PUT body of 24 MiB
constexpr size_t kHoldAfter = 6u << 20;  // the server receives 6 MiB of it

// A loopback relay to the docstore that forwards what clients send until a
// total of `limit` bytes has passed, then holds every further byte until
// Drop() closes all its connections. Answers flow freely.
class HoldingRelay {
 public:
  HoldingRelay(uint16_t target, size_t limit) : target_(target), limit_(limit) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      throw std::runtime_error("relay: cannot listen");
    port_ = ntohs(a.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
  }
  ~HoldingRelay() {
    Drop();
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    acceptor_.join();
    for (std::thread& t : pumps_) t.join();
    for (int fd : sockets_) ::close(fd);
  }

  uint16_t port() const { return port_; }
  // Waits until the limit has been forwarded; false on timeout.
  bool WaitHolding(std::chrono::seconds timeout) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout, [&] { return forwarded_ == limit_; });
  }
  // Closes every relayed connection at both ends.
  void Drop() {
    std::lock_guard lock(mutex_);
    dropped_ = true;
    for (int fd : sockets_) ::shutdown(fd, SHUT_RDWR);
    cv_.notify_all();
  }

 private:
  void Accept() {
    for (;;) {
      int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a.sin_port = htons(target_);
      if (::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(client);
        ::close(server);
        continue;
      }
      std::lock_guard lock(mutex_);
      if (dropped_) {
        ::close(client);
        ::close(server);
        return;
      }
      sockets_.insert(sockets_.end(), {client, server});
      pumps_.emplace_back([this, client, server] { Forward(client, server); });
      pumps_.emplace_back([this, client, server] { Answer(server, client); });
    }
  }
  // Client to server, counted, up to the limit.
  void Forward(int from, int to) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
      size_t room;
      {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return dropped_ || forwarded_ < limit_; });
        if (dropped_) return;
        room = std::min(buffer.size(), limit_ - forwarded_);
      }
      const ssize_t n = ::recv(from, buffer.data(), room, 0);
      if (n <= 0 || !SendAll(to, buffer.data(), static_cast<size_t>(n))) {
        ::shutdown(to, SHUT_WR);
        return;
      }
      std::lock_guard lock(mutex_);
      forwarded_ += static_cast<size_t>(n);
      cv_.notify_all();
    }
  }
  static void Answer(int from, int to) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
      const ssize_t n = ::recv(from, buffer.data(), buffer.size(), 0);
      if (n <= 0 || !SendAll(to, buffer.data(), static_cast<size_t>(n))) {
        ::shutdown(to, SHUT_WR);
        return;
      }
    }
  }
  static bool SendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
      const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
      if (n <= 0) return false;
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  uint16_t target_;
  size_t limit_;
  uint16_t port_ = 0;
  int listener_ = -1;
  std::mutex mutex_;
  std::condition_variable cv_;
  size_t forwarded_ = 0;
  bool dropped_ = false;
  std::vector<int> sockets_;
  std::thread acceptor_;
  std::vector<std::thread> pumps_;
};

class UploadCrashHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    docstore::ServerOptions options = StoreOptions();
    options.store_dir = docstore::testing::StoreLocation(dir_ + "/store");
    StartStore(options);
    std::ofstream out(dir_ + "/big.txt", std::ios::binary);
    const std::string block(1 << 20, 'x');
    for (size_t i = 0; i < kFileSize / block.size(); ++i) out << block;
  }

  // Files in the store's content directory: stored contents and bodies
  // still arriving.
  size_t ContentFiles() const {
    size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir_ + "/store/content"))
      if (e.is_regular_file()) ++n;
    return n;
  }

  // The console uploads big.txt as `name` into Reports through the relay,
  // with check-in and publishing, replacing an existing document; it is
  // killed once the server has received kHoldAfter bytes. True when it was
  // killed there.
  bool UploadAndKill(const std::string& name) {
    fs::create_symlink(dir_ + "/big.txt", dir_ + "/" + name);
    const std::string script = dir_ + "/upload.vbs";
    std::ofstream(script) << "Set cx = CreateObject(\"Linkora.ConnectOrvex\")\n"
                             "cx.ShowDialog = False\n"
                             "cx.ConnectOpen \"docs\", \"jones\", \"CORP\", \"secret\"\n"
                             "cx.SetWorkspace \"Sales\"\n"
                             "cx.OverWrite = 3\n"
                             "cx.AddCheckIn = True\n"
                             "cx.AddPublish = True\n"
                          << "cx.SaveFile \"Reports\", \"" << dir_ << "\", \"" << name << "\"\n";
    HoldingRelay relay(store_->port(), kHoldAfter);
    const std::string hosts = dir_ + "/hosts.conf";
    std::ofstream(hosts) << HostSection("docs", relay.port());
    const pid_t child = ::fork();
    if (child == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execl(ORVEX_CONSOLE, ORVEX_CONSOLE, "--ui", "headless", "--hosts", hosts.c_str(),
              script.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    const bool holding = relay.WaitHolding(60s);
    // Mid-upload, as another user sees it.
    if (holding) Midway(name);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    relay.Drop();
    return holding && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }

  // What another user sees, checked while the body is arriving and after.
  virtual void Midway(const std::string& name) = 0;

  static int16_t Status(automation::ConnectOrvex& obj, const std::string& file) {
    return Call(obj, "IsFileStatus", {Variant("Reports"), Variant(file)}).ToInt16();
  }
  std::string Length(automation::ConnectOrvex& obj, const std::string& file) {
    auto document = obj.DefaultServer().backend().CreateItem(server::ItemKind::kDocument);
    document->OpenDocument("http://docs/Sales/Reports/" + file, 0x10000000);
    return document->GetFields().Value("DAV:getcontentlength").ToString();
  }
  std::unique_ptr<automation::ConnectOrvex> Connected(const std::string& user) {
    auto obj = NewObject();
    EXPECT_TRUE(obj->ConnectOpen("docs", user, "CORP", "secret"));
    EXPECT_EQ(Call(*obj, "SetWorkspace", {Variant("Sales")}), Variant(true));
    return obj;
  }
  // Waits until the store holds `files` content files again (the server
  // drops an interrupted body when it sees the connection end).
  bool ContentFilesBecome(size_t files) {
    for (int i = 0; i < 500; ++i) {
      if (ContentFiles() == files) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  TempDir temp_{"crash"};
  const std::string& dir_ = temp_.path();
};

class NewDocument : public UploadCrashHttpTest {
 protected:
  void Midway(const std::string& name) override {
    auto smith = Connected("smith");
    EXPECT_EQ(Status(*smith, name), engine::kStatusUnknown);
    EXPECT_EQ(ContentFiles(), before_ + 1);  // the body arriving, apart
  }
  size_t before_ = 0;
};

TEST_F(NewDocument, KilledMidUploadLeavesNothingAndTheNextUploadWorks) {
  before_ = ContentFiles();
  ASSERT_TRUE(UploadAndKill("fresh.txt"));
  EXPECT_TRUE(ContentFilesBecome(before_));
  auto smith = Connected("smith");
  auto jones = Connected("jones");
  EXPECT_EQ(Status(*smith, "fresh.txt"), engine::kStatusUnknown);
  EXPECT_EQ(Status(*jones, "fresh.txt"), engine::kStatusUnknown);

  jones->Properties().AddCheckIn = true;
  jones->Properties().AddPublish = true;
  EXPECT_EQ(Call(*jones, "SaveFile", {Variant("Reports"), Variant(dir_), Variant("fresh.txt")}),
            Variant(true))
      << jones->GetLastError();
  EXPECT_EQ(Status(*smith, "fresh.txt"), engine::kStatusApproved);
  EXPECT_EQ(Length(*smith, "fresh.txt"), std::to_string(kFileSize));
}

class ExistingDocument : public UploadCrashHttpTest {
 protected:
  void Midway(const std::string& name) override {
    auto smith = Connected("smith");
    EXPECT_EQ(Status(*smith, name), engine::kStatusApproved);
    EXPECT_EQ(Length(*smith, name), old_length_);
  }
  std::string old_length_;
};

TEST_F(ExistingDocument, KilledMidReplacementKeepsTheOldContentAndNoCheckOut) {
  auto jones = Connected("jones");
  ASSERT_EQ(Status(*jones, "q1.txt"), engine::kStatusApproved);
  old_length_ = Length(*jones, "q1.txt");
  const size_t before = ContentFiles();
  ASSERT_TRUE(UploadAndKill("q1.txt"));
  EXPECT_TRUE(ContentFilesBecome(before));
  // Still approved, not checked out to the killed writer, old content.
  EXPECT_EQ(Status(*jones, "q1.txt"), engine::kStatusApproved);
  EXPECT_EQ(Length(*jones, "q1.txt"), old_length_);

  jones->Properties().OverWrite = 3;
  EXPECT_EQ(Call(*jones, "SaveFile", {Variant("Reports"), Variant(dir_), Variant("q1.txt")}),
            Variant(true))
      << jones->GetLastError();
  EXPECT_EQ(Status(*jones, "q1.txt"), engine::kStatusCheckedOutByMe);
}

}  // namespace
}  // namespace orvex::testing
