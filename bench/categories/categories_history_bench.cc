// The category dialog and the version history over loopback HTTP against an
// in-process docstore, every request passing a counting relay:
//
//   - CategoryDialogA on a workspace of 500 categories, K of which have
//     subcategories: requests per call and the time to the window, beside
//     the same 1 + K PROPFIND Depth 1 listings sent by libcurl in a loop on
//     one kept-alive connection;
//   - GetHistoryInfo on a document of 1,000 versions: requests per call and
//     time, beside one REPORT DAV:version-tree of the same document sent by
//     libcurl.
//
// The dialog runs on the headless toolkit with nobody acting, so the window
// closes as cancelled the moment it opens. After the runs the program prints
// the medians and the ratios to the libcurl figures.
//
//   categories_history_bench [--benchmark_repetitions=N]
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

// 500 categories: 50 at the top, each with 9 below it, so K = 50.
constexpr int kTopCategories = 50;
constexpr int kSubcategories = 9;
constexpr int kVersions = 1000;

std::string Seed() {
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
                        {"user", "CORP\\bench"}});
  Json workspace{{"name", "big"},
                 {"roles", {{"CORP\\bench", "author"}}},
                 {"categories", categories},
                 {"items", Json::array({{{"name", "Reports"},
                                         {"type", "enhanced"},
                                         {"items", Json::array({{{"name", "long.txt"},
                                                                 {"type", "document"},
                                                                 {"versions", versions}}})}}})}};
  return Json{{"hosts", {"docs"}},
              {"users", Json::array({{{"name", "CORP\\bench"}, {"password", "bench"}}})},
              {"schema",
               {{"profiles", Json::array({{{"id", "urn:content-classes:document"},
                                           {"title", "Document"},
                                           {"properties", Json::array()}}})}}},
              {"workspaces", Json::array({workspace})}}
      .dump();
}

// The docstore and the counting relay in front of it, "docs" mapped to the
// relay.
struct Relayed {
  Relayed() {
    orvex::docstore::ServerOptions options;
    options.seed_json = Seed();
    store = std::make_unique<orvex::docstore::Server>(options);
    store->Start();
    relay = std::make_unique<orvex::testing::CountingProxy>(store->port());
    orvex::platform::MapHost("docs", {"127.0.0.1", relay->port()});
  }
  std::unique_ptr<orvex::docstore::Server> store;
  std::unique_ptr<orvex::testing::CountingProxy> relay;
};

Relayed& Server() {
  static Relayed r;
  return r;
}

Variant Call(orvex::automation::ConnectOrvex& o, const std::string& name,
             std::vector<Variant> args = {}) {
  return o.Invoke(*o.GetIdOfName(name), orvex::InvokeKind::kMethod, args);
}

std::unique_ptr<orvex::automation::ConnectOrvex> Connected() {
  Server();
  orvex::ui::UseToolkit("headless");
  auto o = std::make_unique<orvex::automation::ConnectOrvex>();
  o->Properties().ShowDialog = false;
  if (!o->ConnectOpen("docs", "bench", "CORP", "bench")) return nullptr;
  if (!Call(*o, "SetWorkspace", {Variant("big")}).ToBool()) return nullptr;
  return o;
}

// Requests one call of `run` costs, averaged over the runs, and the
// connections the runs opened.
template <class Run>
void Measure(benchmark::State& state, Run run) {
  orvex::testing::CountingProxy& relay = *Server().relay;
  relay.Reset();
  const int connections = relay.connections();
  for (auto _ : state) run();
  state.counters["requests"] = relay.requests() / static_cast<double>(state.iterations());
  state.counters["connections"] = relay.connections() - connections;
}

void BM_CategoryDialogA(benchmark::State& state) {
  auto o = Connected();
  if (!o) return state.SkipWithError("cannot connect");
  if (!o->GetIdOfName("CategoryDialogA")) return state.SkipWithError("no CategoryDialogA");
  Measure(state, [&] {
    if (Call(*o, "CategoryDialogA").ToBool() || Call(*o, "GetLastError").ToInt32() != 0)
      state.SkipWithError("CategoryDialogA failed");
  });
}
BENCHMARK(BM_CategoryDialogA)->Unit(benchmark::kMillisecond);

void BM_GetHistoryInfo(benchmark::State& state) {
  auto o = Connected();
  if (!o) return state.SkipWithError("cannot connect");
  Measure(state, [&] {
    if (Call(*o, "GetHistoryInfo", {Variant("Reports"), Variant("long.txt")}).ToInt32() !=
        kVersions)
      state.SkipWithError("GetHistoryInfo failed");
  });
}
BENCHMARK(BM_GetHistoryInfo)->Unit(benchmark::kMillisecond);

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

// A libcurl handle on one kept-alive connection through the relay.
struct Curl {
  Curl(const char* method, const char* depth, const char* body) {
    curl = curl_easy_init();
    connect_to = "docs:80:127.0.0.1:" + std::to_string(Server().relay->port());
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

// The listings the category walk makes: the categories folder and each
// category with subcategories, one PROPFIND Depth 1 each.
void BM_CurlPropfindLoop(benchmark::State& state) {
  std::vector<std::string> urls{"http://docs/big/Categories/"};
  for (int i = 0; i < kTopCategories; ++i)
    urls.push_back("http://docs/big/Categories/category-" + std::to_string(i) + "/");
  Curl curl("PROPFIND", "Depth: 1",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\">"
            "<D:allprop/></D:propfind>");
  Measure(state, [&] {
    for (const std::string& url : urls)
      if (!curl.Perform(url)) state.SkipWithError("PROPFIND failed");
  });
}
BENCHMARK(BM_CurlPropfindLoop)->Unit(benchmark::kMillisecond);

void BM_CurlReport(benchmark::State& state) {
  Curl curl("REPORT", "Depth: 0",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:version-tree xmlns:D=\"DAV:\">"
            "<D:allprop/></D:version-tree>");
  Measure(state, [&] {
    if (!curl.Perform("http://docs/big/Reports/long.txt")) state.SkipWithError("REPORT failed");
  });
}
BENCHMARK(BM_CurlReport)->Unit(benchmark::kMillisecond);

// Keeps the median real time and the request count of each benchmark while
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
  auto& n = reporter.requests;
  if (m.count("BM_CategoryDialogA") && m.count("BM_CurlPropfindLoop")) {
    std::cout << "\nCategoryDialogA, " << kTopCategories * (kSubcategories + 1)
              << " categories (K = " << kTopCategories << "): " << n["BM_CategoryDialogA"]
              << " requests, " << m["BM_CategoryDialogA"] << " ms; curl loop of "
              << kTopCategories + 1 << " PROPFIND Depth 1: " << m["BM_CurlPropfindLoop"]
              << " ms; ratio " << m["BM_CategoryDialogA"] / m["BM_CurlPropfindLoop"] << "\n";
  }
  if (m.count("BM_GetHistoryInfo") && m.count("BM_CurlReport")) {
    std::cout << "GetHistoryInfo, " << kVersions << " versions: " << n["BM_GetHistoryInfo"]
              << " requests, " << m["BM_GetHistoryInfo"]
              << " ms; one curl REPORT: " << m["BM_CurlReport"] << " ms; ratio "
              << m["BM_GetHistoryInfo"] / m["BM_CurlReport"] << "\n";
  }
  benchmark::Shutdown();
  return 0;
}
