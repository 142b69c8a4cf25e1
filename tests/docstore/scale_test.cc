// The store under many clients and at scale: readers run beside a writer's
// open transaction and see only committed states, concurrent writers all
// commit, and a folder of 100,000 documents is listed as a stream that a
// client can read piece by piece.
#include <expat.h>
#include <gtest/gtest.h>

#include <atomic>
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <future>
#include <thread>

#include "docstore/seed.h"
#include "docstore/store.h"
#include "support/docstore_client.h"
#include "support/temp_dir.h"

namespace orvex::docstore::testing {
namespace {

namespace fs = std::filesystem;
using orvex::testing::TempDir;
namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

constexpr char kSmallSeed[] = R"({"users": [{"name": "ann", "password": "pw"}],
  "workspaces": [{"name": "W", "roles": {"ann": "author"},
                  "items": [{"name": "F", "type": "standard"}]}]})";

TEST(StoreConcurrencyTest, ReadersSeeCommittedStatesWhileAWriterHoldsItsTransaction) {
  TempDir disk("scale");
  for (const std::string& dir : {std::string(), disk.path()}) {
    Store store(StoreLocation(dir));
    LoadSeed(store, kSmallSeed);
    std::mutex mutex;
    std::condition_variable changed;
    bool writing = false;
    bool reader_done = false;
    bool reader_finished_first = false;
    std::thread writer([&] {
      Store::Txn txn(store);
      Resource folder = *store.Find("/W/F");
      store.Create(folder, "new.txt", Kind::kDocument, "");
      std::unique_lock lock(mutex);
      writing = true;
      changed.notify_all();
      // Holds the transaction until the reader is through (bounded, so a
      // reader that waits for the writer fails the check instead of hanging).
      changed.wait_for(lock, std::chrono::seconds(5), [&] { return reader_done; });
      reader_finished_first = reader_done;
      lock.unlock();
      txn.Commit();
    });
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return writing; });
    }
    {
      Store::Txn read(store, Store::Txn::kRead);
      EXPECT_TRUE(store.Find("/W/F"));
      EXPECT_FALSE(store.Find("/W/F/new.txt")) << "a reader saw an uncommitted write";
      read.Commit();
    }
    {
      std::lock_guard lock(mutex);
      reader_done = true;
      changed.notify_all();
    }
    writer.join();
    EXPECT_TRUE(reader_finished_first) << "the reader waited for the writer";
    Store::Txn read(store, Store::Txn::kRead);
    EXPECT_TRUE(store.Find("/W/F/new.txt"));
    read.Commit();
  }
}

TEST(StoreConcurrencyTest, ConcurrentWritersAllCommitAndSurviveReopening) {
  TempDir dir;
  constexpr int kThreads = 8;
  constexpr int kEach = 25;
  {
    Store store(StoreLocation(dir.path()));
    LoadSeed(store, kSmallSeed);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&store, t] {
        for (int i = 0; i < kEach; ++i) {
          Store::Txn txn(store);
          Resource folder = *store.Find("/W/F");
          store.Create(folder, std::to_string(t) + "-" + std::to_string(i), Kind::kDocument, "");
          txn.Commit();
          // Every commit this thread saw return is visible to a new reader.
          Store::Txn read(store, Store::Txn::kRead);
          ASSERT_TRUE(store.Find("/W/F/" + std::to_string(t) + "-" + std::to_string(i)));
          read.Commit();
        }
      });
    for (auto& t : threads) t.join();
  }
  Store store(StoreLocation(dir.path()));
  Store::Txn read(store, Store::Txn::kRead);
  EXPECT_EQ(store.Children(store.Find("/W/F")->id).size(), size_t{kThreads * kEach});
}

