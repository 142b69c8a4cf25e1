// Clients that hold connections without finishing requests, read or write
// slowly, or keep guessing passwords cannot lock others out: each connection
// has deadlines and a least rate, connections are counted per address and in
// all, and failed log-ins from an address are slowed down.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "docstore/login_throttle.h"
#include "support/docstore_client.h"
#include "support/raw_connection.h"

namespace orvex::docstore::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

int64_t MillisSince(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

using Conn = RawConnection;

std::unique_ptr<Server> StartWith(const ConnectionLimits& limits) {
  ServerOptions options;
  options.limits = limits;
  auto server = std::make_unique<Server>(options);
  server->Start();
  return server;
}

// A PROPFIND of Sales with the credentials of `auth` (an Authorization
// line, or "" for none).
std::string Propfind(const std::string& auth = kSmithAuth) {
  return "PROPFIND /Sales/ HTTP/1.1\r\nHost: docs\r\n" + auth + "Depth: 0\r\n\r\n";
}

// How many of `conns` the server has closed, each read for `timeout_ms`.
int ClosedOf(std::vector<std::unique_ptr<Conn>>& conns, int timeout_ms) {
  int closed = 0;
  for (auto& c : conns) {
    c->Read(timeout_ms);
    closed += c->closed();
  }
  return closed;
}

// `n` connections from `from`.
std::vector<std::unique_ptr<Conn>> Open(uint16_t port, int n, const char* from) {
  std::vector<std::unique_ptr<Conn>> conns;
  for (int i = 0; i < n; ++i) {
    conns.push_back(std::make_unique<Conn>(port, from));
    EXPECT_TRUE(conns.back()->ok()) << i;
  }
  return conns;
}

// Fails six log-ins from `from`, enough that its every attempt then waits.
void Throttle(uint16_t port, const char* from) {
  Conn first(port, from);
  for (int i = 0; i < 6; ++i) {
    first.Send(Propfind(kWrongJonesAuth));
    first.ReadAnswer(5000);
  }
}

TEST(ConnectionLimitsTest, DrippingConnectionsFromOneAddressDoNotLockOthersOut) {
  ConnectionLimits limits;
  limits.header_timeout_ms = 1500;
  auto server = StartWith(limits);
  // 300 connections from one address, each starting a request and then
  // sending one more header line every 200 ms.
  std::vector<std::unique_ptr<Conn>> drips;
  for (int i = 0; i < 300; ++i) {
    drips.push_back(std::make_unique<Conn>(server->port()));
    ASSERT_TRUE(drips.back()->ok()) << i;
    drips.back()->Send("PROPFIND /Sales/ HTTP/1.1\r\nHost: docs\r\n");
  }
  std::vector<int64_t> latencies;
  auto start = Clock::now();
  int round = 0;
  while (MillisSince(start) < 1200) {
    for (size_t i = 0; i < drips.size(); ++i)
      drips[i]->Send("X-Drip-" + std::to_string(round) + ": x\r\n");
    ++round;
    // A client on another address is served at once, every time.
    Conn legit(server->port(), "127.0.0.2");
    ASSERT_TRUE(legit.ok());
    auto asked = Clock::now();
    legit.Send(Propfind());
    std::string answer = legit.ReadAnswer(5000);
    latencies.push_back(MillisSince(asked));
    EXPECT_EQ(StatusOf(answer), 207);
    std::this_thread::sleep_for(milliseconds(200));
  }
  std::sort(latencies.begin(), latencies.end());
  EXPECT_LT(latencies[latencies.size() / 2], 100);
  EXPECT_LT(latencies.back(), 1000);
  // Past the per-address limit each newcomer took the place of the address's
  // longest dripping one: the earlier ones were closed, not left hanging.
  EXPECT_GE(ClosedOf(drips, 0), 300 - static_cast<int>(limits.max_per_address));
  // The admitted ones kept dripping, but their headers had a deadline from
  // the first byte: by now every one has been closed.
  while (MillisSince(start) < 3500) {
    for (auto& c : drips) c->Send("X-More: x\r\n");
    std::this_thread::sleep_for(milliseconds(200));
  }
  EXPECT_EQ(ClosedOf(drips, 100), static_cast<int>(drips.size()));
}

TEST(ConnectionLimitsTest, PastTheLimitsIdleConnectionsGiveWayAndBusyOnesAnswer503) {
  ConnectionLimits limits;
  limits.max_per_address = 3;
  limits.max_connections = 5;
  auto server = StartWith(limits);
  std::vector<std::unique_ptr<Conn>> held;
  auto served = [&](const char* from) {
    auto c = std::make_unique<Conn>(server->port(), from);
    c->Send(Propfind());
    int status = StatusOf(c->ReadAnswer(3000));
    if (status == 207) held.push_back(std::move(c));
    return status;
  };
  // Connections in the middle of a request (a PUT body on its way) are not
  // given up for a newcomer.
  std::vector<std::unique_ptr<Conn>> busy;
  auto upload = [&](const char* from) {
    busy.push_back(std::make_unique<Conn>(server->port(), from));
    busy.back()->Send("PUT /Sales/Archive/b" + std::to_string(busy.size()) +
                      ".txt HTTP/1.1\r\nHost: docs\r\n" + kSmithAuth +
                      "Content-Length: 1000\r\n\r\nx");
  };
  for (int i = 0; i < 3; ++i) upload("127.0.0.1");
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(served("127.0.0.1"), 503);
  upload("127.0.0.2");
  upload("127.0.0.2");
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(served("127.0.0.3"), 503);  // five open in all
  // A closed connection frees its place.
  busy.front()->Close();
  int status = 0;
  for (int attempt = 0; attempt < 40 && status != 207; ++attempt) {
    std::this_thread::sleep_for(milliseconds(50));
    status = served("127.0.0.3");
  }
  EXPECT_EQ(status, 207);
  busy.clear();
  held.clear();

  // Idle kept-alive connections give way: the longest idle one first, and
  // past the count of one address, one of that address's own.
  auto idle = StartWith(limits);
  server.swap(idle);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(served("127.0.0.1"), 207);
  EXPECT_EQ(served("127.0.0.2"), 207);
  EXPECT_EQ(served("127.0.0.2"), 207);
  EXPECT_EQ(served("127.0.0.3"), 207);
  held[0]->Read(2000);
  EXPECT_TRUE(held[0]->closed());
  EXPECT_EQ(served("127.0.0.2"), 207);  // five in all: the longest idle goes
  held[1]->Read(2000);
  EXPECT_TRUE(held[1]->closed());
  EXPECT_EQ(served("127.0.0.2"), 207);  // 127.0.0.2's fourth: its own longest idle goes
  held[3]->Read(2000);
  EXPECT_TRUE(held[3]->closed());
  held[2]->Read(100);
  EXPECT_FALSE(held[2]->closed());
}

TEST(ConnectionLimitsTest, SlowBodiesIdleConnectionsAndUnreadAnswersAreEnded) {
  ConnectionLimits limits;
  limits.idle_timeout_ms = 600;
  limits.rate_window_ms = 600;
  limits.min_bytes_per_second = 4096;
  auto server = StartWith(limits);

  // A body sent at 500 bytes a second, a byte every 2 ms: each byte resets
  // no clock, and the connection ends well before the body would.
  Conn slow(server->port());
  slow.Send("PUT /Sales/slow.txt HTTP/1.1\r\nHost: docs\r\n" + std::string(kSmithAuth) +
            "Content-Length: 100000\r\n\r\n");
  auto start = Clock::now();
  while (!slow.closed() && MillisSince(start) < 5000) {
    slow.Send(std::string(50, 'x'));
    slow.Read(100);
  }
  EXPECT_TRUE(slow.closed());
  EXPECT_LT(MillisSince(start), 3000);
  Client smith(server->port(), "CORP\\smith", "secret");
  EXPECT_EQ(smith.Send("GET", "/Sales/slow.txt").status, 404);

  // A kept-alive connection that sends nothing more is closed after the
  // idle timeout; one that keeps asking is not.
  Conn idle(server->port());
  Conn busy(server->port());
  idle.Send(Propfind());
  EXPECT_EQ(StatusOf(idle.ReadAnswer(2000)), 207);
  start = Clock::now();
  while (MillisSince(start) < 1500) {
    busy.Send(Propfind());
    EXPECT_EQ(StatusOf(busy.ReadAnswer(2000)), 207);
    std::this_thread::sleep_for(milliseconds(100));
  }
  idle.Read(100);
  EXPECT_TRUE(idle.closed());
  EXPECT_FALSE(busy.closed());

  // An answer the client does not read: once the socket buffers are full
  // the server stops being able to write, and ends the connection rather
  // than wait on it for ever.
  std::string big(16 << 20, 'b');
  EXPECT_EQ(smith.Send("PUT", "/Sales/big.bin", {}, big).status, 201);
  Conn reader(server->port());
  reader.Send("GET /Sales/big.bin HTTP/1.1\r\nHost: docs\r\n" + std::string(kSmithAuth) + "\r\n");
  std::this_thread::sleep_for(milliseconds(1500));
  std::string got;
  while (!reader.closed()) got += reader.Read(1000);
  EXPECT_LT(got.size(), big.size());
  EXPECT_EQ(smith.Send("GET", "/Sales/readme.txt").status, 200);
}

TEST(ConnectionLimitsTest, FailedLogInsFromOneAddressAreSlowedDown) {
  auto server = StartServer();
  Conn guesser(server->port());
  auto guess = [&](Conn& c, const std::string& auth) {
    auto asked = Clock::now();
    c.Send(Propfind(auth));
    EXPECT_EQ(StatusOf(c.ReadAnswer(10000)), 401);
    return MillisSince(asked);
  };
  int64_t first = 0;
  for (int i = 0; i < 5; ++i) first += guess(guesser, kWrongJonesAuth);
  int64_t later = 0;
  for (int i = 0; i < 4; ++i) later += guess(guesser, kWrongJonesAuth);
  // The first few cost only the password check; the next four wait 100,
  // 200, 400 and 800 ms.
  EXPECT_GE(later, 1500);
  EXPECT_LT(first, 1000);
  // Another address is not slowed down by this one.
  Conn other(server->port(), "127.0.0.2");
  EXPECT_LT(guess(other, kWrongJonesAuth), 500);
  // Requests without credentials are not log-in failures: they are answered
  // at once even from the slowed address.
  Conn anonymous(server->port());
  EXPECT_LT(guess(anonymous, ""), 500);
}

TEST(ConnectionLimitsTest, GuessesOnManyConnectionsClimbTheSameRamp) {
  auto server = StartServer();
  // Twenty guesses sent at once on twenty connections: five are free, the
  // rest queue behind each other (100, 200, 400 ms...), as one after another
  // on one connection would.
  auto guessers = Open(server->port(), 20, "127.0.0.4");
  for (auto& g : guessers) g->Send(Propfind(kWrongJonesAuth));
  auto start = Clock::now();
  int answered = 0;
  std::vector<bool> done(guessers.size(), false);
  while (MillisSince(start) < 1000) {
    for (size_t i = 0; i < guessers.size(); ++i) {
      if (done[i] || StatusOf(guessers[i]->Read(10)) != 401) continue;
      done[i] = true;
      ++answered;
    }
  }
  EXPECT_GE(answered, 5);
  EXPECT_LE(answered, 8);
}

TEST(ConnectionLimitsTest, RightLogInsArrivingTogetherFromOneAddressWaitOnlyForTheirChecks) {
  auto server = StartServer();
  // Sixteen clients behind one proxy log in at the same moment. Counting
  // the undecided ones as failures would make the last ones wait 100 ms,
  // 200 ms ... 5 s each; they only take turns with each other's checks.
  auto clients = Open(server->port(), 16, "127.0.0.7");
  auto start = Clock::now();
  for (auto& c : clients) c->Send(Propfind());
  for (auto& c : clients) EXPECT_EQ(StatusOf(c->ReadAnswer(10000)), 207);
  EXPECT_LT(MillisSince(start), 2000);
}

TEST(ConnectionLimitsTest, BehindATrustedProxyEachForwardedClientClimbsARampOfItsOwn) {
  ServerOptions options;
  options.trusted_proxies = {"127.0.0.8"};
  Server server(options);
  server.Start();
  auto guess = [&](Conn& c, const std::string& forwarded) {
    auto asked = Clock::now();
    c.Send(Propfind("X-Forwarded-For: " + forwarded + "\r\n" + kWrongJonesAuth));
    EXPECT_EQ(StatusOf(c.ReadAnswer(10000)), 401);
    return MillisSince(asked);
  };
  Conn proxy(server.port(), "127.0.0.8");
  for (int i = 0; i < 6; ++i) guess(proxy, "10.0.0.1");
  EXPECT_GE(guess(proxy, "10.0.0.1"), 150);
  // Another client behind the same proxy is not slowed down. Which entry
  // of the header is believed, and from which peers, is LoginThrottleTest's.
  EXPECT_LT(guess(proxy, "10.0.0.2"), 100);
}

TEST(LoginThrottleTest, OnlyATrustedProxyNamesTheClientAndOnlyByAnAddress) {
  LoginThrottle throttle({"192.0.2.1", "2001:db8::1"});
  EXPECT_EQ(throttle.ClientOf("192.0.2.1", "203.0.113.7"), "203.0.113.7");
  EXPECT_EQ(throttle.ClientOf("2001:db8::1", "198.51.100.1 , 2001:db8::42 "), "2001:db8::42");
  EXPECT_EQ(throttle.ClientOf("192.0.2.1", ""), "192.0.2.1");
  EXPECT_EQ(throttle.ClientOf("192.0.2.1", "203.0.113.7:5555"), "192.0.2.1");
  EXPECT_EQ(throttle.ClientOf("192.0.2.1", "unknown"), "192.0.2.1");
  EXPECT_EQ(throttle.ClientOf("192.0.2.9", "203.0.113.7"), "192.0.2.9");
}

// The throttle itself: how many attempts of one address are checked at once.
TEST(LoginThrottleTest, AttemptsCheckedAtOnceNeverOutnumberTheFreeFailuresLeft) {
  LoginThrottle throttle;
  int waits = 0;
  LoginThrottle::Waiter waiter{[&] { ++waits; }, [] { return false; }};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(throttle.Admit("a", waiter));
    throttle.Done("a", true);
  }
  // Three free failures left: three attempts are checked side by side, a
  // fourth waits for one of them to be decided.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(throttle.Admit("a", waiter));
  EXPECT_EQ(waits, 0);
  std::atomic<bool> fourth{false};
  std::thread later([&] {
    LoginThrottle::Waiter own{[] {}, [] { return false; }};
    fourth = throttle.Admit("a", own);
  });
  std::this_thread::sleep_for(milliseconds(150));
  EXPECT_FALSE(fourth);
  throttle.Done("a", false);  // a right password: the fourth goes, free
  later.join();
  EXPECT_TRUE(fourth);
  // Another address is not held up by this one.
  ASSERT_TRUE(throttle.Admit("b", waiter));
  throttle.Done("b", false);
  EXPECT_EQ(waits, 0);
  // All failing uses the free ones up: the next attempt waits its delay
  // first, and one given up while waiting is not let through.
  for (int i = 0; i < 3; ++i) throttle.Done("a", true);
  auto asked = Clock::now();
  ASSERT_TRUE(throttle.Admit("a", waiter));
  EXPECT_GE(MillisSince(asked), LoginThrottle::kFirstDelay.count());
  EXPECT_EQ(waits, 1);
  throttle.Done("a", true);
  auto give_up_at = Clock::now() + milliseconds(60);
  LoginThrottle::Waiter impatient{[] {}, [&] { return Clock::now() > give_up_at; }};
  asked = Clock::now();
  EXPECT_FALSE(throttle.Admit("a", impatient));
  EXPECT_LT(MillisSince(asked), 2 * LoginThrottle::kFirstDelay.count());
}

