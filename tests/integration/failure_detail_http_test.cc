// What a failing call leaves beside its code, over real HTTP: the member,
// the code's words and the provider's own account, per connection.
#include <thread>

#include "engine/error_codes.h"
#include "integration/docstore_fixture.h"
#include "platform/language.h"
#include "qzorvex/connect_orvex.h"
#include "qzorvex/errors.h"
#include "server/error.h"
#include "support/ports.h"

namespace orvex::testing {
namespace {

class FailureDetailHttpTest : public DocstoreTest {
 protected:
  static std::shared_ptr<Dispatch> NewShared() {
    auto object = std::make_shared<automation::ConnectOrvex>();
    object->Properties().ShowDialog = false;
    return object;
  }
  qzorvex::ConnectOrvex docs_{NewShared()};
};

TEST_F(FailureDetailHttpTest, AFailedOpenKeepsTheTransportsAndTheServersWords) {
  // Nobody listens: the transport's message, with the request it was for.
  Reach("docs", FreeLoopbackPort());
  EXPECT_FALSE(docs_.ConnectOpen("docs", "jones", "CORP", "secret"));
  std::optional<qzorvex::Failure> down = docs_.LastFailure();
  ASSERT_TRUE(down);
  EXPECT_EQ(down->member, "ConnectOpen");
  EXPECT_EQ(down->code, engine::kCodeFailure);
  EXPECT_EQ(down->number, server::kErrGenericFailure);
  EXPECT_EQ(down->text, qzorvex::ErrorText(engine::kCodeFailure, platform::kLangEnglish));
  EXPECT_NE(down->detail.find("PROPFIND http://docs/Public/Workspaces"), std::string::npos)
      << down->detail;
  EXPECT_NE(down->detail.find("onnect"), std::string::npos) << down->detail;  // curl's words
  // The contract's number is what it always was.
  EXPECT_EQ(docs_.GetLastError(), engine::kCodeFailure);

  // A wrong password on entry 0: its own slot, the status the server gave,
  // and never the password itself.
  Reach("docs", store_->port());
  EXPECT_EQ(docs_.ConnectOpenEx("docs", "jones", "CORP", "wrong-one"), -1);
  std::optional<qzorvex::Failure> refused = docs_.LastFailureEx(0);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->member, "ConnectOpenEx");
  EXPECT_EQ(refused->code, engine::kCodeAccessDenied);
  EXPECT_NE(refused->detail.find("401"), std::string::npos) << refused->detail;
  EXPECT_EQ(refused->detail.find("wrong-one"), std::string::npos);
  EXPECT_EQ(docs_.LastFailure()->sequence, down->sequence);  // the default slot is as it was
  EXPECT_THROW(docs_.LastFailureEx(1), qzorvex::AutomationError);
  // The object stays usable after both.
  EXPECT_TRUE(docs_.ConnectOpen("docs", "jones", "CORP", "secret"));
}

TEST_F(FailureDetailHttpTest, EachCallThatSetsACodeReplacesTheFailureAndZeroClearsIt) {
  // Not connected: the object's own refusal, no provider words.
  EXPECT_EQ(docs_.GetFileInfo("Reports"), -1);
  ASSERT_TRUE(docs_.LastFailure());
  EXPECT_EQ(docs_.LastFailure()->member, "GetFileInfo");
  EXPECT_EQ(docs_.LastFailure()->code, engine::kCodeNotConnected);
  EXPECT_EQ(docs_.LastFailure()->detail, "");

  ASSERT_TRUE(docs_.ConnectOpen("docs", "jones", "CORP", "secret"));
  ASSERT_TRUE(docs_.SetWorkspace("Sales"));
  EXPECT_EQ(docs_.GetFileInfo("No such folder"), -1);
  std::optional<qzorvex::Failure> missing = docs_.LastFailure();
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->member, "GetFileInfo");
  EXPECT_EQ(missing->code, docs_.GetLastError());
  EXPECT_NE(missing->detail.find("404"), std::string::npos) << missing->detail;

  // The same refusal twice is two failures: the sequence tells them apart.
  EXPECT_FALSE(docs_.ChangeFolderName("", "New"));
  const uint64_t first = docs_.LastFailure()->sequence;
  EXPECT_EQ(docs_.LastFailure()->code, engine::kCodeBadName);
  EXPECT_EQ(docs_.LastFailure()->number, 0);
  EXPECT_FALSE(docs_.ChangeFolderName("", "New"));
  EXPECT_GT(docs_.LastFailure()->sequence, first);

  // A call that reads without setting a code leaves the failure; one that
  // sets 0 clears it.
  const uint64_t second = docs_.LastFailure()->sequence;
  ASSERT_GT(docs_.GetDocFolderInfo(""), 0);
  ASSERT_TRUE(docs_.LastFailure());
  EXPECT_EQ(docs_.LastFailure()->sequence, second);
  EXPECT_TRUE(docs_.IsVersionFolder("Reports/2001"));
  EXPECT_FALSE(docs_.LastFailure());
  EXPECT_FALSE(docs_.LastFailureEx(0));
}

TEST_F(FailureDetailHttpTest, WordsFollowTheCallingThreadsLanguage) {
  std::optional<qzorvex::Failure> failure;
  std::thread japanese([&] {
    platform::SetThreadLanguage(platform::kLangJapanese);
    EXPECT_FALSE(docs_.ConnectOpen("docs:80", "jones", "CORP", "secret"));
    failure = docs_.LastFailure();
    EXPECT_EQ(qzorvex::ErrorText(engine::kCodeBadHostName),
              qzorvex::ErrorText(engine::kCodeBadHostName, platform::kLangJapanese));
  });
  japanese.join();
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->code, engine::kCodeBadHostName);
  EXPECT_EQ(failure->text, qzorvex::ErrorText(engine::kCodeBadHostName, platform::kLangJapanese));
  EXPECT_NE(failure->text, qzorvex::ErrorText(engine::kCodeBadHostName, platform::kLangEnglish));
}

}  // namespace
}  // namespace orvex::testing
