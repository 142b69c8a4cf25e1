// A store on disk: everything survives a restart, and a server killed with
// SIGKILL in the middle of uploads loses nothing it acknowledged and shows
// nothing half-written.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "docstore/sqlite_db.h"
#include "support/docstore_client.h"
#include "support/raw_connection.h"
#include "support/temp_dir.h"

namespace orvex::docstore::testing {
namespace {

namespace fs = std::filesystem;
using orvex::testing::TempDir;

// Mounts a file system of `bytes` over `dir`, seen by this process alone (a
// mount namespace of its own; a user namespace too when not run as root).
// Only async-signal-safe calls: it runs in a child forked from a process
// with threads.
bool MountPrivateDisk(const char* dir, const char* options) {
  uid_t uid = ::geteuid();
  gid_t gid = ::getegid();
  if (::unshare(CLONE_NEWNS | (uid == 0 ? 0 : CLONE_NEWUSER)) != 0) return false;
  if (uid != 0) {
    char map[64];
    auto write_file = [](const char* path, const char* text, size_t size) {
      int fd = ::open(path, O_WRONLY);
      bool ok = fd >= 0 && ::write(fd, text, size) == static_cast<ssize_t>(size);
      if (fd >= 0) ::close(fd);
      return ok;
    };
    int n = std::snprintf(map, sizeof map, "0 %u 1", static_cast<unsigned>(uid));
    if (!write_file("/proc/self/setgroups", "deny", 4) ||
        !write_file("/proc/self/uid_map", map, static_cast<size_t>(n)))
      return false;
    n = std::snprintf(map, sizeof map, "0 %u 1", static_cast<unsigned>(gid));
    if (!write_file("/proc/self/gid_map", map, static_cast<size_t>(n))) return false;
  }
  return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("tmpfs", dir, "tmpfs", 0, options) == 0;
}

constexpr char kNoPrivateDisk[] = "no private disk";

// The orvex-docstore executable, run as a child process so it can be killed.
class ServerProcess {
 public:
  // With `disk_bytes`, the store is kept on a file system of that size of
  // its own, mounted over the store's parent folder, so a test can fill it;
  // where the machine does not allow that, the constructor throws with
  // kNoPrivateDisk in its message.
  explicit ServerProcess(const std::string& store_dir, size_t disk_bytes = 0) {
    const std::string parent = fs::path(store_dir).parent_path().string();
    const std::string disk = "size=" + std::to_string(disk_bytes) + ",mode=0700";
    const std::string location = StoreLocation(store_dir);
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      if (disk_bytes > 0 && !MountPrivateDisk(parent.c_str(), disk.c_str())) {
        (void)!::write(1, kNoPrivateDisk, sizeof kNoPrivateDisk - 1);
        ::_exit(77);
      }
      ::execl(ORVEX_DOCSTORE_BINARY, ORVEX_DOCSTORE_BINARY, "--listen", "127.0.0.1:0", "--store",
              location.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
    std::string line;
    char c;
    while (::read(out_, &c, 1) == 1 && c != '\n') line += c;
    first_line_ = line;
    auto colon = line.rfind(':');
    if (line.rfind("listening on ", 0) != 0 || colon == std::string::npos)
      throw std::runtime_error("server did not start: " + line);
    port_ = static_cast<uint16_t>(std::stoi(line.substr(colon + 1)));
  }
  ~ServerProcess() {
    Kill(SIGTERM);
    ::close(out_);
  }

  // Sends `signal`, waits for the process and returns its wait status.
  int Kill(int signal) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }
  // Everything the process wrote to stdout after its first line (call after
  // Kill).
  std::string RestOfOutput() {
    std::string rest;
    char buf[256];
    ssize_t n;
    while ((n = ::read(out_, buf, sizeof buf)) > 0) rest.append(buf, static_cast<size_t>(n));
    return rest;
  }
  const std::string& first_line() const { return first_line_; }
  uint16_t port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  uint16_t port_ = 0;
  std::string first_line_;
};

// `size` bytes of `tag` over and over: content that tells documents apart.
std::string Filled(const std::string& tag, size_t size) {
  std::string body;
  while (body.size() < size) body += tag;
  body.resize(size);
  return body;
}

std::string Body(int n, size_t size) { return Filled("document " + std::to_string(n) + ";", size); }

TEST(PersistenceTest, ExecutableAnnouncesItsAddressAndStopsCleanlyOnSignals) {
  for (int signal : {SIGINT, SIGTERM}) {
    TempDir dir;
    ServerProcess server(dir.path());
    EXPECT_EQ(server.first_line(), "listening on 127.0.0.1:" + std::to_string(server.port()));
    Client jones(server.port(), "CORP\\jones", "secret");
    EXPECT_EQ(jones.Send("PUT", "/Sales/Archive/kept.txt", {}, "kept").status, 201);
    // An open keep-alive connection does not hold the stop up.
    int status = server.Kill(signal);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string rest = server.RestOfOutput();
    EXPECT_EQ(rest, "stopped\n");
    EXPECT_EQ(rest.find("secret"), std::string::npos);
    ServerProcess again(dir.path());
    Client reader(again.port(), "CORP\\jones", "secret");
    EXPECT_EQ(reader.Send("GET", "/Sales/Archive/kept.txt").body, "kept");
  }
}

TEST(PersistenceTest, AFullDiskAnswers507ChangesNothingAndStillLetsDocumentsBeDeleted) {
  if (StoreInPostgres()) GTEST_SKIP() << "the disk that fills is the database server's";
  TempDir dir;
  std::unique_ptr<ServerProcess> server;
  try {
    server = std::make_unique<ServerProcess>(dir.path() + "/store", 3u << 20);
  } catch (const std::runtime_error& e) {
    if (std::string(e.what()).find(kNoPrivateDisk) == std::string::npos) throw;
    GTEST_SKIP() << "this machine allows no file system of a test's own";
  }
  Client jones(server->port(), "CORP\\jones", "secret");
  auto name = [](int n) { return "/Sales/Archive/fill" + std::to_string(n) + ".txt"; };
  int stored = 0;
  int status = 0;
  while (stored < 40 &&
         (status = jones.Send("PUT", name(stored), {}, Body(stored, 200000)).status) == 201)
    ++stored;
  ASSERT_EQ(status, 507) << "after " << stored << " uploads";
  ASSERT_GE(stored, 2);
  // The refused upload left nothing.
  EXPECT_EQ(jones.Send("GET", name(stored)).status, 404);
  // Deleting, which frees space, still goes through, and then uploads do.
  EXPECT_EQ(jones.Send("DELETE", name(0)).status, 204);
  EXPECT_EQ(jones.Send("DELETE", name(1)).status, 204);
  EXPECT_EQ(jones.Send("PUT", name(stored), {}, Body(stored, 200000)).status, 201);
  for (int n = 2; n <= stored; ++n)
    EXPECT_EQ(jones.Send("GET", name(n)).body, Body(n, 200000)) << n;
}

// What the kill test below does not make: a check-out's working copy, and
// a seed given to a store that is not new.
TEST(PersistenceTest, ACheckOutSurvivesARestartAndTheSeedOfAStoreIsIgnored) {
  TempDir dir;
  std::string wc_path;
  {
    auto server = StartServer("", dir.path());
    Client jones(server->port(), "CORP\\jones", "secret");
    ASSERT_EQ(jones.Send("CHECKOUT", "/Sales/Reports/forecast.txt").status, 200);
    ASSERT_EQ(jones.Send("PUT", "/Sales/Reports/forecast.txt", {}, "edited forecast").status, 204);
    auto rows = jones.Propfind("/Sales/Reports/forecast.txt", 0);
    ASSERT_EQ(rows.size(), 1u);
    wc_path = rows[0].Text("urn:schemas-microsoft-com:publishing:WorkingCopy").value_or("");
    wc_path = wc_path.substr(std::string("http://docs").size());
    server->Stop();
  }
  auto server = StartServer(R"({"users": [{"name": "x", "password": "y"}]})", dir.path());
  Client jones(server->port(), "CORP\\jones", "secret");
  auto forecast = jones.Propfind("/Sales/Reports/forecast.txt", 0);
  ASSERT_EQ(forecast.size(), 1u);
  EXPECT_EQ(forecast[0].Text("urn:schemas-microsoft-com:publishing:checkedoutby"), "CORP\\jones");
  EXPECT_EQ(jones.Send("GET", wc_path).body, "edited forecast");
  auto history = jones.Send("REPORT", "/Sales/Reports/forecast.txt", {},
                            "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>");
  EXPECT_EQ(ParseMultistatus(history.body).size(), 3u);
}

// Small content is kept in the database, large content in a file of its own;
// whichever it is, it reads back whole, a rewrite may move a document from
// one to the other, and content nothing refers to any more goes: at once
// when a request drops it, at the next start when an older run left it.
TEST(PersistenceTest, ContentInTheDatabaseOrInFilesReadsBackAndGoesWhenUnreferenced) {
  if (StoreInPostgres()) GTEST_SKIP() << "counts a SQLite store's files and rows";
  TempDir dir;
  constexpr size_t kLimit = 64 * 1024;
  auto content_files = [&] {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir.path() + "/content"))
      n += entry.is_regular_file();
    return n;
  };
  auto content_rows = [&] {
    SqliteDb db(dir.path() + "/docstore.db");
    auto count = db.Prepare("SELECT COUNT(*) FROM contents");
    count->Step();
    return count->Int(0);
  };
  auto path = [](size_t size) { return "/Sales/Archive/s-" + std::to_string(size) + ".bin"; };
  const size_t sizes[] = {0, 1, kLimit, kLimit + 1, 300000};
  int64_t seeded_rows = 0;
  {
    auto server = StartServer("", dir.path());
    seeded_rows = content_rows();
    EXPECT_GT(seeded_rows, 0);  // the sample store's documents
    EXPECT_EQ(content_files(), 0);
    Client jones(server->port(), "CORP\\jones", "secret");
    for (size_t size : sizes) {
      ASSERT_EQ(jones.Send("PUT", path(size), {}, Body(static_cast<int>(size), size)).status, 201);
      auto got = jones.Send("GET", path(size));
      EXPECT_EQ(got.status, 200);
      EXPECT_EQ(got.body, Body(static_cast<int>(size), size)) << size;
      EXPECT_EQ(jones.Send("HEAD", path(size)).Header("content-length"), std::to_string(size));
    }
    // A chunked body whose length is unknown until it has crossed the limit.
    std::string chunk(50000, 'c');
    std::string reply = SendRaw(
        server->port(), "PUT /Sales/Archive/chunked.bin HTTP/1.1\r\nHost: docs\r\n" +
                            std::string(kJonesAuth) +
                            "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\nc350\r\n" +
                            chunk + "\r\nc350\r\n" + chunk + "\r\n0\r\n\r\n");
    EXPECT_EQ(reply.rfind("HTTP/1.1 201", 0), 0u) << reply.substr(0, 200);
    EXPECT_EQ(jones.Send("GET", "/Sales/Archive/chunked.bin").body, chunk + chunk);
    EXPECT_EQ(content_files(), 3);
    EXPECT_EQ(content_rows(), seeded_rows + 2);

    // Large to small and small to large: the old content goes with it.
    ASSERT_EQ(jones.Send("PUT", path(300000), {}, "now small").status, 204);
    ASSERT_EQ(jones.Send("PUT", path(1), {}, std::string(100000, 'L')).status, 204);
    EXPECT_EQ(jones.Send("GET", path(300000)).body, "now small");
    EXPECT_EQ(jones.Send("GET", path(1)).body, std::string(100000, 'L'));
    ASSERT_EQ(jones.Send("DELETE", path(kLimit)).status, 204);
    ASSERT_EQ(jones.Send("DELETE", "/Sales/Archive/chunked.bin").status, 204);
    EXPECT_EQ(content_files(), 2);
    EXPECT_EQ(content_rows(), seeded_rows + 1);
    server->Stop();
  }
  // Content an older run left behind without a reference.
  {
    SqliteDb db(dir.path() + "/docstore.db");
    db.Exec("INSERT INTO contents(data) VALUES(x'6f727068616e')");
  }
  auto server = StartServer("", dir.path());
  EXPECT_EQ(content_rows(), seeded_rows + 1);
  EXPECT_EQ(content_files(), 2);
  Client jones(server->port(), "CORP\\jones", "secret");
  EXPECT_EQ(jones.Send("GET", path(300000)).body, "now small");
  EXPECT_EQ(jones.Send("GET", path(1)).body, std::string(100000, 'L'));
  EXPECT_EQ(jones.Send("GET", path(kLimit + 1)).body, Body(kLimit + 1, kLimit + 1));
  EXPECT_EQ(jones.Send("GET", "/Sales/readme.txt").status, 200);
}

