// What TLS costs the client, against Apache with mod_ssl started by the
// bench on loopback (a certificate authority made on the spot), beside
// libcurl doing the same requests over TLS to the same server in the same
// run, and beside the same server in clear:
//
//   BM_Connect/{clear,tls}      a ConnectOpen on a new object (a new connection)
//   BM_Listing/{orvex,curl}     GetFileInfo of a folder of 200 documents / one PROPFIND
//   BM_Upload/{orvex,curl}      SaveFile of 1 MiB / one PUT
//
// The ratios to read: BM_Listing/orvex over BM_Listing/curl, BM_Upload/orvex
// over BM_Upload/curl, and BM_Connect/tls minus BM_Connect/clear (the TLS
// handshake). Needs apache2 with mod_ssl and mod_dav.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "automation/connect_orvex.h"
#include "platform/host_settings.h"
#include "support/apache_server.h"
#include "support/temp_dir.h"
#include "support/test_certificates.h"

namespace {

namespace fs = std::filesystem;
using orvex::automation::ConnectOrvex;
using orvex::testing::ApacheServer;

constexpr int kDocuments = 200;
constexpr size_t kUploadBytes = size_t{1} << 20;

struct Peers {
  orvex::testing::TempDir dir{"tls-bench"};
  std::unique_ptr<orvex::testing::TestAuthority> authority;
  ApacheServer clear, tls;
  std::string local;  // the folder of the file to upload
};
Peers* peers = nullptr;

std::string Props(const std::string& name) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propertyupdate xmlns:D=\"DAV:\" "
         "xmlns:p=\"urn:schemas-microsoft-com:publishing:\"><D:set><D:prop><D:displayname>" +
         name +
         "</D:displayname><D:parentname>http://docs/Bench/Big</D:parentname>"
         "<p:documentstate>createdcheckedin</p:documentstate></D:prop></D:set>"
         "</D:propertyupdate>";
}

bool Seed(ApacheServer& server) {
  for (const char* d : {"Public/Workspaces", "Bench/Big", "Bench/Up"})
    fs::create_directories(server.root() / d);
  for (int i = 0; i < kDocuments; ++i)
    std::ofstream(server.root() / ("Bench/Big/doc" + std::to_string(i) + ".txt")) << "x";
  if (!server.Start()) return false;
  const std::string workspace =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propertyupdate xmlns:D=\"DAV:\" "
      "xmlns:w=\"urn:schemas-microsoft-com:workspace\" "
      "xmlns:e=\"urn:schemas-microsoft-com:exch-data:\"><D:set><D:prop>"
      "<w:CategoriesFolder>Categories</w:CategoriesFolder><e:schema-collection-ref>"
      "http://docs/Bench/Schema</e:schema-collection-ref></D:prop></D:set></D:propertyupdate>";
  if (server.Send("PROPPATCH", "/Bench/", workspace) != 207) return false;
  for (int i = 0; i < kDocuments; ++i) {
    std::string name = "doc" + std::to_string(i) + ".txt";
    if (server.Send("PROPPATCH", "/Bench/Big/" + name, Props(name)) != 207) return false;
  }
  return true;
}

void Reach(const ApacheServer& server, bool tls) {
  orvex::platform::SetHostSetting(
      "docs", "url",
      std::string(tls ? "https" : "http") + "://localhost:" + std::to_string(server.port()));
  orvex::platform::SetHostSetting("docs", "ca-file", peers->authority->ca_file());
}

std::unique_ptr<ConnectOrvex> Connected() {
  auto obj = std::make_unique<ConnectOrvex>();
  obj->Properties().ShowDialog = false;
  if (!obj->ConnectOpen("docs", "jones", "CORP", "secret")) return nullptr;
  if (!obj->DefaultServer().SetWorkspace("Bench")) return nullptr;
  return obj;
}

void BM_Connect(benchmark::State& state) {
  const bool tls = state.range(0) == 1;
  Reach(tls ? peers->tls : peers->clear, tls);
  for (auto _ : state) {
    ConnectOrvex obj;
    obj.Properties().ShowDialog = false;
    if (!obj.ConnectOpen("docs", "jones", "CORP", "secret"))
      return state.SkipWithError("cannot connect");
  }
  state.SetLabel(tls ? "tls" : "clear");
}
BENCHMARK(BM_Connect)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

size_t Discard(char*, size_t size, size_t n, void*) { return size * n; }

// One libcurl handle over TLS to the TLS server, reused like the library's.
struct Curl {
  CURL* h = curl_easy_init();
  ~Curl() { curl_easy_cleanup(h); }
  bool Send(const std::string& method, const std::string& path, const std::string* body,
            long expect) {
    curl_easy_reset(h);
    const std::string url = "https://localhost:" + std::to_string(peers->tls.port()) + path;
    curl_slist* headers = curl_slist_append(nullptr, "Depth: 1");
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_CAINFO, peers->authority->ca_file().c_str());
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Discard);
    if (body != nullptr) {
      curl_easy_setopt(h, CURLOPT_POSTFIELDS, body->data());
      curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    }
    long status = 0;
    bool ok = curl_easy_perform(h) == CURLE_OK;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    return ok && status / 100 == expect / 100;  // PUT: 201 first, 204 after
  }
};

void BM_Listing(benchmark::State& state) {
  Reach(peers->tls, true);
  if (state.range(0) == 0) {
    auto obj = Connected();
    if (!obj) return state.SkipWithError("cannot connect");
    for (auto _ : state)
      if (obj->DefaultServer().GetFileInfo("Big") != kDocuments)
        return state.SkipWithError("GetFileInfo did not list every document");
    state.SetLabel("orvex");
  } else {
    Curl curl;
    const std::string body =
        "<?xml version=\"1.0\"?><D:propfind xmlns:D=\"DAV:\"><D:allprop/></D:propfind>";
    for (auto _ : state)
      if (!curl.Send("PROPFIND", "/Bench/Big/", &body, 207))
        return state.SkipWithError("PROPFIND failed");
    state.SetLabel("curl");
  }
}
BENCHMARK(BM_Listing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Upload(benchmark::State& state) {
  Reach(peers->tls, true);
  if (state.range(0) == 0) {
    auto obj = Connected();
    if (!obj) return state.SkipWithError("cannot connect");
    obj->Properties().OverWrite = 3;
    for (auto _ : state)
      if (!obj->DefaultServer().SaveFile("Up", peers->local, "up.bin"))
        return state.SkipWithError("SaveFile failed");
    state.SetLabel("orvex");
  } else {
    Curl curl;
    const std::string body(kUploadBytes, 'u');
    for (auto _ : state)
      if (!curl.Send("PUT", "/Bench/Up/curl.bin", &body, 204))
        return state.SkipWithError("PUT failed");
    state.SetLabel("curl");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kUploadBytes));
}
BENCHMARK(BM_Upload)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (std::string why = ApacheServer::Unavailable(); !why.empty()) {
    std::fprintf(stderr, "tls_bench: %s\n", why.c_str());
    return 2;
  }
  Peers p;
  peers = &p;
  p.authority = std::make_unique<orvex::testing::TestAuthority>(p.dir.path(), "bench");
  auto cert = p.authority->Issue("localhost", {"localhost", "127.0.0.1"});
  p.tls.UseTls(cert.cert, cert.key);
  p.local = p.dir.path() + "/local";
  fs::create_directories(p.local);
  std::ofstream(p.local + "/up.bin") << std::string(kUploadBytes, 'u');
  if (!Seed(p.clear) || !Seed(p.tls)) {
    std::fprintf(stderr, "tls_bench: Apache did not come up\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
