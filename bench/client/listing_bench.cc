// What the client's listings cost against a running orvex-docstore seeded by
// compare_curl.sh: wall time per operation, and the HTTP requests each
// operation sends, counted by a relay put in front of the server once per
// benchmark (the timed loops talk to the server directly).
//
//   ORVEX_DOCSTORE_PORT=PORT listing_bench [benchmark flags]
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "automation/connect_orvex.h"
#include "integration/counting_proxy.h"
#include "platform/host_map.h"

namespace {

using orvex::Variant;
using orvex::automation::ConnectOrvex;

uint16_t ServerPort() {
  const char* port = std::getenv("ORVEX_DOCSTORE_PORT");
  return port == nullptr ? 0 : static_cast<uint16_t>(std::atoi(port));
}

Variant Call(ConnectOrvex& obj, std::string_view name, std::vector<Variant> args = {}) {
  return obj.Invoke(*obj.GetIdOfName(name), orvex::InvokeKind::kMethod, args);
}

std::unique_ptr<ConnectOrvex> Connected(bool in_workspace) {
  auto obj = std::make_unique<ConnectOrvex>();
  obj->Properties().ShowDialog = false;
  if (!obj->ConnectOpen("docs", "jones", "CORP", "secret")) return nullptr;
  if (in_workspace && !Call(*obj, "SetWorkspace", {Variant("Bench")}).ToBool()) return nullptr;
  return obj;
}

// Requests `operation` sends, on an object prepared by `prepare`, counted by
// a relay; the host map points at the server again afterwards.
int RequestsOf(const std::function<std::unique_ptr<ConnectOrvex>()>& prepare,
               const std::function<void(ConnectOrvex&)>& operation) {
  orvex::testing::CountingProxy relay(ServerPort());
  orvex::platform::MapHost("docs", {"127.0.0.1", relay.port()});
  int requests = -1;
  if (auto obj = prepare()) {
    relay.Reset();
    operation(*obj);
    requests = relay.requests();
  }
  orvex::platform::MapHost("docs", {"127.0.0.1", ServerPort()});
  return requests;
}

// The folder compare_curl.sh seeds with `documents` documents.
std::string BigFolder(int64_t documents) {
  return documents == 1000 ? "Big" : "Big" + std::to_string(documents);
}

// The process's peak resident set so far, in bytes.
double PeakRss() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

// GetFileInfo on a folder of range(0) documents; the larger folders are
// seeded only when compare_curl.sh is asked for them. Its CPU time is the
// client's alone (the server is another process). Run in increasing sizes,
// the peak resident set after each is that of its largest listing.
void BM_GetFileInfo(benchmark::State& state) {
  const int64_t documents = state.range(0);
  const std::string folder = BigFolder(documents);
  auto obj = Connected(true);
  if (!obj) return state.SkipWithError("cannot connect");
  for (auto _ : state) {
    if (Call(*obj, "GetFileInfo", {Variant(folder)}).ToInt16() != documents)
      return state.SkipWithError("GetFileInfo did not list the folder's documents");
  }
  state.counters["peak_rss"] = PeakRss();
  state.counters["requests"] =
      RequestsOf([] { return Connected(true); },
                 [&](ConnectOrvex& o) { Call(o, "GetFileInfo", {Variant(folder)}); });
}
BENCHMARK(BM_GetFileInfo)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(32000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_IsVersionFolder(benchmark::State& state) {
  auto obj = Connected(true);
  if (!obj) return state.SkipWithError("cannot connect");
  for (auto _ : state) {
    if (!Call(*obj, "IsVersionFolder", {Variant("Tree/F3/G3")}).ToBool())
      return state.SkipWithError("IsVersionFolder failed");
  }
  state.counters["requests"] =
      RequestsOf([] { return Connected(true); },
                 [](ConnectOrvex& o) { Call(o, "IsVersionFolder", {Variant("Tree/F3/G3")}); });
}
BENCHMARK(BM_IsVersionFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConnectAndSetWorkspace(benchmark::State& state) {
  for (auto _ : state) {
    if (!Connected(true)) return state.SkipWithError("cannot connect");
  }
  state.counters["connect_requests"] =
      RequestsOf([] { return std::make_unique<ConnectOrvex>(); },
                 [](ConnectOrvex& o) {
                   o.Properties().ShowDialog = false;
                   o.ConnectOpen("docs", "jones", "CORP", "secret");
                 });
  state.counters["setworkspace_requests"] =
      RequestsOf([] { return Connected(false); },
                 [](ConnectOrvex& o) { Call(o, "SetWorkspace", {Variant("Bench")}); });
  state.counters["getdocfolderinfo_requests"] =
      RequestsOf([] { return Connected(true); },
                 [](ConnectOrvex& o) { Call(o, "GetDocFolderInfo", {Variant("")}); });
}
BENCHMARK(BM_ConnectAndSetWorkspace)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (ServerPort() == 0) {
    std::fprintf(stderr, "listing_bench: set ORVEX_DOCSTORE_PORT (see compare_curl.sh)\n");
    return 2;
  }
  orvex::platform::MapHost("docs", {"127.0.0.1", ServerPort()});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