TEST(ConnectionLimitsTest, UnknownUsersAreRefusedAsSlowlyAsKnownOnes) {
  auto server = StartServer();
  // The median time of three refusals, each from an address of its own
  // (no throttle between them).
  auto median = [&](const std::string& credentials, const char* from) {
    std::vector<int64_t> times;
    for (int i = 0; i < 3; ++i) {
      Conn c(server->port(), from);
      auto asked = Clock::now();
      c.Send(Propfind("Authorization: Basic " + credentials + "\r\n"));
      EXPECT_EQ(StatusOf(c.ReadAnswer(5000)), 401);
      times.push_back(
          std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - asked).count());
    }
    std::sort(times.begin(), times.end());
    return times[1];
  };
  // base64("CORP\jones:wrong") and base64("CORP\nobody:wrong")
  int64_t known = median("Q09SUFxqb25lczp3cm9uZw==", "127.0.0.5");
  int64_t unknown = median("Q09SUFxub2JvZHk6d3Jvbmc=", "127.0.0.6");
  // Both pay for the password hash; without it an unknown name is refused
  // some thirty times faster.
  EXPECT_GT(unknown * 3, known) << "known " << known << " us, unknown " << unknown << " us";
}

// Served (207) on a fresh connection from 127.0.0.1, within 5 s?
bool LegitimateServed(uint16_t port) {
  Conn c(port);
  c.Send(Propfind());
  return StatusOf(c.ReadAnswer(5000)) == 207;
}

