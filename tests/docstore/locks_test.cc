// Write locks over HTTP against the sample store: who may write while a lock
// is held, what the If header decides, how collection locks cover their
// members, and how locks meet the publishing life cycle.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "docstore/xml_reader.h"
#include "support/sample_store.h"
#include "support/temp_dir.h"

namespace orvex::docstore::testing {
namespace {

using orvex::testing::TempDir;

constexpr char kDoc[] = "/Sales/Archive/old-report.txt";
constexpr char kPub[] = "urn:schemas-microsoft-com:publishing:";

std::string P(const char* local) { return std::string(kPub) + local; }

// The text of every element named `name` (DAV:) anywhere in `body`.
std::vector<std::string> Texts(const std::string& body, const std::string& name) {
  std::vector<std::string> out;
  auto parsed = ParseXml(body);
  if (!parsed.root) return out;
  std::function<void(const XmlElement&)> walk = [&](const XmlElement& e) {
    if (e.Is("DAV:", name)) out.push_back(e.Text());
    for (const auto& child : e.children) walk(child);
  };
  walk(*parsed.root);
  return out;
}

class LocksTest : public SampleStoreTest {
 protected:
  // Takes a write lock; the token (or "" when refused) and the answer.
  std::string Lock(Client& client, const std::string& path, const std::string& scope = "exclusive",
                   const std::string& depth = "infinity", HttpResult* answer = nullptr,
                   const std::string& timeout = "Second-600") {
    HttpResult r = client.Send(
        "LOCK", path, {{"Depth", depth}, {"Timeout", timeout}, {"Content-Type", "application/xml"}},
        "<D:lockinfo xmlns:D=\"DAV:\"><D:lockscope><D:" + scope +
            "/></D:lockscope><D:locktype><D:write/></D:locktype><D:owner><D:href>mailto:me"
            "</D:href></D:owner></D:lockinfo>");
    if (answer) *answer = r;
    std::string token = r.Header("lock-token");
    return token.size() > 2 ? token.substr(1, token.size() - 2) : "";
  }
  static std::map<std::string, std::string> If(const std::string& conditions) {
    return {{"If", conditions}};
  }
  int Put(Client& client, const std::string& path, const std::string& conditions = "") {
    return client
        .Send("PUT", path,
              conditions.empty() ? std::map<std::string, std::string>{} : If(conditions),
              "new words")
        .status;
  }
  // The lock tokens PROPFIND's DAV:lockdiscovery shows on `path`.
  std::vector<std::string> Discovered(const std::string& path) {
    auto r = jones_->Send("PROPFIND", path, {{"Depth", "0"}},
                          "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:lockdiscovery/>"
                          "</D:prop></D:propfind>");
    std::vector<std::string> tokens;
    for (const auto& href : Texts(r.body, "href"))
      if (href.rfind("opaquelocktoken:", 0) == 0) tokens.push_back(href);
    return tokens;
  }
};

TEST_F(LocksTest, LocksGuardWritesUntilTheirHoldersTokenComes) {
  HttpResult answer;
  std::string token = Lock(*jones_, kDoc, "exclusive", "0", &answer);
  ASSERT_EQ(answer.status, 200) << answer.body;
  EXPECT_EQ(token.rfind("opaquelocktoken:", 0), 0u);
  EXPECT_EQ(Texts(answer.body, "depth"), std::vector<std::string>{"0"});
  EXPECT_EQ(Texts(answer.body, "timeout"), std::vector<std::string>{"Second-600"});
  EXPECT_EQ(Texts(answer.body, "href"),
            (std::vector<std::string>{"mailto:me", token, "http://docs" + std::string(kDoc)}));

  // Without the token nobody writes, the lock's holder included; a token
  // counts only for the user who took the lock.
  HttpResult refused = smith_->Send("PUT", kDoc, {}, "x");
  EXPECT_EQ(refused.status, 423);
  EXPECT_NE(refused.body.find("lock-token-submitted"), std::string::npos);
  EXPECT_EQ(Texts(refused.body, "href"), std::vector<std::string>{kDoc});
  EXPECT_EQ(Put(*jones_, kDoc), 423);
  EXPECT_EQ(Put(*smith_, kDoc, "(<" + token + ">)"), 423);
  EXPECT_EQ(jones_->Send("DELETE", kDoc).status, 423);
  EXPECT_EQ(
      jones_->Send("MOVE", kDoc, {{"Destination", "http://docs/Sales/Archive/moved.txt"}}).status,
      423);
  EXPECT_EQ(Put(*jones_, kDoc, "(<" + token + ">)"), 204);
  EXPECT_EQ(Lock(*smith_, kDoc, "shared"), "");
  EXPECT_TRUE(One(*smith_, kDoc).Flag("DAV:isreadonly"));
  EXPECT_EQ(One(*smith_, kDoc).Values(P("operationsallowed")), std::vector<std::string>{"read"});
  EXPECT_FALSE(One(*jones_, kDoc).Flag("DAV:isreadonly"));

  // UNLOCK takes the token of a lock on the resource, from its holder.
  EXPECT_EQ(jones_->Send("UNLOCK", kDoc, {{"Lock-Token", "<opaquelocktoken:none>"}}).status, 409);
  EXPECT_EQ(jones_->Send("UNLOCK", "/Sales/readme.txt", {{"Lock-Token", "<" + token + ">"}}).status,
            409);
  EXPECT_EQ(guest_->Send("UNLOCK", kDoc, {{"Lock-Token", "<" + token + ">"}}).status, 403);
  EXPECT_EQ(jones_->Send("UNLOCK", kDoc, {{"Lock-Token", "<" + token + ">"}}).status, 204);
  EXPECT_EQ(Put(*smith_, kDoc), 204);

  // Shared locks stand beside each other, never beside an exclusive one;
  // each holder writes with their own token, and a coordinator may clear
  // another's lock.
  std::string mine = Lock(*jones_, kDoc, "shared");
  std::string his = Lock(*smith_, kDoc, "shared");
  ASSERT_FALSE(mine.empty());
  ASSERT_FALSE(his.empty());
  EXPECT_EQ(Lock(*jones_, kDoc), "");
  EXPECT_EQ(Lock(*guest_, kDoc, "shared"), "");
  EXPECT_EQ(Discovered(kDoc), (std::vector<std::string>{mine, his}));
  EXPECT_EQ(Put(*smith_, kDoc, "(<" + his + ">)"), 204);
  EXPECT_EQ(smith_->Send("UNLOCK", kDoc, {{"Lock-Token", "<" + mine + ">"}}).status, 204);
  EXPECT_EQ(Discovered(kDoc), std::vector<std::string>{his});
}

TEST_F(LocksTest, IfHeaderConditionsAreWeighedBeforeTheLocks) {
  std::string token = Lock(*jones_, kDoc);
  ASSERT_FALSE(token.empty());
  std::string etag = jones_->Send("HEAD", kDoc).Header("etag");
  ASSERT_FALSE(etag.empty());
  EXPECT_EQ(Put(*jones_, kDoc, "(<DAV:no-lock>)"), 412);
  // The header holds through its second list, but submits no valid token.
  EXPECT_EQ(Put(*jones_, kDoc, "(<" + token + "x>) (Not <DAV:no-lock>)"), 423);
  EXPECT_EQ(Put(*jones_, kDoc, "(<" + token + "> [\"0-0\"])"), 412);
  EXPECT_EQ(Put(*jones_, kDoc, "(<" + token + "> [" + etag + "])"), 204);
  EXPECT_EQ(Put(*jones_, kDoc, "(<" + token + "> [" + etag + "])"), 412);  // the etag moved on
  EXPECT_EQ(Put(*jones_, kDoc, "<http://docs" + std::string(kDoc) + "> (<" + token + ">)"), 204);
  // A list about another resource: it holds there, and the token it names
  // still counts as submitted.
  EXPECT_EQ(Put(*jones_, kDoc, "</Sales/readme.txt> (Not <DAV:no-lock>)"), 423);
  EXPECT_EQ(Put(*jones_, kDoc, "</Sales/readme.txt> (<" + token + ">)"), 412);
  EXPECT_EQ(Put(*jones_, kDoc,
                "</Sales/readme.txt> (Not <" + token + ">) <" + std::string(kDoc) + "> (<" + token +
                    ">)"),
            204);
  EXPECT_EQ(Put(*jones_, kDoc, "(<" + token + ">"), 400);
  // Reads weigh the header too.
  EXPECT_EQ(jones_->Send("GET", "/Sales/readme.txt", If("([\"0-0\"])")).status, 412);
  EXPECT_EQ(jones_->Send("GET", "/Sales/readme.txt", If("(Not [\"0-0\"])")).status, 200);
}

TEST_F(LocksTest, CollectionLocksCoverMembersByTheirDepth) {
  ASSERT_EQ(jones_->Send("MKCOL", "/Sales/Archive/Box").status, 201);
  std::string box = Lock(*jones_, "/Sales/Archive/Box/");
  ASSERT_FALSE(box.empty());
  // Depth infinity: the members' content and the collection's membership.
  HttpResult refused = smith_->Send("PUT", "/Sales/Archive/Box/new.txt", {}, "x");
  EXPECT_EQ(refused.status, 423);
  EXPECT_EQ(Texts(refused.body, "href"), std::vector<std::string>{"/Sales/Archive/Box/"});
  EXPECT_EQ(Put(*jones_, "/Sales/Archive/Box/new.txt", "(<" + box + ">)"), 201);
  EXPECT_EQ(Put(*jones_, "/Sales/Archive/Box/new.txt"), 423);
  EXPECT_EQ(smith_->Send("MKCOL", "/Sales/Archive/Box/Sub").status, 423);
  EXPECT_EQ(Lock(*smith_, "/Sales/Archive/Box/new.txt"), "");
  EXPECT_EQ(smith_->Send("DELETE", "/Sales/Archive/Box/").status, 423);
  // A refresh names the lock in its If header, also through a member.
  auto refresh = jones_->Send("LOCK", "/Sales/Archive/Box/new.txt",
                              {{"If", "(<" + box + ">)"}, {"Timeout", "Second-100"}});
  EXPECT_EQ(refresh.status, 200);
  EXPECT_EQ(Texts(refresh.body, "timeout"), std::vector<std::string>{"Second-100"});
  EXPECT_EQ(jones_->Send("LOCK", "/Sales/readme.txt", {{"If", "(<" + box + ">)"}}).status, 412);
  EXPECT_EQ(jones_->Send("LOCK", "/Sales/Archive/Box/").status, 400);

  // Depth 0 on a folder: its membership, not its members.
  std::string archive = Lock(*jones_, "/Sales/Archive/", "exclusive", "0");
  ASSERT_FALSE(archive.empty());
  EXPECT_EQ(Put(*smith_, kDoc), 204);
  EXPECT_EQ(Put(*smith_, "/Sales/Archive/other.txt"), 423);
  EXPECT_EQ(Lock(*smith_, "/Sales/Archive/", "shared"), "");

  // Locks stay with the URLs they were taken on: a moved collection leaves
  // its lock behind, and a deleted one takes its locks along.
  auto move = jones_->Send("MOVE", "/Sales/Archive/Box/",
                           {{"Destination", "http://docs/Sales/Archive/Crate/"},
                            {"If", "(<" + box + ">) (<" + archive + ">)"}});
  EXPECT_EQ(move.status, 201) << move.body;
  EXPECT_TRUE(Discovered("/Sales/Archive/Crate/new.txt").empty());
  EXPECT_EQ(Put(*smith_, "/Sales/Archive/Crate/new.txt"), 204);
  EXPECT_EQ(jones_->Send("DELETE", "/Sales/Archive/", If("(<" + archive + ">)")).status, 204);
  ASSERT_EQ(jones_->Send("MKCOL", "/Sales/Archive").status, 201);
  EXPECT_EQ(Put(*smith_, "/Sales/Archive/other.txt"), 201);
}

TEST_F(LocksTest, LocksMeetThePublishingLifeCycle) {
  const std::string forecast = "/Sales/Reports/forecast.txt";
  // A lock on a document nobody holds checks it out to the locker; nobody
  // else may lock, check out or write it then.
  std::string token = Lock(*jones_, forecast);
  ASSERT_FALSE(token.empty());
  auto held = One(*smith_, forecast);
  EXPECT_EQ(held.Text(P("checkedoutby")), "CORP\\jones");
  EXPECT_EQ(held.Text(P("documentstate")), "createdcheckedout");
  EXPECT_EQ(Lock(*smith_, forecast, "shared"), "");
  EXPECT_EQ(smith_->Send("CHECKOUT", forecast).status, 423);
  // Check-in, like every change of the document, needs the lock's token.
  EXPECT_EQ(jones_->Send("CHECKIN", forecast).status, 423);
  // Unlocked with nothing written, the check-out the lock made is given
  // back.
  EXPECT_EQ(jones_->Send("UNLOCK", forecast, {{"Lock-Token", "<" + token + ">"}}).status, 204);
  auto back = One(*smith_, forecast);
  EXPECT_EQ(back.Text(P("documentstate")), "createdcheckedin");
  EXPECT_FALSE(back.Flag(P("IsCheckedOut")));
  EXPECT_FALSE(back.Text(P("WorkingCopy")));

  // A write through the lock goes to the working copy, and the check-out
  // outlives the lock until the document is checked in.
  token = Lock(*jones_, forecast);
  EXPECT_EQ(Put(*jones_, forecast, "(<" + token + ">)"), 204);
  EXPECT_EQ(jones_->Send("UNLOCK", forecast, {{"Lock-Token", "<" + token + ">"}}).status, 204);
  EXPECT_EQ(One(*smith_, forecast).Text(P("checkedoutby")), "CORP\\jones");
  EXPECT_EQ(jones_->Send("CHECKIN", forecast).status, 201);
  EXPECT_EQ(jones_->Send("GET", forecast).body, "new words");

  // Someone else's check-out refuses a lock, on the document or on a folder
  // above it; the holder's own lock leaves their check-out as it was.
  const std::string pricing = "/Sales/Reports/pricing.txt";
  EXPECT_EQ(Lock(*jones_, pricing), "");
  EXPECT_EQ(Lock(*jones_, "/Sales/Reports/"), "");
  token = Lock(*smith_, pricing);
  ASSERT_FALSE(token.empty());
  EXPECT_EQ(smith_->Send("UNLOCK", pricing, {{"Lock-Token", "<" + token + ">"}}).status, 204);
  EXPECT_EQ(One(*jones_, pricing).Text(P("checkedoutby")), "CORP\\smith");

  // A lock on an unmapped URL creates an empty document, which starts its
  // life cycle as an empty PUT's would, and stays after the lock.
  HttpResult created;
  token = Lock(*jones_, "/Sales/Reports/fresh.txt", "exclusive", "0", &created);
  EXPECT_EQ(created.status, 201);
  EXPECT_EQ(One(*jones_, "/Sales/Reports/fresh.txt").Text(P("checkedoutby")), "CORP\\jones");
  EXPECT_EQ(jones_->Send("UNLOCK", "/Sales/Reports/fresh.txt", {{"Lock-Token", "<" + token + ">"}})
                .status,
            204);
  auto fresh = One(*jones_, "/Sales/Reports/fresh.txt");
  EXPECT_EQ(fresh.Text(P("documentstate")), "created");
  EXPECT_FALSE(fresh.Flag(P("IsCheckedOut")));
  EXPECT_EQ(fresh.Text("DAV:getcontentlength"), "0");

  // Versions and working copies are not locked; readers lock nothing.
  token = Lock(*jones_, forecast);
  std::string wc = One(*jones_, forecast).Text(P("WorkingCopy")).value_or("");
  ASSERT_EQ(wc.rfind("http://docs/", 0), 0u);
  HttpResult refused;
  Lock(*jones_, wc.substr(11), "exclusive", "0", &refused);
  EXPECT_EQ(refused.status, 405);
  Lock(*guest_, "/Sales/Reports/q1.txt", "exclusive", "0", &refused);
  EXPECT_EQ(refused.status, 403);
}

TEST_F(LocksTest, LocksSurviveARestartAndExpireWithTheirCheckOuts) {
  TempDir dir;
  server_->Stop();
  Start(dir.path());
  std::string kept = Lock(*jones_, kDoc);
  ASSERT_FALSE(kept.empty());
  server_->Stop();
  Start(dir.path());
  EXPECT_EQ(Discovered(kDoc), std::vector<std::string>{kept});
  EXPECT_EQ(Put(*smith_, kDoc), 423);

  // A lock past its timeout is gone, and the check-out it made with it.
  const std::string forecast = "/Sales/Reports/forecast.txt";
  std::string brief = Lock(*jones_, forecast, "exclusive", "0", nullptr, "Second-1");
  ASSERT_FALSE(brief.empty());
  EXPECT_TRUE(One(*smith_, forecast).Flag(P("IsCheckedOut")));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (One(*smith_, forecast).Flag(P("IsCheckedOut")) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(One(*smith_, forecast).Flag(P("IsCheckedOut")));
  EXPECT_TRUE(Discovered(forecast).empty());
  EXPECT_EQ(Put(*smith_, forecast), 204);
  EXPECT_EQ(Discovered(kDoc), std::vector<std::string>{kept});
}

}  // namespace
}  // namespace orvex::docstore::testing
