// Version history over real HTTP, against a store seeded for the cases,
// through the automation members a host calls.
#include "integration/counting_proxy.h"
#include "integration/docstore_fixture.h"
#include "support/seed.h"

namespace orvex::testing {
namespace {

using seed::Json;

constexpr const char* kComments[] = {"First draft",   "",     "Überarbeitung – 第二版",
                                     "Figures added", "Typo", "Q3 numbers",
                                     "Final review"};

class HistoryHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    Json seven = Json::array();
    for (int i = 0; i < 7; ++i)
      seven.push_back({{"content", "v" + std::to_string(i + 1)},
                       {"comment", kComments[i]},
                       {"user", i == 3 ? "guest" : "CORP\\jones"},
                       {"created", "2001-03-0" + std::to_string(i + 1) + "T09:30:00Z"}});
    Json roles = {{"CORP\\jones", "author"}, {"guest", "reader"}};
    StartStore(seed::Store(Json::array({seed::Workspace(
        "Sales", roles,
        Json::array(
            {seed::Folder("Reports", true,
                          Json::array({seed::Document("plan.txt", {{"versions", seven}})}))}))})));
  }

  // Every version of `file` in `folder` as "id|comment|time|domain|user".
  std::vector<std::string> Versions(automation::ConnectOrvex& obj, const std::string& folder,
                                    const std::string& file) {
    std::vector<std::string> out;
    for (const auto& r :
         Rows(obj, "GetHistoryInfo", {Variant(folder), Variant(file)}, "GetHistory", 5)) {
      std::string line;
      for (size_t f = 1; f < r.size(); ++f) line += (f > 1 ? "|" : "") + r[f].ToString();
      out.push_back(line);
    }
    return out;
  }
};

TEST_F(HistoryHttpTest, SevenVersionsComeBackAsTheServerWroteThemInOneRequest) {
  CountingProxy proxy(store_->port(), TlsCertificate());
  Reach("docs", proxy.port());
  auto obj = InSales("jones", "CORP", "secret");
  proxy.Reset();
  const auto versions = Versions(*obj, "Reports", "plan.txt");
  ASSERT_EQ(versions.size(), 7u);
  EXPECT_EQ(proxy.methods(), std::vector<std::string>{"REPORT"});
  EXPECT_EQ(versions[0], "0.1|First draft|2001-03-01T09:30:00Z|CORP|jones");
  EXPECT_EQ(versions[1], "0.2||2001-03-02T09:30:00Z|CORP|jones");
  EXPECT_EQ(versions[2], "0.3|Überarbeitung – 第二版|2001-03-03T09:30:00Z|CORP|jones");
  EXPECT_EQ(versions[3], "0.4|Figures added|2001-03-04T09:30:00Z||guest");
  EXPECT_EQ(versions[6], "0.7|Final review|2001-03-07T09:30:00Z|CORP|jones");
  std::vector<Variant> past{Variant(int16_t{7}), Variant("x"), Variant(),
                            Variant(),           Variant(),    Variant()};
  EXPECT_EQ(Call(*obj, "GetHistory", past), Variant(false));
  EXPECT_EQ(past[1], Variant("x"));
}

}  // namespace
}  // namespace orvex::testing
