// Seeds: a malformed seed stops the server from starting with a message that
// names the problem, and stores nothing; a good one is served as written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "docstore/auth.h"
#include "docstore/seed.h"
#include "docstore/store.h"
#include "support/docstore_client.h"
#include "support/error_of.h"
#include "support/temp_dir.h"

namespace orvex::docstore::testing {
namespace {

std::string StartError(const std::string& seed) {
  ServerOptions options;
  options.seed_json = seed;
  Server server(options);
  auto e = orvex::testing::Caught<std::runtime_error>([&] { server.Start(); });
  return e ? e->what() : "";
}

TEST(SeedTest, MalformedSeedsAreRefusedWithTheirReason) {
  struct Case {
    const char* seed;
    const char* message;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"{", "not valid JSON"},
           {"[]", "a seed is a JSON object"},
           {R"({"users": []})", "at least one user"},
           {R"({"users": [{"name": "a"}]})", "missing \"password\""},
           {R"({"users": [{"name": "a", "password": "b"}],
               "workspaces": [{"name": "W", "roles": {"nobody": "reader"}}]})",
            "unknown user \"nobody\""},
           {R"({"users": [{"name": "a", "password": "b"}],
               "workspaces": [{"name": "W", "roles": {"a": "boss"}}]})",
            "none, reader, author or coordinator"},
           {R"({"users": [{"name": "a", "password": "b"}],
               "workspaces": [{"name": "W", "items": [{"name": "F", "type": "enhanced"},
                                                       {"name": "F", "type": "standard"}]}]})",
            "exists twice"},
           {R"({"users": [{"name": "a", "password": "b"}],
               "workspaces": [{"name": "W", "items": [{"name": "a/b", "type": "standard"}]}]})",
            "not a usable name"},
           {R"({"users": [{"name": "a", "password": "b"}],
               "workspaces": [{"name": "W", "items": [{"name": "d", "type": "document",
                                                       "profile": "urn:nope"}]}]})",
            "unknown profile urn:nope"},
           {R"({"users": [{"name": "a", "password": "b"}],
               "workspaces": [{"name": "W", "items": [{"name": "d", "type": "document",
                                                       "versions": [{"user": "a"}]}]}]})",
            "only documents of enhanced folders"},
           {R"({"users": [{"name": "a", "password": "b"}],
               "workspaces": [{"name": "W", "items": [{"name": "F", "type": "enhanced",
                 "items": [{"name": "d", "type": "document"}]}]}]})",
            "needs \"created_by\""},
           {R"({"users": [{"name": "a", "password": "b"}],
               "schema": {"properties": [{"id": "urn:p#x", "dictionary": "urn:none"}]},
               "workspaces": [{"name": "W"}]})",
            "unknown dictionary urn:none"},
           {R"({"users": [{"name": "a", "password": "b"}], "workspaces": [{"name": "Public"}]})",
            "reserved"}}) {
    std::string error = StartError(c.seed);
    EXPECT_NE(error.find(c.message), std::string::npos) << c.seed << "\n -> " << error;
  }

  // A failed seed leaves the store as empty as it was.
  Store store(StoreLocation());
  EXPECT_THROW(LoadSeed(store, R"({"users": [{"name": "a", "password": "b"}],
                                   "workspaces": [{"name": "W", "roles": {"x": "reader"}}]})"),
               std::runtime_error);
  EXPECT_TRUE(store.IsEmpty());
}

