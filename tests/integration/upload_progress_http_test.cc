// An upload's progress over real HTTP: what the host is told while the
// content goes out, and an upload it stops halfway, which the server must
// not keep any of, new or replacing, nor be tried again.
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "engine/error_codes.h"
#include "integration/docstore_fixture.h"
#include "qzorvex/upload_progress.h"
#include "server/names.h"
#include "support/temp_dir.h"

namespace orvex::testing {
namespace {

constexpr uint64_t kFileSize = 16u << 20;

struct Report {
  uint64_t sent;
  uint64_t total;
};

class UploadProgressHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    DocstoreTest::SetUp();
    std::ofstream out(dir_ + "/big.txt", std::ios::binary);
    const std::string block(1 << 20, 'x');
    for (uint64_t i = 0; i < kFileSize / block.size(); ++i) out << block;
    out.close();
    std::filesystem::create_symlink(dir_ + "/big.txt", dir_ + "/q1.txt");
    jones_ = InSales("jones", "CORP", "secret");
    jones_->Properties().OverWrite = 3;  // replace, and retry a refused first write
    jones_->Properties().AddCheckIn = true;
  }
  void TearDown() override {
    qzorvex::SetUploadProgress({});
    DocstoreTest::TearDown();
  }

  // Installs a progress that keeps every report in reports_ and answers
  // `answer`'s verdict.
  void Watch(std::function<bool(uint64_t sent, uint64_t total)> answer) {
    reports_.clear();
    qzorvex::SetUploadProgress([this, answer](uint64_t sent, uint64_t total) {
      reports_.push_back({sent, total});
      return answer(sent, total);
    });
  }
  Variant Upload(const std::string& file) {
    return Call(*jones_, "SaveFile", {Variant("Reports"), Variant(dir_), Variant(file)});
  }
  // Whether GetFileInfo lists `name` in Reports.
  bool Listed(const std::string& name) {
    for (const auto& r : Rows(*jones_, "GetFileInfo", {Variant("Reports")}, "GetFileData", 3))
      if (r[1].ToString() == name) return true;
    return false;
  }
  int16_t Status(const std::string& file) {
    return Call(*jones_, "IsFileStatus", {Variant("Reports"), Variant(file)}).ToInt16();
  }
  std::string Length(const std::string& file) {
    auto document = jones_->DefaultServer().backend().CreateItem(server::ItemKind::kDocument);
    document->OpenDocument("http://docs/Sales/Reports/" + file, 0x10000000);
    return document->GetFields().Value("DAV:getcontentlength").ToString();
  }
  // The reports came from one request: the total is the file's, and what
  // was sent never went back to 0 for a second attempt.
  void ExpectOneRequest() const {
    ASSERT_FALSE(reports_.empty());
    for (size_t i = 0; i < reports_.size(); ++i) {
      EXPECT_EQ(reports_[i].total, kFileSize);
      if (i > 0) {
        EXPECT_GE(reports_[i].sent, reports_[i - 1].sent) << "report " << i;
      }
    }
  }
  // Checks the failure a stopped upload leaves, with `reason` in its detail.
  void ExpectCancelled(const std::string& reason) {
    EXPECT_EQ(jones_->GetLastError(), engine::kCodeFailure);
    const std::optional<qzorvex::Failure>& failure = jones_->last_failure(false);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->member, "SaveFile");
    EXPECT_EQ(failure->number, qzorvex::kUploadCancelled);
    EXPECT_NE(failure->detail.find("PUT http://docs/Sales/Reports/"), std::string::npos);
    EXPECT_NE(failure->detail.find(reason), std::string::npos) << failure->detail;
  }

  TempDir temp_{"progress"};
  const std::string& dir_ = temp_.path();
  std::unique_ptr<automation::ConnectOrvex> jones_;
  std::vector<Report> reports_;
};

TEST_F(UploadProgressHttpTest, StoppedHalfwayTheServerKeepsNothingNewOrReplaced) {
  const auto half = [](uint64_t sent, uint64_t total) { return sent < total / 2; };
  // A new document: stopped, and not tried again as a replacement.
  Watch(half);
  EXPECT_EQ(Upload("big.txt"), Variant(false));
  ExpectCancelled("cancelled by the upload progress");
  ExpectOneRequest();
  EXPECT_LT(reports_.back().sent, kFileSize);  // stopped before the end, asked no more
  EXPECT_GE(reports_.back().sent, kFileSize / 2);
  EXPECT_FALSE(Listed("big.txt"));

  // Replacing an approved document: the call fails instead of counting as
  // done, and the document keeps its content, state and no check-out.
  const std::string old_length = Length("q1.txt");
  ASSERT_EQ(Status("q1.txt"), engine::kStatusApproved);
  Watch(half);
  EXPECT_EQ(Upload("q1.txt"), Variant(false));
  ExpectCancelled("cancelled by the upload progress");
  EXPECT_EQ(Status("q1.txt"), engine::kStatusApproved);
  EXPECT_EQ(Length("q1.txt"), old_length);

  // An exception thrown by the progress stops it too, its words kept.
  Watch([](uint64_t sent, uint64_t) -> bool {
    if (sent > 0) throw std::runtime_error("stop pressed");
    return true;
  });
  EXPECT_EQ(Upload("big.txt"), Variant(false));
  ExpectCancelled("cancelled by the upload progress: stop pressed");
  EXPECT_FALSE(Listed("big.txt"));

  // Going on, the host hears of every byte once the last one is out, and a
  // stop answered then changes nothing.
  Watch([](uint64_t sent, uint64_t total) { return sent < total; });
  EXPECT_EQ(Upload("big.txt"), Variant(true)) << jones_->GetLastError();
  ExpectOneRequest();
  EXPECT_EQ(reports_.back().sent, kFileSize);
  EXPECT_GT(reports_.size(), 2u);
  EXPECT_TRUE(Listed("big.txt"));
  EXPECT_EQ(Length("big.txt"), std::to_string(kFileSize));
}

TEST_F(UploadProgressHttpTest, AProgressBelongsToTheThreadThatInstalledIt) {
  size_t other_thread_reports = 0;
  std::thread([&] {
    qzorvex::SetUploadProgress([&](uint64_t, uint64_t) {
      ++other_thread_reports;
      return false;
    });
  }).join();
  EXPECT_EQ(Upload("big.txt"), Variant(true)) << jones_->GetLastError();
  EXPECT_EQ(other_thread_reports, 0u);
}

}  // namespace
}  // namespace orvex::testing
