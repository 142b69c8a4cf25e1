#include "server/webdav/multistatus.h"

#include <gtest/gtest.h>

#include "server/error.h"
#include "support/error_of.h"

namespace orvex::server::webdav {
namespace {

int32_t ErrorNumberOf(const std::string& body, const std::string& encoding = {}) {
  return testing::ErrorOf<Error>([&] { ParseMultistatus(body, encoding); });
}

TEST(MultistatusTest, MatchesNamespacesByUriWhateverThePrefix) {
  // DAV: bound to an unusual prefix, then as the default namespace inside;
  // a foreign element named "response" in another namespace is ignored.
  const std::string body = R"(<?xml version="1.0"?>
<q:multistatus xmlns:q="DAV:" xmlns:o="urn:schemas-microsoft-com:office:office">
  <other:response xmlns:other="urn:example:not-dav"><q:href>/ignored/</q:href></other:response>
  <response xmlns="DAV:">
    <href>/Sales/Reports/</href>
    <propstat>
      <prop>
        <displayname>Reports</displayname>
        <o:Author>Jones</o:Author>
        <CategoriesFolder xmlns="urn:schemas-microsoft-com:workspace">Categories</CategoriesFolder>
        <IsCheckedOut xmlns="urn:schemas-microsoft-com:publishing:">x</IsCheckedOut>
        <resourcetype><collection/></resourcetype>
      </prop>
      <status>HTTP/1.1 200 OK</status>
    </propstat>
  </response>
</q:multistatus>)";
  std::vector<ResourceResponse> r = ParseMultistatus(body);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].href, "/Sales/Reports/");
  EXPECT_EQ(r[0].properties.Value("DAV:displayname"), Variant("Reports"));
  EXPECT_EQ(r[0].properties.Value("urn:schemas-microsoft-com:office:office#Author"),
            Variant("Jones"));
  EXPECT_EQ(r[0].properties.Value("urn:schemas-microsoft-com:workspace#CategoriesFolder"),
            Variant("Categories"));
  EXPECT_EQ(r[0].properties.Value("urn:schemas-microsoft-com:publishing:IsCheckedOut"),
            Variant("x"));
  EXPECT_TRUE(r[0].is_collection);
  EXPECT_FALSE(r[0].properties.Contains("DAV:collection"));
}

TEST(MultistatusTest, TypedValuesBecomeTypedVariants) {
  const std::string body = R"(<D:multistatus xmlns:D="DAV:"
      xmlns:t="urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/" xmlns:v="xml:" xmlns:p="urn:p:">
  <D:response><D:href>/a</D:href><D:propstat><D:prop>
    <p:yes t:dt="boolean">1</p:yes>
    <p:no t:dt="boolean">0</p:no>
    <p:int t:dt="int">-42</p:int>
    <p:i4 t:dt="i4">2147483647</p:i4>
    <p:i2 t:dt="i2">7</p:i2>
    <p:big t:dt="i2">40000</p:big>
    <p:when t:dt="dateTime.tz">2001-05-10T09:30:00Z</p:when>
    <p:plain>  spaced text  </p:plain>
    <p:str t:dt="string">&lt;a &amp; b&gt;</p:str>
    <p:empty t:dt="int"/>
    <p:mv t:dt="mv.string"><v:v>a</v:v><v:v></v:v><v:v>c, d</v:v></p:mv>
    <p:mvint t:dt="mv.int"><v:v>1</v:v></p:mvint>
    <p:mvnone t:dt="mv.string"/>
    <p:mvbare> <v:v>x</v:v> <v:v>y</v:v> </p:mvbare>
    <p:mixed>text<v:v>x</v:v></p:mixed>
    <p:wrongns xmlns:z="urn:other" z:dt="int">5</p:wrongns>
  </D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>
</D:multistatus>)";
  auto props = ParseMultistatus(body).at(0).properties;
  EXPECT_EQ(props.Value("urn:p:yes"), Variant(true));
  EXPECT_EQ(props.Value("urn:p:no"), Variant(false));
  EXPECT_EQ(props.Value("urn:p:int"), Variant(int32_t{-42}));
  EXPECT_EQ(props.Value("urn:p:i4"), Variant(int32_t{2147483647}));
  EXPECT_EQ(props.Value("urn:p:i2"), Variant(int16_t{7}));
  EXPECT_EQ(props.Value("urn:p:big"), Variant("40000"));  // does not fit: kept as text
  EXPECT_EQ(props.Value("urn:p:when"), Variant("2001-05-10T09:30:00Z"));
  EXPECT_EQ(props.Value("urn:p:plain"), Variant("  spaced text  "));
  EXPECT_EQ(props.Value("urn:p:str"), Variant("<a & b>"));
  EXPECT_EQ(props.Value("urn:p:empty"), Variant(""));
  EXPECT_EQ(props.Value("urn:p:mv"), Variant(VariantArray{"a", "", "c, d"}));
  EXPECT_EQ(props.Value("urn:p:mvint"), Variant(VariantArray{"1"}));
  EXPECT_EQ(props.Value("urn:p:mvnone"), Variant(VariantArray{}));
  // Kept without its type attribute, a multi-valued property is still one.
  EXPECT_EQ(props.Value("urn:p:mvbare"), Variant(VariantArray{"x", "y"}));
  EXPECT_EQ(props.Value("urn:p:mixed"), Variant("text"));
  EXPECT_EQ(props.Value("urn:p:wrongns"), Variant("5"));  // dt in another namespace: untyped
}

