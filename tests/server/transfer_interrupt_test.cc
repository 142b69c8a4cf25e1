#include "server/webdav/transfer_interrupt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "canned_http_server.h"
#include "server/error.h"
#include "server/webdav/http_client.h"

namespace orvex::server::webdav {
namespace {

std::atomic<bool> stop_transfers{false};
bool StopTransfers() { return stop_transfers.load(); }

TEST(TransferInterruptTest, AnInstalledCheckAbandonsOnlyWhileItSaysSo) {
  std::atomic<bool> answer{false};
  testing::CannedHttpServer server([&](const testing::RecordedRequest&) {
    while (!answer.load()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return testing::CannedReply::Status(204);
  });
  HttpRequest request;
  request.method = "GET";
  request.url = *ParseUrl("http://127.0.0.1:" + std::to_string(server.port()) + "/slow");
  HttpClient client;
  SetTransferInterruptCheck(&StopTransfers);

  // Installed but answering false: the slow answer arrives as ever.
  std::thread answer_later([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    answer = true;
  });
  EXPECT_EQ(client.Send(request).status, 204);
  answer_later.join();

  // Answering true while the server keeps silent: the request fails soon,
  // and says why.
  answer = false;
  std::thread interrupt_later([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop_transfers = true;
  });
  auto start = std::chrono::steady_clock::now();
  try {
    client.Send(request);
    ADD_FAILURE() << "the transfer was not abandoned";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrGenericFailure);
    EXPECT_NE(std::string(e.what()).find("interrupted"), std::string::npos) << e.what();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  interrupt_later.join();
  answer = true;
  stop_transfers = false;
  SetTransferInterruptCheck(nullptr);
}

}  // namespace
}  // namespace orvex::server::webdav
