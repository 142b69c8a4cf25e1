// What the selection dialogs cost before their window opens, over loopback
// HTTP against an in-process docstore, every request passing a counting
// relay:
//
//   - FolderDialogA on a workspace of 1,000 folders, K of which have
//     subfolders: requests per call (1 + K expected), connections opened,
//     and the time to the window, beside the same 1 + K PROPFIND Depth 1
//     requests sent by libcurl in a loop on one kept-alive connection;
//   - FolderDialogB on a server of 30 workspaces: requests and time.
//
// The dialogs run on the headless toolkit with nobody acting, so each
// window closes as cancelled the moment it opens. After the runs the
// program prints the medians and the ratio FolderDialogA / curl loop.
//
//   dialogs_bench [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "automation/connect_orvex.h"
#include "docstore/server.h"
#include "integration/counting_proxy.h"
#include "platform/host_map.h"
#include "platform/ui/toolkit.h"

namespace {

using Json = nlohmann::json;
using orvex::Variant;

// 1,000 folders: 100 at the top (every other one enhanced), each with 9
// subfolders, so K = 100 folders have subfolders.
constexpr int kTopFolders = 100;
constexpr int kSubfolders = 9;
constexpr int kWorkspaces = 30;

Json Workspace(const std::string& name, Json items) {
  return Json{{"name", name}, {"roles", {{"bench", "author"}}}, {"items", std::move(items)}};
}

Json Folder(const std::string& name, bool enhanced, Json items = Json::array()) {
  return Json{{"name", name}, {"type", enhanced ? "enhanced" : "standard"}, {"items", items}};
}

Json Store(const std::string& host, Json workspaces) {
  return Json{{"hosts", {host}},
              {"users", Json::array({{{"name", "bench"}, {"password", "bench"}}})},
              {"schema",
               {{"properties", Json::array()},
                {"profiles", Json::array({{{"id", "urn:content-classes:document"},
                                           {"title", "Document"},
                                           {"properties", Json::array()}}})},
                {"default_profile", "urn:content-classes:document"}}},
              {"workspaces", std::move(workspaces)}};
}

// Server "docs": workspace "big" with the 1,000 folders.
std::string BigSeed() {
  Json big = Json::array();
  for (int i = 0; i < kTopFolders; ++i) {
    Json subs = Json::array();
    for (int j = 0; j < kSubfolders; ++j) subs.push_back(Folder("sub-" + std::to_string(j), j % 2));
    big.push_back(Folder("folder-" + std::to_string(i), i % 2 == 0, subs));
  }
  return Store("docs", Json::array({Workspace("big", big)})).dump();
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
  return Store("wide", workspaces).dump();
}

// A docstore and the counting relay in front of it, its host mapped to the
// relay.
struct Relayed {
  explicit Relayed(const std::string& host, const std::string& seed) {
    orvex::docstore::ServerOptions options;
    options.seed_json = seed;
    store = std::make_unique<orvex::docstore::Server>(options);
    store->Start();
    relay = std::make_unique<orvex::testing::CountingProxy>(store->port());
    orvex::platform::MapHost(host, {"127.0.0.1", relay->port()});
  }
  std::unique_ptr<orvex::docstore::Server> store;
  std::unique_ptr<orvex::testing::CountingProxy> relay;
};

Relayed& Big() {
  static Relayed r("docs", BigSeed());
  return r;
}
Relayed& Wide() {
  static Relayed r("wide", WideSeed());
  return r;
}

Variant Call(orvex::automation::ConnectOrvex& o, const std::string& name,
             std::vector<Variant> args = {}) {
  return o.Invoke(*o.GetIdOfName(name), orvex::InvokeKind::kMethod, args);
}

std::unique_ptr<orvex::automation::ConnectOrvex> Connected(const std::string& host,
                                                           const std::string& workspace) {
  orvex::ui::UseToolkit("headless");
  auto o = std::make_unique<orvex::automation::ConnectOrvex>();
  o->Properties().ShowDialog = false;
  if (!o->ConnectOpen(host, "bench", "", "bench")) return nullptr;
  if (!workspace.empty() && !Call(*o, "SetWorkspace", {Variant(workspace)}).ToBool())
    return nullptr;
  return o;
}

// Requests and connections one call of `run` costs, averaged over the runs.
template <class Run>
void Measure(benchmark::State& state, Relayed& server, Run run) {
  orvex::testing::CountingProxy& relay = *server.relay;
  relay.Reset();
  const int connections = relay.connections();
  for (auto _ : state) run();
  const double calls = static_cast<double>(state.iterations());
  state.counters["requests"] = relay.requests() / calls;
  state.counters["connections"] = relay.connections() - connections;
}

void BM_FolderDialogA(benchmark::State& state) {
  Relayed& server = Big();
  auto o = Connected("docs", "big");
  if (!o) return state.SkipWithError("cannot connect");
  Measure(state, server, [&] {
    if (Call(*o, "FolderDialogA").ToBool() || Call(*o, "GetLastError").ToInt32() != 0)
      state.SkipWithError("FolderDialogA failed");
  });
}
BENCHMARK(BM_FolderDialogA)->Unit(benchmark::kMillisecond);

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

// The listings the folder walk makes, one PROPFIND Depth 1 per folder that
// has subfolders and one for the workspace, sent in a loop by libcurl on
// one kept-alive connection.
void BM_CurlPropfindLoop(benchmark::State& state) {
  Relayed& server = Big();
  std::vector<std::string> urls{"http://docs/big/"};
  for (int i = 0; i < kTopFolders; ++i)
    urls.push_back("http://docs/big/folder-" + std::to_string(i) + "/");
  CURL* curl = curl_easy_init();
  const std::string connect_to = "docs:80:127.0.0.1:" + std::to_string(server.relay->port());
  curl_slist* route = curl_slist_append(nullptr, connect_to.c_str());
  curl_slist* headers = curl_slist_append(nullptr, "Depth: 1");
  headers = curl_slist_append(headers, "Content-Type: application/xml");
  static const char kAllprop[] =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\"><D:allprop/>"
      "</D:propfind>";
  curl_easy_setopt(curl, CURLOPT_CONNECT_TO, route);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_USERPWD, "bench:bench");
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "PROPFIND");
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, kAllprop);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  Measure(state, server, [&] {
    for (const std::string& url : urls) {
      curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
      long status = 0;
      if (curl_easy_perform(curl) != CURLE_OK ||
          curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status != 207)
        state.SkipWithError("PROPFIND failed");
    }
  });
  curl_slist_free_all(headers);
  curl_slist_free_all(route);
  curl_easy_cleanup(curl);
}
BENCHMARK(BM_CurlPropfindLoop)->Unit(benchmark::kMillisecond);

