// What the tree dialogs cost before their window opens, and what a long
// version history costs, over loopback HTTP against in-process docstores,
// every request passing a counting relay:
//
//   - FolderDialogA on a workspace of 1,000 folders, K of which have
//     subfolders: requests per call (1 + K expected), connections opened,
//     and the time to the window, beside the same 1 + K PROPFIND Depth 1
//     requests (the same bodies) sent by libcurl in a loop on one
//     kept-alive connection;
//   - FolderDialogB on a server of 30 workspaces: requests and time;
//   - CategoryDialogA on a workspace of 500 categories, K of which have
//     subcategories: requests and time, beside the same 1 + K listings sent
//     by libcurl;
//   - GetHistoryInfo on a document of 1,000 versions: requests and time,
//     beside the same REPORT DAV:version-tree (the same body) of the same
//     document sent by libcurl.
//
// The dialogs run on the headless toolkit with nobody acting, so each
// window closes as cancelled the moment it opens. After the runs the
// program prints the medians and the ratios to the libcurl figures.
//
//   dialogs_bench [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <iostream>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "automation/connect_orvex.h"
#include "docstore/server.h"
#include "engine/listing_columns.h"
#include "integration/counting_proxy.h"
#include "platform/host_map.h"
#include "platform/ui/toolkit.h"
#include "server/webdav/request_body.h"
#include "support/seed.h"