// One kind of change the kill test below makes over and over, each time on
// a target of its own (`base`, a path without a trailing slash), and how to
// tell after a restart whether it is wholly there, wholly not, or half.
struct Change {
  const char* method;
  // Makes `base` ready for the change; false when the server refused.
  std::function<bool(Client&, const std::string& base)> prepare;
  // Makes the change; true when the server acknowledged it.
  std::function<bool(Client&, const std::string& base)> apply;
  // "after" (wholly made), "before" (wholly not), or what is half there.
  std::function<std::string(Client&, const std::string& base)> state;
};

constexpr char kPub[] = "urn:schemas-microsoft-com:publishing:";
constexpr const char* kTreeDocuments[] = {"a.txt", "b.txt", "big.bin"};

// The documents of a folder the tree changes work on: two kept in the
// database, one (200 KiB) in a content file or in parts.
std::string TreeBody(const std::string& base, int i) {
  return Filled(base + "/" + kTreeDocuments[i] + ";", i == 2 ? 200 * 1024 : 3000);
}

bool MakeTree(Client& c, const std::string& base) {
  if (c.Send("MKCOL", base + "/").status != 201) return false;
  for (int i = 0; i < 3; ++i)
    if (c.Send("PUT", base + "/" + kTreeDocuments[i], {}, TreeBody(base, i)).status != 201)
      return false;
  return true;
}

