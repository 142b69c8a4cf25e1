// Rows and their shared index: look-ups by name ignoring case, one index
// per listing, and a row that gains a name leaving the others as they were.
#include <gtest/gtest.h>

#include <string>

#include "server/canned_webdav.h"
#include "server/fields.h"
#include "server/names.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/resource_row.h"
#include "server/webdav/url.h"

namespace orvex::server {
namespace {

using orvex::testing::Response;

TEST(FieldsTest, ListingRowsShareOneIndexAndAnAddedNameStaysWithItsRow) {
  const std::string body =
      "<D:multistatus xmlns:D=\"DAV:\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">" +
      Response("/Sales/a.txt", "<D:displayname>A</D:displayname><o:Title>First</o:Title>") +
      Response("/Sales/b.txt", "<D:displayname>B</D:displayname>") +
      Response("/Sales/c.txt", "<o:Author>Jones</o:Author>") + "</D:multistatus>";
  const webdav::Url request = *webdav::ParseUrl("http://docs/Sales/");
  std::vector<Fields> rows;
  for (webdav::ResourceResponse& r : webdav::ParseMultistatus(body))
    rows.push_back(webdav::ResourceRow(std::move(r), request));
  ASSERT_EQ(rows.size(), 3u);
  // Deriving the resource columns found them in the listing's index.
  EXPECT_EQ(rows[0].index(), rows[1].index());
  EXPECT_EQ(rows[0].index(), rows[2].index());

  EXPECT_EQ(rows[0].Value("urn:schemas-microsoft-com:office:office#TITLE"), Variant("First"));
  EXPECT_EQ(rows[1].Value("dav:DisplayName"), Variant("B"));
  EXPECT_EQ(rows[2].Value("resource_displayname"), Variant("c.txt"));
  // A name another row has is absent from a row that was not given it.
  EXPECT_FALSE(rows[1].Contains("urn:schemas-microsoft-com:office:office#Title"));
  EXPECT_TRUE(rows[1].Value("urn:schemas-microsoft-com:office:office#Author").IsNull());
  EXPECT_EQ(rows[2].size(), 9u);  // Author and the eight derived columns

  // Names the index lacks, each set from a value of the row itself: the row
  // takes its own index, its values stay, the other rows see none of them.
  for (int i = 0; i < 40; ++i)
    rows[0].Assign("urn:x:copy" + std::to_string(i), rows[0].Value(kColParseName));
  EXPECT_NE(rows[0].index(), rows[1].index());
  EXPECT_EQ(rows[1].index(), rows[2].index());
  EXPECT_EQ(rows[0].Value("URN:X:COPY39"), Variant("a.txt"));
  EXPECT_EQ(rows[0].Value("DAV:displayname"), Variant("A"));
  EXPECT_FALSE(rows[1].Contains("urn:x:copy0"));
  EXPECT_EQ(rows[1].Value(kColParseName), Variant("b.txt"));
}

TEST(FieldsTest, FieldMapKeepsFirstSpellingAndOrderAndRowsKeepWhatWasSet) {
  FieldMap map{{"DAV:DisplayName", Variant("one")}, {"urn:x:b", Variant(int32_t{2})}};
  EXPECT_FALSE(map.try_emplace("dav:displayname", Variant("ignored")).second);
  map.insert_or_assign("DAV:DISPLAYNAME", Variant("two"));
  map.insert_or_assign("urn:x:c", Variant(true));
  ASSERT_EQ(map.size(), 3u);
  EXPECT_EQ(map.begin()->first, "DAV:DisplayName");
  EXPECT_EQ(map.at("dav:displayname"), Variant("two"));
  EXPECT_EQ(map.erase("URN:X:B"), 1u);
  EXPECT_EQ(map.erase("urn:x:b"), 0u);

  // A name longer than a look-up folds in place still compares ignoring case.
  const std::string long_name = "urn:x:" + std::string(300, 'N');
  map.insert_or_assign(long_name, Variant("long"));

  Fields fields(map);
  std::vector<std::string> names;
  for (const auto& [name, value] : fields.values()) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"DAV:DisplayName", "urn:x:c", long_name}));
  EXPECT_EQ(fields.Value("urn:x:" + std::string(300, 'n')), Variant("long"));

  // A Null set is a value (a removal to send): the name is there, reading
  // Null, and the change keeps the name as it was given.
  fields.SetValue("urn:X:gone", Variant(Null{}));
  EXPECT_TRUE(fields.Contains("urn:x:GONE"));
  EXPECT_TRUE(fields.Value("urn:x:gone").IsNull());
  ASSERT_EQ(fields.pending().size(), 1u);
  EXPECT_EQ(fields.pending()[0].first, "urn:X:gone");
}

}  // namespace
}  // namespace orvex::server