namespace {

using orvex::Variant;
using orvex::testing::seed::Json;

// 1,000 folders: 100 at the top (every other one enhanced), each with 9
// subfolders, so K = 100 folders have subfolders.
constexpr int kTopFolders = 100;
constexpr int kSubfolders = 9;
constexpr int kWorkspaces = 30;
// 500 categories: 50 at the top, each with 9 below it, so K = 50.
constexpr int kTopCategories = 50;
constexpr int kSubcategories = 9;
constexpr int kVersions = 1000;

constexpr char kUser[] = "CORP\\bench";

using orvex::testing::seed::Folder;

Json Workspace(const std::string& name, Json items) {
  return orvex::testing::seed::Workspace(name, {{kUser, "author"}}, std::move(items));
}

std::string Store(const std::string& host, Json workspaces) {
  return orvex::testing::seed::Store(std::move(workspaces), orvex::testing::seed::PlainSchema(),
                                     Json::array({orvex::testing::seed::User(kUser, "bench")}),
                                     host);
}

// Server "docs": workspace "big" with the 1,000 folders.
std::string FoldersSeed() {
  Json big = Json::array();
  for (int i = 0; i < kTopFolders; ++i) {
    Json subs = Json::array();
    for (int j = 0; j < kSubfolders; ++j) subs.push_back(Folder("sub-" + std::to_string(j), j % 2));
    big.push_back(Folder("folder-" + std::to_string(i), i % 2 == 0, subs));
  }
  return Store("docs", Json::array({Workspace("big", big)}));
}

// Server "wide": 30 workspaces of four folders each (Reports with two
// subfolders, Documents, Archive), so five listings per workspace.
std::string WideSeed() {
  Json workspaces = Json::array();
  for (int w = 0; w < kWorkspaces; ++w) {
    workspaces.push_back(Workspace(
        "ws-" + std::to_string(w),
        Json::array({Folder("Reports", true,
                            Json::array({Folder("2001", true, Json::array({Folder("Q1", true)})),
                                         Folder("2002", true)})),
                     Folder("Documents", true), Folder("Archive", false)})));
  }
  return Store("wide", workspaces);
}

// Server "cats": workspace "big" with the 500 categories and the document
// Reports/long.txt of 1,000 versions.
std::string CategoriesSeed() {
  Json categories = Json::array();
  for (int i = 0; i < kTopCategories; ++i) {
    Json children = Json::array();
    for (int j = 0; j < kSubcategories; ++j)
      children.push_back({{"name", "sub-" + std::to_string(j)}});
    categories.push_back({{"name", "category-" + std::to_string(i)}, {"children", children}});
  }
  Json versions = Json::array();
  for (int v = 0; v < kVersions; ++v)
    versions.push_back({{"content", "version " + std::to_string(v)},
                        {"comment", "change number " + std::to_string(v)},
                        {"user", kUser}});
  Json long_document{{"name", "long.txt"}, {"type", "document"}, {"versions", versions}};
  Json workspace =
      Workspace("big", Json::array({Folder("Reports", true, Json::array({long_document}))}));
  workspace["categories"] = categories;
  return Store("cats", Json::array({workspace}));
}

// A docstore and the counting relay in front of it, its host mapped to the
// relay.
struct Relayed {
  Relayed(const std::string& mapped_host, const std::string& seed) : host(mapped_host) {
    orvex::docstore::ServerOptions options;
    options.seed_json = seed;
    store = std::make_unique<orvex::docstore::Server>(options);
    store->Start();
    relay = std::make_unique<orvex::testing::CountingProxy>(store->port());
    orvex::platform::MapHost(host, {"127.0.0.1", relay->port()});
  }
  std::string host;
  std::unique_ptr<orvex::docstore::Server> store;
  std::unique_ptr<orvex::testing::CountingProxy> relay;
};

Relayed& Folders() {
  static Relayed r("docs", FoldersSeed());
  return r;
}
Relayed& Wide() {
  static Relayed r("wide", WideSeed());
  return r;
}
Relayed& Categories() {
  static Relayed r("cats", CategoriesSeed());
  return r;
}

Variant Call(orvex::automation::ConnectOrvex& o, const std::string& name,
             std::vector<Variant> args = {}) {
  return o.Invoke(*o.GetIdOfName(name), orvex::InvokeKind::kMethod, args);
}

// An object connected to `server` with `workspace` current.
std::unique_ptr<orvex::automation::ConnectOrvex> Connected(const Relayed& server,
                                                           const std::string& workspace) {
  orvex::ui::UseToolkit("headless");
  auto o = std::make_unique<orvex::automation::ConnectOrvex>();
  o->Properties().ShowDialog = false;
  if (!o->ConnectOpen(server.host, "bench", "CORP", "bench")) return nullptr;
  if (!Call(*o, "SetWorkspace", {Variant(workspace)}).ToBool()) return nullptr;
  return o;
}

// Requests and connections one call of `run` costs, averaged over the runs.
template <class Run>
void Measure(benchmark::State& state, Relayed& server, Run run) {
  orvex::testing::CountingProxy& relay = *server.relay;
  relay.Reset();
  const int connections = relay.connections();
  for (auto _ : state) run();
  state.counters["requests"] = relay.requests() / static_cast<double>(state.iterations());
  state.counters["connections"] = relay.connections() - connections;
}

// Runs the member `name` as a dialog that must end cancelled without error.
void MeasureCancelledDialog(benchmark::State& state, Relayed& server, const std::string& workspace,
                            const std::string& name) {
  auto o = Connected(server, workspace);
  if (!o) return state.SkipWithError("cannot connect");
  if (!o->GetIdOfName(name)) return state.SkipWithError(("no " + name).c_str());
  Measure(state, server, [&] {
    if (Call(*o, name).ToBool() || Call(*o, "GetLastError").ToInt32() != 0)
      state.SkipWithError((name + " failed").c_str());
  });
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

// A libcurl handle on one kept-alive connection through a relay.
struct Curl {
  Curl(const Relayed& server, const char* method, const char* depth, const char* body) {
    curl = curl_easy_init();
    connect_to = server.host + ":80:127.0.0.1:" + std::to_string(server.relay->port());
    route = curl_slist_append(nullptr, connect_to.c_str());
    headers = curl_slist_append(nullptr, depth);
    headers = curl_slist_append(headers, "Content-Type: application/xml");
    curl_easy_setopt(curl, CURLOPT_CONNECT_TO, route);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERPWD, "CORP\\bench:bench");
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  }
  ~Curl() {
    curl_slist_free_all(headers);
    curl_slist_free_all(route);
    curl_easy_cleanup(curl);
  }
  bool Perform(const std::string& url) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    long status = 0;
    return curl_easy_perform(curl) == CURLE_OK &&
           curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 207;
  }
  CURL* curl;
  std::string connect_to;
  curl_slist* route;
  curl_slist* headers;
};

// The listings a tree walk makes, one PROPFIND Depth 1 each with the body
// the walk sends (the properties behind the columns it reads), in a loop on
// one kept-alive connection.
void MeasureCurlListings(benchmark::State& state, Relayed& server,
                         const std::vector<std::string>& urls,
                         std::span<const char* const> columns) {
  const std::string body = orvex::server::webdav::ListingBody(columns);
  Curl curl(server, "PROPFIND", "Depth: 1", body.c_str());
  Measure(state, server, [&] {
    for (const std::string& url : urls)
      if (!curl.Perform(url)) state.SkipWithError("PROPFIND failed");
  });
}

void BM_FolderDialogA(benchmark::State& state) {
  MeasureCancelledDialog(state, Folders(), "big", "FolderDialogA");
}
BENCHMARK(BM_FolderDialogA)->Unit(benchmark::kMillisecond);

// The workspace, and each folder with subfolders.
void BM_CurlFolderListings(benchmark::State& state) {
  std::vector<std::string> urls{"http://docs/big/"};
  for (int i = 0; i < kTopFolders; ++i)
    urls.push_back("http://docs/big/folder-" + std::to_string(i) + "/");
  MeasureCurlListings(state, Folders(), urls, orvex::engine::listing_columns::kFolderTree);
}
BENCHMARK(BM_CurlFolderListings)->Unit(benchmark::kMillisecond);