// "whole" when `folder` holds the documents of the tree made at `base`,
// "absent" when neither it nor any of them is there.
std::string TreeAt(Client& c, const std::string& folder, const std::string& base) {
  const bool exists = c.Send("PROPFIND", folder + "/", {{"Depth", "0"}}).status == 207;
  int whole = 0;
  int absent = 0;
  for (int i = 0; i < 3; ++i) {
    auto r = c.Send("GET", folder + "/" + kTreeDocuments[i]);
    whole += r.status == 200 && r.body == TreeBody(base, i);
    absent += r.status == 404;
  }
  if (exists && whole == 3) return "whole";
  if (!exists && absent == 3) return "absent";
  return folder + ": folder " + (exists ? "there" : "gone") + ", " + std::to_string(whole) +
         " documents whole, " + std::to_string(absent) + " gone";
}

// Version `v` of the document the uploads write at `base`.bin: 16 KiB, kept
// in the database, or, for targets whose number ends odd, 200 KiB, kept in a
// file of its own.
std::string Upload(const std::string& base, int v) {
  return Filled(base + " v" + std::to_string(v) + ";",
                (base.back() - '0') % 2 ? 200 * 1024 : 16 * 1024);
}

// "after" when `base`.bin holds version 1 whole and reports its length,
// "before" when it holds version 0 (`replaced`) or is not there (new).
std::string Uploaded(Client& c, const std::string& base, bool replaced) {
  auto r = c.Send("GET", base + ".bin");
  if (r.status == 404 && !replaced) return "before";
  auto rows = c.Propfind(base + ".bin", 0);
  const std::string length =
      rows.size() == 1 ? rows[0].Text("DAV:getcontentlength").value_or("") : "";
  const std::string seen =
      std::to_string(r.status) + ", " + std::to_string(r.body.size()) + " bytes, length " + length;
  if (r.status != 200 || length != std::to_string(r.body.size())) return seen;
  if (r.body == Upload(base, 1)) return "after";
  if (replaced && r.body == Upload(base, 0)) return "before";
  return seen + ", not a version written";
}