void BM_FolderDialogB(benchmark::State& state) {
  // The first workspace is current, so the dialog makes it current again
  // at the end.
  Relayed& server = Wide();
  auto o = Connected("wide", "ws-0");
  if (!o) return state.SkipWithError("cannot connect");
  Measure(state, server, [&] {
    if (Call(*o, "FolderDialogB").ToBool()) state.SkipWithError("FolderDialogB failed");
  });
}
BENCHMARK(BM_FolderDialogB)->Unit(benchmark::kMillisecond);

// Keeps the median real time of each benchmark (or its only run) while
// printing as usual.
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
  if (m.count("BM_FolderDialogA") && m.count("BM_CurlPropfindLoop")) {
    std::cout << "\nFolderDialogA, 1,000 folders (K = " << kTopFolders
              << "): " << reporter.requests["BM_FolderDialogA"] << " requests, "
              << m["BM_FolderDialogA"] << " ms; curl loop of " << kTopFolders + 1
              << " PROPFIND Depth 1: " << m["BM_CurlPropfindLoop"] << " ms; ratio "
              << m["BM_FolderDialogA"] / m["BM_CurlPropfindLoop"] << "\n";
  }
  if (m.count("BM_FolderDialogB")) {
    std::cout << "FolderDialogB, " << kWorkspaces
              << " workspaces: " << reporter.requests["BM_FolderDialogB"] << " requests, "
              << m["BM_FolderDialogB"] << " ms\n";
  }
  benchmark::Shutdown();
  return 0;
}