TEST(MultistatusTest, StatusLinesDecideWhichPropertiesExist) {
  const std::string body = R"(<D:multistatus xmlns:D="DAV:" xmlns:p="urn:p:">
  <D:response><D:href>http://docs/Sales/</D:href>
    <D:propstat><D:prop><p:here>1</p:here></D:prop><D:status>200 OK</D:status></D:propstat>
    <D:propstat><D:status>HTTP/1.1 404 Not Found</D:status>
      <D:prop><p:missing/><D:resourcetype><D:collection/></D:resourcetype></D:prop></D:propstat>
    <D:propstat><D:prop><p:denied/></D:prop><D:status>HTTP/1.1 403 Forbidden</D:status></D:propstat>
  </D:response>
  <D:response><D:href>/gone/</D:href><D:status>HTTP/1.1 404 Not Found</D:status></D:response>
  <D:responsedescription>partly</D:responsedescription>
</D:multistatus>)";
  std::vector<ResourceResponse> r = ParseMultistatus(body);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].status, 0);
  EXPECT_EQ(r[0].properties.size(), 1u);
  EXPECT_TRUE(r[0].properties.Contains("urn:p:here"));
  EXPECT_FALSE(r[0].is_collection);  // reported only under 404
  ASSERT_EQ(r[0].failed.size(), 3u);
  EXPECT_EQ(r[0].failed[0], (std::pair<std::string, int>("urn:p:missing", 404)));
  EXPECT_EQ(r[0].failed[2], (std::pair<std::string, int>("urn:p:denied", 403)));
  EXPECT_EQ(r[1].href, "/gone/");
  EXPECT_EQ(r[1].status, 404);
}

TEST(MultistatusTest, HonoursTheCharsetOfTheHeaders) {
  std::string body =
      "<D:multistatus xmlns:D=\"DAV:\"><D:response><D:href>/a</D:href>"
      "<D:propstat><D:prop><D:displayname>K\xF6ln</D:displayname></D:prop>"
      "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
      "</D:multistatus>";
  auto r = ParseMultistatus(body, "ISO-8859-1");
  EXPECT_EQ(r.at(0).properties.Value("DAV:displayname"), Variant("K\xC3\xB6ln"));
  // The same bytes read as UTF-8 are not well-formed.
  EXPECT_EQ(ErrorNumberOf(body), kErrGenericFailure);
  EXPECT_EQ(ErrorNumberOf(body, "x-no-such-charset"), kErrGenericFailure);
}

TEST(MultistatusTest, RefusesMalformedAndHostileBodies) {
  const std::string laughs = R"(<?xml version="1.0"?>
<!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol1 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">
<!ENTITY lol2 "&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;">
<!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">]>
<D:multistatus xmlns:D="DAV:"><D:response><D:href>&lol3;</D:href></D:response></D:multistatus>)";
  const std::string external = R"(<?xml version="1.0"?>
<!DOCTYPE m [<!ENTITY x SYSTEM "file:///etc/passwd">]>
<D:multistatus xmlns:D="DAV:"><D:response><D:href>&x;</D:href></D:response></D:multistatus>)";
  const std::string bare_doctype = "<!DOCTYPE D:multistatus><D:multistatus xmlns:D=\"DAV:\"/>";
  const char* cases[] = {
      "",
      "not xml at all",
      "<D:multistatus xmlns:D=\"DAV:\"><D:response><D:href>/a</D:href>",  // truncated
      "<D:multistatus xmlns:D=\"DAV:\"></D:response></D:multistatus>",    // mismatched
      "<multistatus><response/></multistatus>",                           // no namespace
      "<D:prop xmlns:D=\"DAV:\"/>",                                       // wrong root
      "<D:multistatus xmlns:D=\"DAV:\"><x:a/></D:multistatus>",           // unbound prefix
      "<D:multistatus xmlns:D=\"DAV:\"/><D:multistatus xmlns:D=\"DAV:\"/>",
  };
  for (const char* body : cases) EXPECT_EQ(ErrorNumberOf(body), kErrGenericFailure) << body;
  EXPECT_EQ(ErrorNumberOf(laughs), kErrGenericFailure);
  EXPECT_EQ(ErrorNumberOf(external), kErrGenericFailure);
  EXPECT_EQ(ErrorNumberOf(bare_doctype), kErrGenericFailure);
}

