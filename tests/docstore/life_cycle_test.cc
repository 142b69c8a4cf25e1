// The publishing life cycle of documents in enhanced folders, and who may
// drive it, over HTTP against the sample store.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/sample_store.h"

namespace orvex::docstore::testing {
namespace {

constexpr char kPub[] = "urn:schemas-microsoft-com:publishing:";

std::string P(const char* local) { return std::string(kPub) + local; }

bool Has(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

class LifeCycleTest : public SampleStoreTest {
 protected:
  std::vector<WireResponse> History(Client& client, const std::string& target) {
    auto r = client.Send("REPORT", target, {{"Content-Type", "application/xml"}},
                         "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>");
    EXPECT_EQ(r.status, 207) << r.body;
    return r.status == 207 ? ParseMultistatus(r.body) : std::vector<WireResponse>{};
  }
};

TEST_F(LifeCycleTest, NewDocumentIsCheckedOutToItsCreatorUntilCheckedIn) {
  auto put = jones_->Send("PUT", "/Sales/Reports/plan.txt", {{"Content-Type", "text/plain"}},
                          "first words");
  ASSERT_EQ(put.status, 201);

  auto doc = One(*jones_, "/Sales/Reports/plan.txt");
  EXPECT_EQ(doc.Text(P("documentstate")), "created");
  EXPECT_TRUE(doc.Flag(P("IsCheckedOut")));
  EXPECT_EQ(doc.Text(P("checkedoutby")), "CORP\\jones");
  EXPECT_EQ(doc.Text("DAV:contentclass"), "urn:content-classes:document");
  std::string wc = doc.Text(P("WorkingCopy")).value_or("");
  ASSERT_EQ(wc.rfind("http://docs/", 0), 0u) << wc;
  std::string wc_path = wc.substr(std::string("http://docs").size());
  auto ops = doc.Values(P("operationsallowed"));
  EXPECT_TRUE(Has(ops, "checkin"));
  EXPECT_FALSE(Has(ops, "checkout"));

  // Others see it held by jones: no check-in, no delete, no writes.
  auto seen_by_smith = One(*smith_, "/Sales/Reports/plan.txt");
  EXPECT_TRUE(seen_by_smith.Flag("DAV:isreadonly"));
  ops = seen_by_smith.Values(P("operationsallowed"));
  EXPECT_FALSE(Has(ops, "checkin"));
  EXPECT_FALSE(Has(ops, "delete"));
  EXPECT_EQ(smith_->Send("CHECKIN", "/Sales/Reports/plan.txt").status, 423);
  EXPECT_EQ(smith_->Send("DELETE", "/Sales/Reports/plan.txt").status, 423);
  EXPECT_EQ(smith_->Send("PUT", "/Sales/Reports/plan.txt", {}, "smith was here").status, 423);
  EXPECT_EQ(smith_
                ->Send("MOVE", "/Sales/Reports/plan.txt",
                       {{"Destination", "http://docs/Sales/Reports/other.txt"}})
                .status,
            423);

  // Writes by the holder land on the working copy, through either URL.
  EXPECT_EQ(jones_->Send("PUT", "/Sales/Reports/plan.txt", {}, "second words").status, 204);
  auto patch = jones_->Send(
      "PROPPATCH", wc_path, {{"Content-Type", "application/xml"}},
      "<D:propertyupdate xmlns:D=\"DAV:\" xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
      "xmlns:b=\"urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/\" xmlns:x=\"xml:\"><D:set><D:prop>"
      "<o:Title>The plan</o:Title><o:Keywords b:dt=\"mv.string\"><x:v>a</x:v><x:v>b</x:v>"
      "</o:Keywords></D:prop></D:set></D:propertyupdate>");
  ASSERT_EQ(patch.status, 207);
  EXPECT_EQ(ParseMultistatus(patch.body)[0]
                .props.at("urn:schemas-microsoft-com:office:office#Title")
                .status,
            200);
  EXPECT_EQ(jones_->Send("GET", wc_path).body, "second words");
  EXPECT_EQ(jones_->Send("GET", "/Sales/Reports/plan.txt").body, "first words");
  EXPECT_FALSE(One(*jones_, "/Sales/Reports/plan.txt")
                   .Text("urn:schemas-microsoft-com:office:office#Title"));

  auto checkin =
      jones_->Send("CHECKIN", "/Sales/Reports/plan.txt", {{"Content-Type", "application/xml"}},
                   "<D:checkin xmlns:D=\"DAV:\"><D:comment>ready for review"
                   "</D:comment></D:checkin>");
  ASSERT_EQ(checkin.status, 201);
  EXPECT_NE(checkin.Header("location").find("/.versions/"), std::string::npos);

  doc = One(*jones_, "/Sales/Reports/plan.txt");
  EXPECT_EQ(doc.Text(P("documentstate")), "createdcheckedin");
  EXPECT_FALSE(doc.Flag(P("IsCheckedOut")));
  EXPECT_FALSE(doc.Text(P("WorkingCopy")));
  EXPECT_EQ(doc.Text("urn:schemas-microsoft-com:office:office#Title"), "The plan");
  EXPECT_EQ(doc.Values("urn:schemas-microsoft-com:office:office#Keywords"),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(jones_->Send("GET", "/Sales/Reports/plan.txt").body, "second words");
  EXPECT_EQ(jones_->Send("GET", wc_path).status, 404);

  auto history = History(*jones_, "/Sales/Reports/plan.txt");
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].Text(P("FriendlyVersionID")), "0.1");
  EXPECT_EQ(history[0].Text(P("Comment")), "ready for review");
  EXPECT_EQ(history[0].Text(P("Domain")), "CORP");
  EXPECT_EQ(history[0].Text(P("User")), "jones");
  EXPECT_EQ(history[0].props.at(P("CreatedTimeStamp")).type, "dateTime.tz");
}

TEST_F(LifeCycleTest, CheckOutCheckInAndPublishFollowTheState) {
  const std::string doc = "/Sales/Reports/forecast.txt";
  auto history = History(*guest_, doc);
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[0].Text(P("FriendlyVersionID")), "0.1");
  EXPECT_EQ(history[2].Text(P("FriendlyVersionID")), "0.3");
  EXPECT_EQ(history[2].Text(P("User")), "smith");
  EXPECT_EQ(guest_->Send("GET", history[0].href).body, "Forecast, first draft.\n");

