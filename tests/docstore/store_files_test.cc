// The store's files on disk are readable by their owner only: the database
// (users and their password hashes), its log, and every content file,
// whether uploaded, seeded or left by a check-in.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/docstore_client.h"
#include "support/temp_dir.h"

namespace orvex::docstore::testing {
namespace {

namespace fs = std::filesystem;

TEST(StoreFilesTest, EveryFileIsTheOwnersAlone) {
  if (StoreInPostgres()) GTEST_SKIP() << "a SQLite store's files";
  // A permissive umask, as a service manager might leave it.
  mode_t old_umask = ::umask(022);
  orvex::testing::TempDir parent("store-files");
  const std::string dir = parent.path() + "/store";
  {
    auto server = StartServer("", dir);
    Client jones(server->port(), "CORP\\jones", "secret");
    // Large enough to be kept in a file of its own rather than in the
    // database.
    EXPECT_EQ(jones.Send("PUT", "/Sales/Archive/new.txt", {}, std::string(200000, 'u')).status,
              201);
    EXPECT_EQ(jones.Send("PUT", "/Sales/Reports/forecast.txt", {}, "changed").status, 204);
    EXPECT_EQ(jones.Send("CHECKIN", "/Sales/Reports/forecast.txt").status, 201);
    int files = 0;
    int content_files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      struct stat st {};
      ASSERT_EQ(::stat(entry.path().c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 077, 0u) << entry.path() << " mode " << std::oct << st.st_mode;
      files += entry.is_regular_file();
      content_files +=
          entry.is_regular_file() && entry.path().parent_path().filename() == "content";
    }
    EXPECT_GE(files, 3);  // the database, its log and its shared memory
    EXPECT_EQ(content_files, 1);
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
  }
  // A store written before, with files and folders anyone could read: they
  // are made private when it is opened again.
  const auto readable = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                        fs::perms::others_read;
  fs::permissions(dir + "/docstore.db", readable);
  fs::permissions(dir + "/content", fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
  for (const auto& entry : fs::directory_iterator(dir + "/content"))
    if (entry.is_regular_file()) fs::permissions(entry.path(), readable);
  {
    auto server = StartServer("", dir);
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      struct stat st {};
      ASSERT_EQ(::stat(entry.path().c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 077, 0u) << entry.path() << " mode " << std::oct << st.st_mode;
    }
    // And the content is still served.
    Client jones(server->port(), "CORP\\jones", "secret");
    EXPECT_EQ(jones.Send("GET", "/Sales/Archive/new.txt").body.size(), 200000u);
  }
  ::umask(old_umask);
}

}  // namespace
}  // namespace orvex::docstore::testing