bool PutDocument(Client& c, const std::string& base) {
  return c.Send("PUT", base + ".txt", {}, base).status == 201;
}

std::string Destination(const std::string& path) { return "http://docs" + path; }

// The state of a document of an enhanced folder, its version and how many
// versions it has.
std::string LifeState(Client& c, const std::string& doc) {
  auto rows = c.Propfind(doc, 0);
  if (rows.size() != 1) return "missing";
  auto history = c.Send("REPORT", doc, {{"Content-Type", "application/xml"}},
                        "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>");
  const size_t versions = history.status == 207 ? ParseMultistatus(history.body).size() : 0;
  return rows[0].Text(std::string(kPub) + "documentstate").value_or("") + " " +
         rows[0].Text(std::string(kPub) + "FriendlyVersionID").value_or("-") + " " +
         std::to_string(versions) + " " + c.Send("GET", doc).body;
}

const Change kChanges[] = {
    {"COPY", MakeTree,
     [](Client& c, const std::string& base) {
       return c.Send("COPY", base + "/", {{"Destination", Destination(base + "-copy/")}}).status ==
              201;
     },
     [](Client& c, const std::string& base) -> std::string {
       std::string source = TreeAt(c, base, base);
       if (source != "whole") return source;
       std::string copy = TreeAt(c, base + "-copy", base);
       return copy == "whole" ? "after" : copy == "absent" ? "before" : copy;
     }},
    {"MOVE", MakeTree,
     [](Client& c, const std::string& base) {
       return c.Send("MOVE", base + "/", {{"Destination", Destination(base + "-moved/")}}).status ==
              201;
     },
     [](Client& c, const std::string& base) -> std::string {
       std::string source = TreeAt(c, base, base);
       std::string moved = TreeAt(c, base + "-moved", base);
       if (source == "whole" && moved == "absent") return "before";
       if (source == "absent" && moved == "whole") return "after";
       return source + " / " + moved;
     }},
    {"DELETE", MakeTree,
     [](Client& c, const std::string& base) { return c.Send("DELETE", base + "/").status == 204; },
     [](Client& c, const std::string& base) -> std::string {
       std::string tree = TreeAt(c, base, base);
       return tree == "whole" ? "before" : tree == "absent" ? "after" : tree;
     }},
    // Uploads: a new document, and a replaced one.
    {"PUT", [](Client&, const std::string&) { return true; },
     [](Client& c, const std::string& base) {
       return c.Send("PUT", base + ".bin", {}, Upload(base, 1)).status == 201;
     },
     [](Client& c, const std::string& base) { return Uploaded(c, base, false); }},
    {"REPLACE",
     [](Client& c, const std::string& base) {
       return c.Send("PUT", base + ".bin", {}, Upload(base, 0)).status == 201;
     },
     [](Client& c, const std::string& base) {
       return c.Send("PUT", base + ".bin", {}, Upload(base, 1)).status == 204;
     },
     [](Client& c, const std::string& base) { return Uploaded(c, base, true); }},
    // Two properties in one update: both or neither.
    {"PROPPATCH", PutDocument,
     [](Client& c, const std::string& base) {
       const std::string value = "<D:prop><A xmlns=\"urn:example:kill:\">" + base +
                                 "</A><B xmlns=\"urn:example:kill:\">" + base + "</B></D:prop>";
       return c.Send("PROPPATCH", base + ".txt", {{"Content-Type", "application/xml"}},
                     "<D:propertyupdate xmlns:D=\"DAV:\"><D:set>" + value +
                         "</D:set></D:propertyupdate>")
                  .status == 207;
     },
     [](Client& c, const std::string& base) -> std::string {
       auto rows = c.Propfind(base + ".txt", 0);
       if (rows.size() != 1) return "missing";
       auto a = rows[0].Text("urn:example:kill:A");
       auto b = rows[0].Text("urn:example:kill:B");
       if (!a && !b) return "before";
       if (a == base && b == base) return "after";
       return "A " + a.value_or("-") + ", B " + b.value_or("-");
     }},
    // In the enhanced folder: a new document is checked out to its writer.
    {"CHECKIN", PutDocument,
     [](Client& c, const std::string& base) {
       return c.Send("CHECKIN", base + ".txt").status == 201;
     },
     [](Client& c, const std::string& base) -> std::string {
       std::string state = LifeState(c, base + ".txt");
       if (state == "created - 0 " + base) return "before";
       if (state == "createdcheckedin 0.1 1 " + base) return "after";
       return state;
     }},
    {"PUBLISH",
     [](Client& c, const std::string& base) {
       return PutDocument(c, base) && c.Send("CHECKIN", base + ".txt").status == 201;
     },
     [](Client& c, const std::string& base) {
       return c.Send("PUBLISH", base + ".txt").status == 200;
     },
     [](Client& c, const std::string& base) -> std::string {
       std::string state = LifeState(c, base + ".txt");
       if (state == "createdcheckedin 0.1 1 " + base) return "before";
       if (state == "approved 1.0 1 " + base) return "after";
       return state;
     }},
};

