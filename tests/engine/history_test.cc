// Version history against the recording fake: the URL and flags of the one
// history request, the rows in the server's order, and the argument tests.
#include <gtest/gtest.h>

#include <optional>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "fakes/fake_engine_test.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::engine {
namespace {

struct Version {
  std::string id, comment, created, domain, user;
};

class HistoryTest : public testing::FakeEngineTest {
 protected:
  HistoryTest() { AddWorkspace("Sales"); }

  // `n` versions of `url`, 0.1 to 0.n; the comment of version 3 is Null.
  void AddHistory(const std::string& url, int n) {
    auto& rows = backend_->histories[url];
    for (int i = 1; i <= n; ++i) {
      server::FieldMap f{
          {server::kPropHref, Variant("http://docs/.versions/7/" + std::to_string(i))},
          {server::kPropFriendlyVersionID, Variant("0." + std::to_string(i))},
          {server::kPropVersionComment,
           i == 3 ? Variant(Null{}) : Variant("Draft " + std::to_string(i))},
          {server::kPropCreatedTimeStamp, Variant("2001-03-0" + std::to_string(i) + "T09:00:00Z")},
          {server::kPropVersionDomain, Variant(i == 2 ? "" : "CORP")},
          {server::kPropVersionUser, Variant(i == 2 ? "guest" : "jones")}};
      rows.push_back(server::Fields(f));
    }
  }

  std::optional<Version> Row(int16_t index) {
    Version v{"x", "x", "x", "x", "x"};
    if (!engine_.GetHistory(index, v.id, v.comment, v.created, v.domain, v.user))
      return std::nullopt;
    return v;
  }
};

TEST_F(HistoryTest, OneRequestPerListingAndRowsInTheServersOrder) {
  AddHistory("http://docs/Sales/Reports/2001/plan.doc", 7);
  AddHistory("http://docs/Sales/readme.txt", 1);
  OpenSales();

  ASSERT_EQ(engine_.GetHistoryInfo("Reports/2001", "plan.doc"), 7);
  EXPECT_EQ(backend_->calls,
            (std::vector<std::string>{"Create Version",
                                      "History http://docs/Sales/Reports/2001/plan.doc flags=0"}));
  EXPECT_EQ(engine_.history_list().upper_bound(), 10);
  auto seventh = Row(6);
  ASSERT_TRUE(seventh);
  EXPECT_EQ(seventh->id, "0.7");
  EXPECT_EQ(seventh->comment, "Draft 7");
  EXPECT_EQ(seventh->created, "2001-03-07T09:00:00Z");
  EXPECT_EQ(seventh->domain, "CORP");
  EXPECT_EQ(seventh->user, "jones");
  EXPECT_EQ(Row(2)->comment, "");  // Null reads as the empty text
  EXPECT_EQ(Row(1)->domain, "");
  EXPECT_EQ(Row(0)->id, "0.1");
  EXPECT_EQ(engine_.history_list().Get(4)->location, "http://docs/.versions/7/5");
  EXPECT_FALSE(Row(7));
  EXPECT_FALSE(Row(-1));

  // A document at the workspace's top level.
  backend_->calls.clear();
  EXPECT_EQ(engine_.GetHistoryInfo("", "readme.txt"), 1);
  EXPECT_EQ(backend_->calls.back(), "History http://docs/Sales/readme.txt flags=0");
  EXPECT_EQ(engine_.history_list().upper_bound(), 5);

  // A document whose history is empty (standard folder, never checked in).
  backend_->histories["http://docs/Sales/Archive/old.txt"];
  EXPECT_EQ(engine_.GetHistoryInfo("Archive", "old.txt"), 0);
  EXPECT_FALSE(Row(0));
}

TEST_F(HistoryTest, BadArgumentsEmptyTheListAndServerErrorsAreMapped) {
  AddHistory("http://docs/Sales/readme.txt", 2);
  // Without a current workspace no URL can be built.
  ASSERT_TRUE(engine_.ConnectOpen());
  EXPECT_EQ(Refused(engine_.GetHistoryInfo("", "readme.txt")), kCodeBadName);
  ASSERT_TRUE(engine_.SetWorkspace("Sales"));
  backend_->calls.clear();

  for (auto [folder, file] : {std::pair{"", ""},
                              {"", "a/b.txt"},
                              {"Reports", "a:b"},
                              {"Reports\\2001", "plan.doc"},
                              {"Re*", "plan.doc"}}) {
    ASSERT_EQ(engine_.GetHistoryInfo("", "readme.txt"), 2);
    engine_.ErrorCode = 0;
    EXPECT_EQ(Refused(engine_.GetHistoryInfo(folder, file)), kCodeBadName) << folder << " " << file;
    EXPECT_FALSE(Row(0));
  }
  EXPECT_EQ(backend_->CallsStartingWith("History").size(), 5u);

  EXPECT_EQ(Refused(engine_.GetHistoryInfo("", "missing.txt")), kCodeNotFound);
  backend_->failures["History"] = server::kErrGenericFailure;
  EXPECT_EQ(Refused(engine_.GetHistoryInfo("", "readme.txt")), kCodeFailure);
  backend_->failures["History"] = server::kErrPermissionDenied;
  EXPECT_EQ(Refused(engine_.GetHistoryInfo("", "readme.txt")), kCodePermissionDenied);
}

}  // namespace
}  // namespace orvex::engine