void BM_FolderDialogB(benchmark::State& state) {
  // The first workspace is current, so the dialog makes it current again
  // at the end.
  Relayed& server = Wide();
  auto o = Connected(server, "ws-0");
  if (!o) return state.SkipWithError("cannot connect");
  Measure(state, server, [&] {
    if (Call(*o, "FolderDialogB").ToBool()) state.SkipWithError("FolderDialogB failed");
  });
}
BENCHMARK(BM_FolderDialogB)->Unit(benchmark::kMillisecond);

void BM_CategoryDialogA(benchmark::State& state) {
  MeasureCancelledDialog(state, Categories(), "big", "CategoryDialogA");
}
BENCHMARK(BM_CategoryDialogA)->Unit(benchmark::kMillisecond);

// The categories folder, and each category with subcategories.
void BM_CurlCategoryListings(benchmark::State& state) {
  std::vector<std::string> urls{"http://cats/big/Categories/"};
  for (int i = 0; i < kTopCategories; ++i)
    urls.push_back("http://cats/big/Categories/category-" + std::to_string(i) + "/");
  MeasureCurlListings(state, Categories(), urls, orvex::engine::listing_columns::kCategoryTree);
}
BENCHMARK(BM_CurlCategoryListings)->Unit(benchmark::kMillisecond);

void BM_GetHistoryInfo(benchmark::State& state) {
  Relayed& server = Categories();
  auto o = Connected(server, "big");
  if (!o) return state.SkipWithError("cannot connect");
  Measure(state, server, [&] {
    if (Call(*o, "GetHistoryInfo", {Variant("Reports"), Variant("long.txt")}).ToInt32() !=
        kVersions)
      state.SkipWithError("GetHistoryInfo failed");
  });
}
BENCHMARK(BM_GetHistoryInfo)->Unit(benchmark::kMillisecond);

void BM_CurlReport(benchmark::State& state) {
  Relayed& server = Categories();
  const std::string body = orvex::server::webdav::VersionTreeBody();
  Curl curl(server, "REPORT", "Depth: 0", body.c_str());
  Measure(state, server, [&] {
    if (!curl.Perform("http://cats/big/Reports/long.txt")) state.SkipWithError("REPORT failed");
  });
}
BENCHMARK(BM_CurlReport)->Unit(benchmark::kMillisecond);

// Keeps the median real time and the request count of each benchmark (or
// of its only run) while printing as usual.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      const std::string name = r.run_name.function_name;
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      if (r.run_type == Run::RT_Iteration && r.repetitions > 1) continue;
      median_ms[name] = r.GetAdjustedRealTime();
      auto it = r.counters.find("requests");
      if (it != r.counters.end()) requests[name] = it->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> median_ms;
  std::map<std::string, double> requests;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& m = reporter.median_ms;
  auto& n = reporter.requests;
  // One line per operation: its requests and median, and beside a libcurl
  // figure the ratio to it.
  auto line = [&](const std::string& what, const char* bench, const std::string& curl_what,
                  const char* curl_bench) {
    if (!m.count(bench)) return;
    std::cout << what << ": " << n[bench] << " requests, " << m[bench] << " ms";
    if (curl_bench != nullptr && m.count(curl_bench)) {
      std::cout << "; " << curl_what << ": " << m[curl_bench] << " ms; ratio "
                << m[bench] / m[curl_bench];
    }
    std::cout << "\n";
  };
  std::cout << "\n";
  line("FolderDialogA, " + std::to_string(kTopFolders * (kSubfolders + 1)) +
           " folders (K = " + std::to_string(kTopFolders) + ")",
       "BM_FolderDialogA", "curl loop of " + std::to_string(kTopFolders + 1) + " PROPFIND Depth 1",
       "BM_CurlFolderListings");
  line("FolderDialogB, " + std::to_string(kWorkspaces) + " workspaces", "BM_FolderDialogB", "",
       nullptr);
  line("CategoryDialogA, " + std::to_string(kTopCategories * (kSubcategories + 1)) +
           " categories (K = " + std::to_string(kTopCategories) + ")",
       "BM_CategoryDialogA",
       "curl loop of " + std::to_string(kTopCategories + 1) + " PROPFIND Depth 1",
       "BM_CurlCategoryListings");
  line("GetHistoryInfo, " + std::to_string(kVersions) + " versions", "BM_GetHistoryInfo",
       "one curl REPORT", "BM_CurlReport");
  benchmark::Shutdown();
  return 0;
}