TEST(SeedTest, ServerAnswersWithWhatTheSeedSays) {
  auto server = StartServer(R"({
    "hosts": ["files", "archive"],
    "users": [{"name": "DOM\\ann", "password": "pw"}],
    "schema": {"properties": [{"id": "urn:example:x#Locked", "title": "Locked", "readonly": true}],
               "profiles": [{"id": "urn:example:plain", "title": "Plain",
                             "properties": ["urn:example:x#Locked"]}]},
    "workspaces": [
      {"name": "Team Space", "description": "With a blank", "categories_folder": "Tags",
       "schema_folder": "Definitions", "roles": {"DOM\\ann": "coordinator"},
       "items": [{"name": "Docs", "type": "standard",
                  "items": [{"name": "a b.txt", "type": "document", "content": "hello",
                             "properties": {"urn:example:x#Count": 3,
                                            "urn:example:x#When": {"type": "dateTime.tz",
                                                                   "value": "2001-05-10T09:30:00Z"},
                                            "urn:example:x#Flag": true}}]}]}]})");
  EXPECT_EQ(server->host_names(), (std::vector<std::string>{"files", "archive"}));
  Client ann(server->port(), "DOM\\ann", "pw", "files");
  auto root = ann.Propfind("/Team%20Space/", 0);
  ASSERT_EQ(root.size(), 1u);
  EXPECT_EQ(root[0].href, "/Team%20Space/");
  EXPECT_EQ(root[0].Text("urn:schemas-microsoft-com:workspace#CategoriesFolder"), "Tags");
  EXPECT_EQ(root[0].Text("urn:schemas-microsoft-com:exch-data:schema-collection-ref"),
            "http://files/Team%20Space/Definitions");
  auto doc = ann.Propfind("/Team%20Space/Docs/a%20b.txt", 0);
  ASSERT_EQ(doc.size(), 1u);
  EXPECT_EQ(doc[0].props.at("urn:example:x#Count").type, "int");
  EXPECT_EQ(doc[0].Text("urn:example:x#Count"), "3");
  EXPECT_EQ(doc[0].props.at("urn:example:x#When").type, "dateTime.tz");
  EXPECT_TRUE(doc[0].Flag("urn:example:x#Flag"));
  EXPECT_EQ(ann.Send("GET", "/Team%20Space/Docs/a%20b.txt").body, "hello");
  EXPECT_EQ(ann.Send("MKCOL", "/Team%20Space/Tags/Red").status, 201);
  // A read-only property definition says so even to the coordinator.
  auto locked = ann.Propfind("/Team%20Space/Definitions/urn%3Aexample%3Ax%23Locked", 0);
  ASSERT_EQ(locked.size(), 1u);
  EXPECT_TRUE(locked[0].Flag("DAV:isreadonly"));
  EXPECT_EQ(doc[0].Text("DAV:contentclass"), "urn:example:plain");
}

// Everything the store keeps on disk, as one string.
std::string StoreBytes(const std::string& dir) {
  std::string all;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    all += text.str();
  }
  return all;
}

TEST(SeedTest, SeedPasswordsAreKeptOnlyHashed) {
  orvex::testing::TempDir temp("seed");
  const std::string& dir = temp.path();
  const std::string seed = R"({"users": [{"name": "DOM\\ann", "password": "Plain-Pw-4711"},
                                         {"name": "bob", "password": "Plain-Pw-4711"}],
                               "workspaces": [{"name": "W", "roles": {"DOM\\ann": "reader"}}]})";
  {
    auto server = StartServer(seed, dir);
    Client ann(server->port(), "dom\\ANN", "Plain-Pw-4711");
    EXPECT_EQ(ann.Send("PROPFIND", "/W/", {{"Depth", "0"}}).status, 207);
    // A kept-alive connection that changes its credentials is checked again.
    ann.set_credentials("DOM\\ann", "plain-pw-4711");
    EXPECT_EQ(ann.Send("PROPFIND", "/W/", {{"Depth", "0"}}).status, 401);
    ann.set_credentials("DOM\\ann", "Plain-Pw-4711");
    EXPECT_EQ(ann.Send("PROPFIND", "/W/", {{"Depth", "0"}}).status, 207);
    ann.set_credentials("DOM\\ann", "");
    EXPECT_EQ(ann.Send("PROPFIND", "/W/", {{"Depth", "0"}}).status, 401);
  }
  EXPECT_EQ(StoreBytes(dir).find("Plain-Pw-4711"), std::string::npos);
  {
    Store store(StoreLocation(dir));
    Store::Txn txn(store);
    auto ann = store.FindUser("DOM\\ann");
    auto bob = store.FindUser("bob");
    ASSERT_TRUE(ann && bob);
    EXPECT_TRUE(IsPasswordHash(ann->password_hash)) << ann->password_hash;
    // Each user has a salt of their own: equal passwords, different hashes.
    EXPECT_NE(ann->password_hash, bob->password_hash);
    EXPECT_TRUE(VerifyPassword("Plain-Pw-4711", ann->password_hash));
    EXPECT_FALSE(VerifyPassword("Plain-Pw-471", ann->password_hash));
    EXPECT_FALSE(VerifyPassword(ann->password_hash, ann->password_hash));
  }
}

TEST(SeedTest, StartReportsAnAddressInUse) {
  auto first = StartServer();
  ServerOptions options;
  options.port = first->port();
  Server second(options);
  auto e = orvex::testing::Caught<std::runtime_error>([&] { second.Start(); });
  ASSERT_TRUE(e) << "bound a port that is taken";
  EXPECT_NE(
      std::string(e->what()).find("cannot listen on 127.0.0.1:" + std::to_string(first->port())),
      std::string::npos)
      << e->what();
  second.Stop();  // harmless after a failed start
  options.address = "not-an-address";
  options.port = 0;
  Server third(options);
  EXPECT_THROW(third.Start(), std::runtime_error);
}

}  // namespace
}  // namespace orvex::docstore::testing
