// Request timings of the docstore over loopback HTTP (libcurl, one
// keep-alive connection): PROPFIND Depth 1 on a folder of 10,000 documents,
// PROPFIND Depth 0, PUT and GET of small and large documents, and a
// check-out / check-in round.
//
// Side-by-side numbers against Apache mod_dav_fs: bench/docstore/compare_apache.sh.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

#include "docstore/server.h"
#include "support/seed.h"

namespace {

constexpr int kDocuments = 10000;

std::string BenchSeed() {
  namespace seed = orvex::testing::seed;
  seed::Json many = seed::Json::array();
  for (int i = 0; i < kDocuments; ++i) {
    const std::string n = std::to_string(i);
    many.push_back(seed::Document(
        "doc-" + n + ".txt",
        {{"content", "content of document " + n},
         {"properties", {{"urn:schemas-microsoft-com:office:office#Title", "Document " + n}}}}));
  }
  seed::Json cycle =
      seed::Document("cycle.txt", {{"versions", {{{"content", "v"}, {"user", "bench"}}}}});
  return seed::Store(seed::Json::array({seed::Workspace(
                         "bench", {{"bench", "coordinator"}},
                         {seed::Folder("many", false, many), seed::Folder("work", false),
                          seed::Folder("flow", true, seed::Json::array({cycle}))})}),
                     nullptr, seed::Json::array({seed::User("bench", "bench")}));
}

orvex::docstore::Server& SharedServer() {
  static auto server = [] {
    orvex::docstore::ServerOptions options;
    options.seed_json = BenchSeed();
    auto s = std::make_unique<orvex::docstore::Server>(options);
    s->Start();
    return s;
  }();
  return *server;
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// One keep-alive connection with the bench user's credentials.
class Http {
 public:
  Http() : curl_(curl_easy_init()) {
    base_ = "http://127.0.0.1:" + std::to_string(SharedServer().port());
    curl_easy_setopt(curl_, CURLOPT_USERPWD, "bench:bench");
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &body_);
  }
  ~Http() {
    curl_slist_free_all(headers_);
    curl_easy_cleanup(curl_);
  }

  long Send(const char* method, const std::string& path, const std::string& payload,
            const char* depth = nullptr) {
    body_.clear();
    curl_slist_free_all(headers_);
    headers_ = curl_slist_append(nullptr, "Host: docs");
    headers_ = curl_slist_append(headers_, "Expect:");
    if (depth) headers_ = curl_slist_append(headers_, depth);
    curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(curl_, CURLOPT_URL, (base_ + path).c_str());
    curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, method);
    curl_easy_setopt(curl_, CURLOPT_NOBODY, std::string(method) == "HEAD" ? 1L : 0L);
    if (payload.empty()) {
      curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, nullptr);
      curl_easy_setopt(curl_, CURLOPT_HTTPGET, 1L);
      curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, method);
    } else {
      curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, payload.data());
      curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(payload.size()));
    }
    long status = 0;
    if (curl_easy_perform(curl_) == CURLE_OK)
      curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
    return status;
  }
  const std::string& body() const { return body_; }

 private:
  CURL* curl_;
  curl_slist* headers_ = nullptr;
  std::string base_;
  std::string body_;
};

const char kAllprop[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\"><D:allprop/>"
    "</D:propfind>";

void BM_PropfindDepth1TenThousandDocuments(benchmark::State& state) {
  Http http;
  size_t bytes = 0;
  for (auto _ : state) {
    if (http.Send("PROPFIND", "/bench/many/", kAllprop, "Depth: 1") != 207)
      state.SkipWithError("PROPFIND failed");
    bytes += http.body().size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["responses"] = kDocuments + 1;
}
BENCHMARK(BM_PropfindDepth1TenThousandDocuments)->Unit(benchmark::kMillisecond);

void BM_PropfindDepth0Document(benchmark::State& state) {
  Http http;
  for (auto _ : state)
    if (http.Send("PROPFIND", "/bench/many/doc-5000.txt", kAllprop, "Depth: 0") != 207)
      state.SkipWithError("PROPFIND failed");
}
BENCHMARK(BM_PropfindDepth0Document)->Unit(benchmark::kMicrosecond);

void BM_PutDocument(benchmark::State& state) {
  Http http;
  std::string payload(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    long status = http.Send("PUT", "/bench/work/put.bin", payload);
    if (status != 201 && status != 204) state.SkipWithError("PUT failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_PutDocument)->Arg(4 << 10)->Arg(1 << 20)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

void BM_GetDocument(benchmark::State& state) {
  Http http;
  std::string payload(static_cast<size_t>(state.range(0)), 'g');
  http.Send("PUT", "/bench/work/get.bin", payload);
  for (auto _ : state)
    if (http.Send("GET", "/bench/work/get.bin", "") != 200 || http.body().size() != payload.size())
      state.SkipWithError("GET failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_GetDocument)->Arg(4 << 10)->Arg(1 << 20)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

void BM_CheckoutCheckin(benchmark::State& state) {
  Http http;
  for (auto _ : state) {
    if (http.Send("CHECKOUT", "/bench/flow/cycle.txt", "") != 200 ||
        http.Send("CHECKIN", "/bench/flow/cycle.txt", "") != 201)
      state.SkipWithError("check-out / check-in failed");
  }
}
BENCHMARK(BM_CheckoutCheckin)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