TEST(ConnectionLimitsTest, SlotsHeldFromManyAddressesGiveWayToALegitimateClient) {
  ConnectionLimits limits;
  limits.max_connections = 24;
  limits.max_per_address = 8;
  auto server = StartWith(limits);
  const char* attackers[] = {"127.0.0.10", "127.0.0.11", "127.0.0.12", "127.0.0.13"};
  std::vector<std::unique_ptr<Conn>> held;
  auto served_of_five = [&] {
    int served = 0;
    for (int i = 0; i < 5; ++i) served += LegitimateServed(server->port());
    return served;
  };
  // Kept-alive connections with one cheap request each, then idle.
  for (int i = 0; i < 24; ++i) {
    held.push_back(std::make_unique<Conn>(server->port(), attackers[i % 4]));
    held.back()->Send("OPTIONS / HTTP/1.1\r\nHost: docs\r\n\r\n");
    held.back()->ReadAnswer(2000);
  }
  EXPECT_EQ(served_of_five(), 5);
  held.clear();
  // Headers dripping in.
  for (int i = 0; i < 24; ++i) {
    held.push_back(std::make_unique<Conn>(server->port(), attackers[i % 4]));
    held.back()->Send("PROPFIND /Sales/ HTTP/1.1\r\nHost: docs\r\n");
  }
  EXPECT_EQ(served_of_five(), 5);
  held.clear();
  // Log-ins parked in the throttle: an address that failed often enough
  // that its every attempt waits, on 24 connections at once.
  Throttle(server->port(), "127.0.0.14");
  for (int i = 0; i < 24; ++i) {
    held.push_back(std::make_unique<Conn>(server->port(), "127.0.0.14"));
    held.back()->Send(Propfind(kWrongJonesAuth));
  }
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(served_of_five(), 5);
  held.clear();
  // A waiting log-in holds none of the server's own places: with them all
  // taken by such log-ins, a newcomer from elsewhere comes in beside them
  // and ends none of them.
  limits.max_connections = limits.max_per_address;
  server = StartWith(limits);
  Throttle(server->port(), "127.0.0.15");
  // One at a time: until the server has read a log-in's header, that
  // connection still holds a place (a header on its way), and a full server
  // would rightly end it for the next one.
  for (size_t i = 0; i < limits.max_per_address; ++i) {
    held.push_back(std::make_unique<Conn>(server->port(), "127.0.0.15"));
    held.back()->Send(Propfind(kWrongJonesAuth));
    std::this_thread::sleep_for(milliseconds(40));
  }
  EXPECT_EQ(served_of_five(), 5);
  EXPECT_EQ(ClosedOf(held, 0), 0);
}