  // Readers may look but not act.
  EXPECT_EQ(guest_->Send("CHECKOUT", doc).status, 403);
  EXPECT_EQ(guest_->Send("PUBLISH", doc).status, 403);
  EXPECT_EQ(guest_->Send("DELETE", doc).status, 403);
  EXPECT_EQ(One(*guest_, doc).Values(P("operationsallowed")), std::vector<std::string>{"read"});

  // Checked in: may be checked out or published, not checked in.
  EXPECT_EQ(jones_->Send("CHECKIN", doc).status, 409);
  auto checkout = jones_->Send("CHECKOUT", doc);
  ASSERT_EQ(checkout.status, 200);
  EXPECT_NE(checkout.Header("location").find("/.working/"), std::string::npos);
  EXPECT_EQ(One(*jones_, doc).Text(P("documentstate")), "createdcheckedout");
  EXPECT_EQ(smith_->Send("CHECKOUT", doc).status, 423);
  EXPECT_EQ(jones_->Send("CHECKOUT", doc).status, 409);
  EXPECT_EQ(jones_->Send("PUBLISH", doc).status, 409);
  EXPECT_EQ(jones_->Send("CHECKIN", doc, {{"Comment", "fourth%20draft"}}).status, 201);

  history = History(*jones_, doc);
  ASSERT_EQ(history.size(), 4u);
  EXPECT_EQ(history[3].Text(P("FriendlyVersionID")), "0.4");
  EXPECT_EQ(history[3].Text(P("Comment")), "fourth draft");