void PrintTo(const Change& change, std::ostream* out) { *out << change.method; }

class KillMidChangeTest : public ::testing::TestWithParam<Change> {};

// Writers make one kind of change on targets of their own while the server
// is killed with SIGKILL, beside an upload whose body is half sent; after a
// restart every acknowledged change is there, each interrupted one is
// wholly there or wholly not, targets never reached are as prepared, and
// the half upload left nothing.
TEST_P(KillMidChangeTest, KillLosesNothingAcknowledgedAndLeavesNothingHalfDone) {
  const Change& change = GetParam();
  const std::string folder =
      change.method == std::string("CHECKIN") || change.method == std::string("PUBLISH")
          ? "/Sales/Reports/"
          : "/Sales/Archive/";
  constexpr int kWriters = 4;
  constexpr int kTargets = 25;  // per writer
  auto base = [&](int w, int n) {
    return folder + "k" + std::to_string(w) + "-" + std::to_string(n);
  };
  TempDir dir;
  // Per writer: how many changes it started, and which were acknowledged.
  int started[kWriters] = {};
  bool acknowledged[kWriters][kTargets] = {};
  {
    ServerProcess server(dir.path());
    for (int w = 0; w < kWriters; ++w) {
      Client jones(server.port(), "CORP\\jones", "secret");
      for (int n = 0; n < kTargets; ++n)
        ASSERT_TRUE(change.prepare(jones, base(w, n))) << base(w, n);
    }
    std::thread partial([port = server.port()] {
      SendRaw(port,
              "PUT /Sales/Archive/partial.bin HTTP/1.1\r\nHost: docs\r\n" +
                  std::string(kJonesAuth) + "Content-Length: 4000000\r\n\r\n" +
                  std::string(1000000, 'p'),
              3000);
    });
    std::atomic<int> acks{0};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
      writers.emplace_back([&, w, port = server.port()] {
        Client jones(port, "CORP\\jones", "secret");
        for (int n = 0; n < kTargets; ++n) {
          started[w] = n + 1;
          try {
            acknowledged[w][n] = change.apply(jones, base(w, n));
          } catch (const std::exception&) {
            return;  // the server is gone
          }
          acks += acknowledged[w][n];
        }
      });
    }
    // Kill halfway through (bounded: a server that acknowledges nothing
    // fails the checks below instead of hanging the test).
    for (int waited = 0; acks < kWriters * kTargets / 2 && waited < 20000; waited += 1)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server.Kill(SIGKILL);
    for (auto& t : writers) t.join();
    partial.join();
  }
  ServerProcess server(dir.path());
  Client jones(server.port(), "CORP\\jones", "secret");
  int acked = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int n = 0; n < kTargets; ++n) {
      std::string state = change.state(jones, base(w, n));
      if (acknowledged[w][n]) {
        ++acked;
        EXPECT_EQ(state, "after") << "acknowledged " << change.method << " of " << base(w, n);
      } else if (n < started[w]) {
        EXPECT_TRUE(state == "after" || state == "before")
            << "interrupted " << change.method << " of " << base(w, n) << ": " << state;
      } else {
        EXPECT_EQ(state, "before") << "untouched " << base(w, n);
      }
    }
  }
  EXPECT_GE(acked, kWriters * kTargets / 2);
  EXPECT_LT(acked, kWriters * kTargets);  // the kill came before the end
  EXPECT_EQ(jones.Send("GET", "/Sales/Archive/partial.bin").status, 404);
  // Temporary files of the interrupted uploads were cleared at start (a
  // PostgreSQL store keeps none in the folder).
  if (StoreInPostgres()) return;
  for (const auto& entry : fs::directory_iterator(dir.path() + "/content"))
    EXPECT_NE(entry.path().filename().string().rfind("tmp-", 0), 0u) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Changes, KillMidChangeTest, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& named) {
                           return std::string(named.param.method);
                         });

