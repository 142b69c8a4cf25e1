// Small requests from many clients at once, over one docstore node or two
// nodes sharing one PostgreSQL store:
//   nodes_bench STORE NODES CLIENTS SECONDS
// STORE is a folder (SQLite), "" (in memory) or a postgresql:// URL. Each
// client thread keeps one connection to one node (clients are spread over
// the nodes in turn) and sends, in a loop, a PROPFIND Depth 0 of a document,
// a GET of a 4 KiB document and a PUT of a 4 KiB document of its own. Prints
// one line: requests per second over all clients, and the median, 99th
// percentile and slowest request in milliseconds.
// bench/docstore/compare_nodes.sh runs the table (SQLite, one and two nodes
// on PostgreSQL, 16 and 64 clients).
#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "docstore/server.h"
#include "support/seed.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string BenchSeed() {
  namespace seed = orvex::testing::seed;
  seed::Json docs = seed::Json::array();
  for (int i = 0; i < 100; ++i)
    docs.push_back(
        seed::Document("doc-" + std::to_string(i) + ".txt", {{"content", std::string(4096, 'c')}}));
  return seed::Store(seed::Json::array({seed::Workspace(
                         "bench", {{"bench", "coordinator"}},
                         {seed::Folder("docs", false, docs), seed::Folder("work", false)})}),
                     nullptr, seed::Json::array({seed::User("bench", "bench")}));
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

const char kAllprop[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\"><D:allprop/>"
    "</D:propfind>";

// A client's kept-alive connection, logged in by one untimed request. The
// clients log in one after another: they all come from one address, and
// log-ins from one address that are undecided at the same moment count
// toward its throttle as failures would (docstore/login_throttle.h), so a
// burst of them would measure the throttle, not the store.
CURL* LoggedIn(uint16_t port) {
  CURL* curl = curl_easy_init();
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/bench/docs/doc-0.txt";
  curl_easy_setopt(curl, CURLOPT_USERPWD, "bench:bench");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  curl_slist* host = curl_slist_append(nullptr, "Host: docs");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, host);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_perform(curl);
  curl_slist_free_all(host);
  return curl;
}

// One client: its connection and the time each request took.
void Client(CURL* curl, uint16_t port, int id, Clock::time_point end, std::vector<double>& took,
            std::atomic<int>& failures) {
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  curl_slist* depth0 = curl_slist_append(curl_slist_append(nullptr, "Host: docs"), "Depth: 0");
  curl_slist* plain = curl_slist_append(curl_slist_append(nullptr, "Host: docs"), "Expect:");
  const std::string body(4096, 'p');
  const std::string own = "/bench/work/client-" + std::to_string(id) + ".bin";
  for (int n = 0; Clock::now() < end; ++n) {
    const std::string doc = "/bench/docs/doc-" + std::to_string((id + n) % 100) + ".txt";
    int kind = n % 3;
    curl_easy_setopt(curl, CURLOPT_URL, (base + (kind == 2 ? own : doc)).c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, kind == 0 ? depth0 : plain);
    if (kind == 1) {
      curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
      curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
    } else {
      curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, kind == 0 ? "PROPFIND" : "PUT");
      const std::string& payload = kind == 0 ? std::string(kAllprop) : body;
      // The size goes first: set after the copy, a larger size drops the
      // copied body and the request would announce one it never sends.
      curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(payload.size()));
      curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, payload.c_str());
    }
    auto start = Clock::now();
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK)
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    took.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (status < 200 || status >= 300) ++failures;
  }
  curl_slist_free_all(depth0);
  curl_slist_free_all(plain);
  curl_easy_cleanup(curl);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: nodes_bench STORE NODES CLIENTS SECONDS\n");
    return 2;
  }
  const std::string store = argv[1];
  const int nodes = std::atoi(argv[2]);
  const int clients = std::atoi(argv[3]);
  const int seconds = std::atoi(argv[4]);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  std::vector<std::unique_ptr<orvex::docstore::Server>> servers;
  for (int i = 0; i < nodes; ++i) {
    orvex::docstore::ServerOptions options;
    options.store_dir = store;
    options.seed_json = BenchSeed();
    // Room for every client on one node.
    options.limits.max_connections = static_cast<size_t>(clients) + 16;
    options.limits.max_per_address = static_cast<size_t>(clients) + 16;
    servers.push_back(std::make_unique<orvex::docstore::Server>(options));
    servers.back()->Start();
  }
  std::vector<CURL*> connections;
  for (int c = 0; c < clients; ++c)
    connections.push_back(LoggedIn(servers[static_cast<size_t>(c % nodes)]->port()));
  std::vector<std::vector<double>> took(static_cast<size_t>(clients));
  std::atomic<int> failures{0};
  const auto start = Clock::now();
  const auto end = start + std::chrono::seconds(seconds);
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c)
    threads.emplace_back(Client, connections[static_cast<size_t>(c)],
                         servers[static_cast<size_t>(c % nodes)]->port(), c, end,
                         std::ref(took[static_cast<size_t>(c)]), std::ref(failures));
  for (auto& t : threads) t.join();
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<double> all;
  for (const auto& t : took) all.insert(all.end(), t.begin(), t.end());
  std::sort(all.begin(), all.end());
  if (all.empty()) return 1;
  auto at = [&](double q) {
    return all[static_cast<size_t>(q * static_cast<double>(all.size() - 1))];
  };
  std::printf(
      "%-10s nodes %d clients %3d  %8.0f req/s  median %6.2f ms  p99 %7.2f ms  slowest %7.2f ms  "
      "failed %d\n",
      store.rfind("postgres", 0) == 0 ? "postgresql" : "sqlite", nodes, clients,
      static_cast<double>(all.size()) / elapsed, at(0.5), at(0.99), all.back(), failures.load());
  for (auto& s : servers) s->Stop();
  curl_global_cleanup();
  return failures.load() == 0 ? 0 : 1;
}