  EXPECT_EQ(jones_->Send("PUBLISH", doc).status, 200);
  auto published = One(*jones_, doc);
  EXPECT_EQ(published.Text(P("documentstate")), "approved");
  EXPECT_EQ(published.Text(P("FriendlyVersionID")), "1.0");
  EXPECT_EQ(History(*jones_, doc)[3].Text(P("FriendlyVersionID")), "1.0");
  EXPECT_EQ(jones_->Send("PUBLISH", doc).status, 200);  // again: nothing changes
  EXPECT_EQ(History(*jones_, doc).size(), 4u);

  // Checking out an approved document and dropping the change restores it.
  ASSERT_EQ(smith_->Send("CHECKOUT", doc).status, 200);
  EXPECT_EQ(jones_->Send("UNCHECKOUT", doc).status, 423);
  ASSERT_EQ(smith_->Send("UNCHECKOUT", doc).status, 200);
  EXPECT_EQ(One(*jones_, doc).Text(P("documentstate")), "approved");
}

TEST_F(LifeCycleTest, UndoingTheCheckOutOfANewDocumentLeavesItCreatedAndFree) {
  const std::string doc = "/Sales/Reports/fresh.txt";
  ASSERT_EQ(jones_->Send("PUT", doc, {{"Content-Type", "text/plain"}}, "first").status, 201);
  EXPECT_TRUE(Has(One(*jones_, doc).Values(P("operationsallowed")), "undocheckout"));
  ASSERT_EQ(jones_->Send("PUT", doc, {}, "draft").status, 204);
  EXPECT_EQ(smith_->Send("UNCHECKOUT", doc).status, 423);
  ASSERT_EQ(jones_->Send("UNCHECKOUT", doc).status, 200);

  auto freed = One(*smith_, doc);
  EXPECT_EQ(freed.Text(P("documentstate")), "created");
  EXPECT_FALSE(freed.Flag(P("IsCheckedOut")));
  EXPECT_EQ(freed.Text(P("checkedoutby")), "");
  EXPECT_FALSE(freed.Flag("DAV:isreadonly"));
  EXPECT_EQ(jones_->Send("GET", doc).body, "first");  // the draft is gone
  EXPECT_EQ(jones_->Send("UNCHECKOUT", doc).status, 409);

  // Checking it out again keeps it "created" until its first check-in.
  ASSERT_EQ(smith_->Send("CHECKOUT", doc).status, 200);
  EXPECT_EQ(One(*jones_, doc).Text(P("documentstate")), "created");
  EXPECT_EQ(One(*jones_, doc).Text(P("checkedoutby")), "CORP\\smith");
  ASSERT_EQ(smith_->Send("CHECKIN", doc).status, 201);
  EXPECT_EQ(One(*jones_, doc).Text(P("documentstate")), "createdcheckedin");
}

TEST_F(LifeCycleTest, SampleStoreStatesAndWhatEachUserMayDo) {
  auto pricing = One(*jones_, "/Sales/Reports/pricing.txt");
  EXPECT_EQ(pricing.Text(P("documentstate")), "createdcheckedout");
  EXPECT_EQ(pricing.Text(P("checkedoutby")), "CORP\\smith");
  EXPECT_EQ(pricing.Text("DAV:contentclass"), "urn:content-classes:memo");
  EXPECT_EQ(pricing.Values("urn:schemas-microsoft-com:office:office#Topics"),
            (std::vector<std::string>{"Pricing", "Forecast"}));
  auto ops = pricing.Values(P("operationsallowed"));
  EXPECT_FALSE(Has(ops, "checkin"));
  EXPECT_FALSE(Has(ops, "delete"));
  EXPECT_TRUE(
      Has(One(*smith_, "/Sales/Reports/pricing.txt").Values(P("operationsallowed")), "checkin"));
  // The working copy holds smith's edit; the document still shows the
  // checked-in content.
  std::string wc = One(*smith_, "/Sales/Reports/pricing.txt").Text(P("WorkingCopy")).value_or("");
  EXPECT_EQ(smith_->Send("GET", wc.substr(std::string("http://docs").size())).body,
            "Prices, June (being edited).\n");
  EXPECT_EQ(smith_->Send("GET", "/Sales/Reports/pricing.txt").body, "Prices, May.\n");

  EXPECT_EQ(One(*jones_, "/Sales/Reports/q1.txt").Text(P("documentstate")), "approved");
  EXPECT_TRUE(One(*jones_, "/Sales/Documents/draft-notes.txt").Flag("DAV:ishidden"));

  // Standard folders have no life cycle.
  auto old = One(*jones_, "/Sales/Archive/old-report.txt");
  EXPECT_FALSE(old.Text(P("documentstate")));
  EXPECT_FALSE(old.Flag(P("IsCheckedOut")));
  EXPECT_TRUE(Has(old.Values(P("operationsallowed")), "delete"));
  for (const char* method : {"CHECKOUT", "CHECKIN", "PUBLISH"})
    EXPECT_EQ(jones_->Send(method, "/Sales/Archive/old-report.txt").status, 405) << method;
  auto none = jones_->Send("REPORT", "/Sales/Archive/old-report.txt", {},
                           "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>");
  ASSERT_EQ(none.status, 207);
  EXPECT_TRUE(ParseMultistatus(none.body).empty());

  // jones reads Legal but may not change it.
  EXPECT_EQ(jones_->Send("GET", "/Legal/Contracts/nda.txt").status, 200);
  EXPECT_EQ(jones_->Send("CHECKOUT", "/Legal/Contracts/nda.txt").status, 403);
  EXPECT_EQ(jones_->Send("PUT", "/Legal/Contracts/new.txt", {}, "x").status, 403);
  EXPECT_TRUE(One(*jones_, "/Legal/Contracts/nda.txt").Flag("DAV:isreadonly"));
  EXPECT_EQ(smith_->Send("CHECKOUT", "/Legal/Contracts/nda.txt").status, 200);
}

TEST_F(LifeCycleTest, OverwritingAnApprovedDocumentChecksItOutToTheWriter) {
  const std::string doc = "/Sales/Documents/welcome.txt";
  EXPECT_EQ(jones_->Send("PUT", doc, {{"If-None-Match", "*"}}, "new text").status, 412);
  EXPECT_EQ(jones_->Send("PUT", doc, {}, "new text").status, 204);
  auto props = One(*jones_, doc);
  EXPECT_EQ(props.Text(P("documentstate")), "createdcheckedout");
  EXPECT_EQ(props.Text(P("checkedoutby")), "CORP\\jones");
  EXPECT_EQ(jones_->Send("GET", doc).body, "Welcome to the Sales workspace.\n");
  ASSERT_EQ(jones_->Send("CHECKIN", doc).status, 201);
  EXPECT_EQ(jones_->Send("GET", doc).body, "new text");
  EXPECT_EQ(One(*jones_, doc).Text(P("FriendlyVersionID")), "1.1");

  // Delete: allowed to authors for documents nobody else holds.
  EXPECT_EQ(guest_->Send("DELETE", doc).status, 403);
  EXPECT_EQ(jones_->Send("DELETE", doc).status, 204);
  EXPECT_EQ(jones_->Send("GET", doc).status, 404);
  EXPECT_EQ(jones_
                ->Send("REPORT", doc, {},
                       "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>")
                .status,
            404);
  // A folder holding someone else's check-out cannot go.
  EXPECT_EQ(jones_->Send("DELETE", "/Sales/Reports/").status, 423);
  EXPECT_EQ(smith_->Send("DELETE", "/Sales/Reports/").status, 204);
}

}  // namespace
}  // namespace orvex::docstore::testing
