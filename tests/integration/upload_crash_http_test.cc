// An upload whose client dies in the middle: the console uploads a large
// file through a relay that stops forwarding after a fixed number of bytes,
// so the client is killed (SIGKILL) at exactly that point of its PUT. Other
// users must never see a half-written document, the store must keep no
// piece of the interrupted body, no check-out may be left behind, and the
// next upload must work.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "docstore/pg_db.h"
#include "engine/error_codes.h"
#include "integration/docstore_fixture.h"
#include "server/names.h"
#include "support/holding_relay.h"
#include "support/temp_dir.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr size_t kFileSize = 24u << 20;  // a PUT body of 24 MiB
constexpr size_t kHoldAfter = 6u << 20;  // the server receives 6 MiB of it

class UploadCrashHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    const docstore::ServerOptions options = StoreOptions(dir_ + "/store");
    location_ = options.store_dir;
    StartStore(options);
    std::ofstream out(dir_ + "/big.txt", std::ios::binary);
    const std::string block(1 << 20, 'x');
    for (size_t i = 0; i < kFileSize / block.size(); ++i) out << block;
  }

  // Pieces of content the store keeps. On SQLite, files in its content
  // directory: stored contents and bodies still arriving. On PostgreSQL,
  // the contents in the database (in parts or whole): a body still
  // arriving waits outside it and is not counted.
  size_t ContentPieces() const {
    if (docstore::testing::StoreInPostgres()) {
      docstore::PgDb db(location_);
      auto count = db.Prepare(
          "SELECT (SELECT COUNT(DISTINCT content) FROM content_parts) + "
          "(SELECT COUNT(*) FROM contents)");
      count->Step();
      return static_cast<size_t>(count->Int(0));
    }
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
    HoldingRelay relay(store_->port());
    relay.HoldAfter(kHoldAfter);
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
    const bool holding = relay.WaitHeld(60s);
    // Mid-upload, as another user sees it.
    if (holding) Midway(name);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
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
  // Waits until the store holds `pieces` pieces of content again (the server
  // drops an interrupted body when it sees the connection end).
  bool ContentPiecesBecome(size_t pieces) {
    for (int i = 0; i < 500; ++i) {
      if (ContentPieces() == pieces) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  TempDir temp_{"crash"};
  const std::string& dir_ = temp_.path();
  std::string location_;  // the store's folder or database
};

class NewDocument : public UploadCrashHttpTest {
 protected:
  void Midway(const std::string& name) override {
    auto smith = Connected("smith");
    EXPECT_EQ(Status(*smith, name), engine::kStatusUnknown);
    // The body arriving, apart (outside a PostgreSQL store's database).
    EXPECT_EQ(ContentPieces(), before_ + (docstore::testing::StoreInPostgres() ? 0 : 1));
  }
  size_t before_ = 0;
};

TEST_F(NewDocument, KilledMidUploadLeavesNothingAndTheNextUploadWorks) {
  before_ = ContentPieces();
  ASSERT_TRUE(UploadAndKill("fresh.txt"));
  EXPECT_TRUE(ContentPiecesBecome(before_));
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
  const size_t before = ContentPieces();
  ASSERT_TRUE(UploadAndKill("q1.txt"));
  EXPECT_TRUE(ContentPiecesBecome(before));
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