// Counts the DAV:response elements of a multistatus fed to it in pieces, and
// the getcontentlength values that are not "0".
class ResponseCounter {
 public:
  ResponseCounter() : parser_(XML_ParserCreateNS(nullptr, '|')) {
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(
        parser_,
        [](void* self, const XML_Char* name, const XML_Char**) {
          auto* c = static_cast<ResponseCounter*>(self);
          c->in_length_ = std::strcmp(name, "DAV:|getcontentlength") == 0;
          c->text_.clear();
        },
        [](void* self, const XML_Char* name) {
          auto* c = static_cast<ResponseCounter*>(self);
          if (std::strcmp(name, "DAV:|response") == 0) ++c->responses;
          if (std::strcmp(name, "DAV:|getcontentlength") == 0 && c->text_ == "5") ++c->lengths;
          if (std::strcmp(name, "DAV:|displayname") == 0) ++c->unasked;
          c->in_length_ = false;
        });
    XML_SetCharacterDataHandler(parser_, [](void* self, const XML_Char* s, int n) {
      auto* c = static_cast<ResponseCounter*>(self);
      if (c->in_length_) c->text_.append(s, static_cast<size_t>(n));
    });
  }
  ~ResponseCounter() { XML_ParserFree(parser_); }
  bool Feed(const char* data, size_t n, bool last) {
    return XML_Parse(parser_, data, static_cast<int>(n), last) == XML_STATUS_OK;
  }

  int responses = 0;
  int lengths = 0;
  int unasked = 0;

 private:
  XML_Parser parser_;
  bool in_length_ = false;
  std::string text_;
};

TEST(ListingAtScaleTest, PropfindOfAHundredThousandDocumentsArrivesAsAStream) {
  constexpr int kDocuments = 100000;
  TempDir dir;
  {
    Store store(StoreLocation(dir.path()));
    LoadSeed(store, kSmallSeed);
    Store::Txn txn(store);
    Resource folder = *store.Find("/W/F");
    for (int i = 0; i < kDocuments; ++i) {
      Resource doc = store.Create(folder, "d" + std::to_string(i), Kind::kDocument, "");
      doc.length = 5;
      store.Update(doc);
    }
    txn.Commit();
  }
  auto server = StartServer("", dir.path());

  asio::io_context io;
  beast::tcp_stream stream(io);
  stream.connect(asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), server->port()));
  http::request<http::string_body> req{http::verb::propfind, "/W/F/", 11};
  req.set(http::field::host, "docs");
  req.set(http::field::authorization, "Basic YW5uOnB3");  // ann:pw
  req.set("Depth", "1");
  req.body() =
      "<?xml version=\"1.0\"?><D:propfind xmlns:D=\"DAV:\"><D:prop><D:getcontentlength/>"
      "<D:getetag/></D:prop></D:propfind>";
  req.prepare_payload();
  http::write(stream, req);

  beast::flat_buffer buffer;
  http::response_parser<http::buffer_body> parser;
  parser.body_limit(boost::none);
  http::read_header(stream, buffer, parser);
  ASSERT_EQ(parser.get().result_int(), 207u);
  EXPECT_TRUE(parser.get().chunked()) << "the answer was not streamed";
  ResponseCounter counter;
  int pieces = 0;
  char piece[16 * 1024];
  while (!parser.is_done()) {
    parser.get().body().data = piece;
    parser.get().body().size = sizeof piece;
    beast::error_code ec;
    http::read(stream, buffer, parser, ec);
    if (ec == http::error::need_buffer) ec = {};
    ASSERT_FALSE(ec) << ec.message();
    size_t n = sizeof piece - parser.get().body().size;
    ASSERT_TRUE(counter.Feed(piece, n, false));
    ++pieces;
  }
  ASSERT_TRUE(counter.Feed(nullptr, 0, true));
  EXPECT_GT(pieces, 100);
  EXPECT_EQ(counter.responses, kDocuments + 1);  // the folder and every document
  EXPECT_EQ(counter.lengths, kDocuments);
  EXPECT_EQ(counter.unasked, 0) << "properties nobody asked for were sent";

  // The connection stays usable after the stream ends.
  req.set("Depth", "0");
  http::write(stream, req);
  http::response<http::string_body> after;
  http::read(stream, buffer, after);
  EXPECT_EQ(after.result_int(), 207u);
}

}  // namespace
}  // namespace orvex::docstore::testing