TEST(MultistatusTest, ReadsAnEmptyMultistatusAndDeeplyNestedValues) {
  EXPECT_TRUE(ParseMultistatus("<multistatus xmlns=\"DAV:\"/>").empty());

  // Deep nesting inside a value is read without recursion trouble.
  std::string deep =
      "<D:multistatus xmlns:D=\"DAV:\"><D:response><D:href>/a</D:href>"
      "<D:propstat><D:prop><D:lockdiscovery>";
  for (int i = 0; i < 100000; ++i) deep += "<x>";
  deep += "text";
  for (int i = 0; i < 100000; ++i) deep += "</x>";
  deep +=
      "</D:lockdiscovery></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
      "</D:response></D:multistatus>";
  auto r = ParseMultistatus(deep);
  EXPECT_EQ(r.at(0).properties.Value("DAV:lockdiscovery"), Variant("text"));
}

// Reads `body` fed in pieces cut at `cuts` (ascending offsets).
std::vector<ResourceResponse> ReadInPieces(const std::string& body, std::vector<size_t> cuts,
                                           MultistatusLimits limits = {}) {
  MultistatusReader reader({}, limits);
  size_t at = 0;
  cuts.push_back(body.size());
  for (size_t cut : cuts) {
    reader.Feed(std::string_view(body).substr(at, cut - at));
    at = cut;
  }
  return reader.Finish();
}

void ExpectSame(const std::vector<ResourceResponse>& a, const std::vector<ResourceResponse>& b,
                const std::string& where) {
  ASSERT_EQ(a.size(), b.size()) << where;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].href, b[i].href) << where;
    EXPECT_EQ(a[i].status, b[i].status) << where;
    EXPECT_EQ(a[i].is_collection, b[i].is_collection) << where;
    EXPECT_EQ(a[i].failed, b[i].failed) << where;
    ASSERT_EQ(a[i].properties.size(), b[i].properties.size()) << where;
    for (const auto& [name, value] : a[i].properties.values())
      EXPECT_EQ(b[i].properties.Value(name), value) << where << " " << name;
  }
}

TEST(MultistatusTest, ReadsAnAnswerFedInPiecesAsItReadsItWhole) {
  const std::string body = R"(<?xml version="1.0" encoding="utf-8"?>
<D:multistatus xmlns:D="DAV:" xmlns:T="urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/"
    xmlns:V="xml:" xmlns:o="urn:schemas-microsoft-com:office:office">
  <D:response><D:href>/Sales/Reports/</D:href>
    <D:propstat><D:prop><D:displayname>Rep&amp;orts &#x00E9;t&#xE9;</D:displayname>
      <D:resourcetype><D:collection/></D:resourcetype>
      <D:ishidden T:dt="boolean">1</D:ishidden>
      <o:Keywords T:dt="mv.string"><V:v>one</V:v><V:v>two words</V:v></o:Keywords>
      <o:Count T:dt="int">42</o:Count></D:prop>
      <D:status>HTTP/1.1 200 OK</D:status></D:propstat>
    <D:propstat><D:prop><o:Missing/></D:prop><D:status>HTTP/1.1 404 Not Found</D:status>
    </D:propstat></D:response>
  <D:response><D:href>/Sales/Reports/q1.txt</D:href><D:status>HTTP/1.1 423 Locked</D:status>
  </D:response>
</D:multistatus>)";
  std::vector<ResourceResponse> whole = ParseMultistatus(body);
  ASSERT_EQ(whole.size(), 2u);
  EXPECT_EQ(whole[0].properties.Value("DAV:displayname"), Variant("Rep&orts \u00e9t\u00e9"));
  // Every single cut (inside names, entities, character references and
  // multi-byte characters), and one byte at a time.
  for (size_t cut = 0; cut <= body.size(); ++cut)
    ExpectSame(whole, ReadInPieces(body, {cut}), "cut at " + std::to_string(cut));
  std::vector<size_t> every_byte;
  for (size_t i = 1; i < body.size(); ++i) every_byte.push_back(i);
  ExpectSame(whole, ReadInPieces(body, every_byte), "byte by byte");

  // A truncated answer fails however it was fed.
  MultistatusReader truncated;
  truncated.Feed(std::string_view(body).substr(0, body.size() / 2));
  EXPECT_THROW(truncated.Finish(), Error);
}

TEST(MultistatusTest, LimitsOnItemsAndBytesRefuseALargerAnswer) {
  std::string body = R"(<D:multistatus xmlns:D="DAV:">)";
  for (int i = 0; i < 5; ++i)
    body += "<D:response><D:href>/f/" + std::to_string(i) + "</D:href></D:response>";
  body += "</D:multistatus>";
  EXPECT_EQ(ReadInPieces(body, {7, 40}, {5, body.size()}).size(), 5u);
  for (MultistatusLimits limits : {MultistatusLimits{4, body.size()}, MultistatusLimits{5, 100}})
    EXPECT_EQ(testing::ErrorOf<Error>([&] {
                ReadInPieces(body, {7, 40}, limits);
              }),
              kErrGenericFailure);
  // The defaults list a million items with room to spare.
  EXPECT_GE(MultistatusLimits{}.max_responses, 1'000'001u);
  EXPECT_GE(MultistatusLimits{}.max_bytes, uint64_t{1} << 31);
}

}  // namespace
}  // namespace orvex::server::webdav