// A PostgreSQL cluster of this test's own (postgres_cluster.sh), which the
// test stops and starts again under a running node.
class OwnCluster {
 public:
  OwnCluster() {
    // The server runs as its own user, which must reach the folder.
    fs::permissions(temp_.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    Run("start", true);
  }
  ~OwnCluster() { Run("stop", false); }
  void Halt() { Run("halt", false); }
  void Crash() { Run("crash", false); }
  void Resume() { Run("resume", true); }
  std::string Url() const {
    return "postgresql:///postgres?host=" + dir_ + "/socket&port=5432&user=postgres";
  }

 private:
  void Run(const char* action, bool port) {
    std::string command =
        std::string(ORVEX_POSTGRES_CLUSTER) + " " + action + " " + dir_ + (port ? " 5432" : "");
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  }

  TempDir temp_{"outage"};
  std::string dir_ = temp_.path() + "/cluster";
};

// A write is answered only once the database has its commit on disk. The
// cluster's own log writer waits 10 s here, so nothing but the node's wait
// for the flush puts the last writes on disk before the crash.
TEST(PersistenceTest, WritesAcknowledgedBeforeTheDatabaseCrashesSurviveIt) {
  if (!StoreInPostgres()) GTEST_SKIP() << "runs in the PostgreSQL entries";
  ::setenv("ORVEX_PG_EXTRA", "-c wal_writer_delay=10000", 1);
  OwnCluster cluster;
  ::unsetenv("ORVEX_PG_EXTRA");
  ServerOptions options;
  options.store_dir = cluster.Url();
  auto server = std::make_unique<Server>(options);
  server->Start();
  auto path = [](int n) { return "/Sales/Archive/acknowledged-" + std::to_string(n) + ".txt"; };
  {
    Client jones(server->port(), "CORP\\jones", "secret");
    for (int n = 0; n < 20; ++n)
      ASSERT_EQ(jones.Send("PUT", path(n), {}, "kept " + std::to_string(n)).status, 201);
  }
  cluster.Crash();
  server.reset();
  cluster.Resume();
  Server again(options);
  again.Start();
  Client smith(again.port(), "CORP\\smith", "secret");
  for (int n = 0; n < 20; ++n)
    EXPECT_EQ(smith.Send("GET", path(n)).body, "kept " + std::to_string(n));
}

// While the database server is down, a node answers 503 at once and
// changes nothing; once it is back, the node serves again by itself, on
// connections that were open before the outage and on new ones.
TEST(PersistenceTest, ADatabaseRestartAnswers503MeanwhileAndTheNodeReconnectsByItself) {
  if (!StoreInPostgres()) GTEST_SKIP() << "runs in the PostgreSQL entries";
  OwnCluster cluster;
  ServerOptions options;
  options.store_dir = cluster.Url();
  Server server(options);
  server.Start();
  Client jones(server.port(), "CORP\\jones", "secret");
  Client smith(server.port(), "CORP\\smith", "secret");
  ASSERT_EQ(jones.Send("PUT", "/Sales/Archive/before.txt", {}, "before").status, 201);
  ASSERT_EQ(smith.Send("GET", "/Sales/Archive/before.txt").body, "before");
  // A reading connection in use and idle ones: several readers at once.
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i)
    readers.emplace_back([port = server.port()] {
      Client reader(port, "CORP\\smith", "secret");
      for (int n = 0; n < 20; ++n) reader.Send("PROPFIND", "/Sales/", {{"Depth", "1"}});
    });
  for (auto& t : readers) t.join();