TEST(ConnectionLimitsTest, IdleKeptAliveConnectionsHoldNoThreadAndResumeWhenAsked) {
  auto threads = [] {
    size_t n = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
      ++n;
    return n;
  };
  const std::string options = "OPTIONS / HTTP/1.1\r\nHost: docs\r\n\r\n";
  auto server = StartWith(ConnectionLimits{});
  size_t before = threads();
  // 150 kept-alive connections (three addresses, within the per-address
  // limit), each served once and then left idle.
  const char* from[] = {"127.0.0.31", "127.0.0.32", "127.0.0.33"};
  std::vector<std::unique_ptr<Conn>> idle;
  for (int i = 0; i < 150; ++i) {
    idle.push_back(std::make_unique<Conn>(server->port(), from[i % 3]));
    idle.back()->Send(options);
    ASSERT_EQ(StatusOf(idle.back()->ReadAnswer(5000)), 200) << i;
  }
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_LE(threads(), before + 5) << "threads held by idle connections";
  // Each one is served again when it asks, the second of a pipelined pair
  // included.
  for (auto& c : idle) {
    c->Send(options);
    EXPECT_EQ(StatusOf(c->ReadAnswer(5000)), 200);
  }
  std::this_thread::sleep_for(milliseconds(300));
  idle.front()->Send(options + options);
  std::string both;
  auto start = Clock::now();
  auto answers = [&both] {
    size_t n = 0;
    for (size_t at = both.find("HTTP/1.1 200"); at != std::string::npos;
         at = both.find("HTTP/1.1 200", at + 1))
      ++n;
    return n;
  };
  while (answers() < 2 && MillisSince(start) < 5000) both += idle.front()->Read(100);
  EXPECT_EQ(answers(), 2u) << both;
  // Stopping ends the parked ones too, at once.
  std::this_thread::sleep_for(milliseconds(300));
  start = Clock::now();
  server->Stop();
  EXPECT_LT(MillisSince(start), 3000);
  EXPECT_EQ(ClosedOf(idle, 100), static_cast<int>(idle.size()));
}