  cluster.Halt();
  const auto outage = std::chrono::steady_clock::now();
  EXPECT_EQ(jones.Send("PUT", "/Sales/Archive/during.txt", {}, "during").status, 503);
  EXPECT_EQ(smith.Send("GET", "/Sales/Archive/before.txt").status, 503);
  EXPECT_EQ(jones.Send("MKCOL", "/Sales/Archive/During/").status, 503);
  // A new connection: its credentials cannot be checked either.
  Client fresh(server.port(), "CORP\\jones", "secret");
  EXPECT_EQ(fresh.Send("PROPFIND", "/Sales/", {{"Depth", "1"}}).status, 503);
  EXPECT_LT(std::chrono::steady_clock::now() - outage, std::chrono::seconds(5));

  cluster.Resume();
  // Each client's first request after the restart is served.
  EXPECT_EQ(smith.Send("GET", "/Sales/Archive/before.txt").body, "before");
  EXPECT_EQ(fresh.Send("GET", "/Sales/Archive/before.txt").body, "before");
  EXPECT_EQ(jones.Send("PUT", "/Sales/Archive/after.txt", {}, "after").status, 201);
  EXPECT_EQ(smith.Send("GET", "/Sales/Archive/during.txt").status, 404);
  EXPECT_EQ(smith.Send("PROPFIND", "/Sales/Archive/During/", {{"Depth", "0"}}).status, 404);
  std::vector<std::thread> again;
  std::atomic<int> served{0};
  for (int i = 0; i < 4; ++i)
    again.emplace_back([&, port = server.port()] {
      Client reader(port, "CORP\\smith", "secret");
      served += reader.Send("GET", "/Sales/Archive/after.txt").body == "after";
    });
  for (auto& t : again) t.join();
  EXPECT_EQ(served, 4);
}
}  // namespace
}  // namespace orvex::docstore::testing