TEST(ConnectionLimitsTest, OutOfDescriptorsTheServerWaitsInsteadOfSpinning) {
#ifdef __SANITIZE_ADDRESS__
  // The sanitizers' runtime needs descriptors of its own (it probes memory
  // through a pipe to check an object's type, and starts a symbolizer to
  // report): with none left it reports errors that are not there. The
  // plain build runs this test.
  GTEST_SKIP() << "a sanitizer build cannot run out of descriptors";
#endif
  // The executable with few descriptors, as under a strict service manager.
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    rlimit few{48, 48};
    ::setrlimit(RLIMIT_NOFILE, &few);
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(ORVEX_DOCSTORE_BINARY, ORVEX_DOCSTORE_BINARY, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  std::string line;
  char c;
  while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
  ::close(out[0]);
  ASSERT_EQ(line.rfind("listening on ", 0), 0u) << line;
  auto port = static_cast<uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
  // CPU time the process has used, in clock ticks.
  auto cpu = [pid] {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;
    long user = 0, system = 0;
    fields >> user >> system;
    return user + system;
  };
  std::vector<std::unique_ptr<Conn>> flood;
  for (int i = 0; i < 80; ++i) flood.push_back(std::make_unique<Conn>(port, "127.0.0.20"));
  std::this_thread::sleep_for(milliseconds(300));
  long before = cpu();
  std::this_thread::sleep_for(milliseconds(1000));
  long used = cpu() - before;
  // A second of spinning would be about 100 ticks.
  EXPECT_LT(used, 30) << "ticks in one second";
  flood.clear();
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(LegitimateServed(port));
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace orvex::docstore::testing
