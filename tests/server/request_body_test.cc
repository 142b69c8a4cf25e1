#include "server/webdav/request_body.h"

#include <gtest/gtest.h>

#include "server/error.h"
#include "support/error_of.h"

namespace orvex::server::webdav {
namespace {

TEST(RequestBodyTest, KeepsTheLastValueOfEachServerProperty) {
  Fields::Changes changes = {
      {"DAV:contentclass", "urn:content-classes:smartfolder"},
      {"RESOURCE_DISPLAYNAME", "not sent"},
      {"urn:o#Title", "first"},
      {"DAV:contentclass", "urn:content-classes:knowledgefolder"},
  };
  Fields::Changes out = ServerChanges(changes);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].first, "DAV:contentclass");
  EXPECT_EQ(out[0].second, Variant("urn:content-classes:knowledgefolder"));
  EXPECT_EQ(out[1].first, "urn:o#Title");
}

TEST(RequestBodyTest, WritesTypedValuesSetsAndRemovesInOrder) {
  Fields::Changes changes = {
      {"urn:schemas-microsoft-com:office:office#Author", "A & <B>"},
      {"urn:p:flag", true},
      {"urn:p:count", int32_t{12}},
      {"urn:p:small", int16_t{-3}},
      {"urn:p:gone", Null{}},
      {"urn:p:keywords", VariantArray{"a", "b"}},
  };
  EXPECT_EQ(PropertyUpdateBody(changes),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
            "<D:propertyupdate xmlns:D=\"DAV:\" "
            "xmlns:b=\"urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/\" xmlns:x=\"xml:\">"
            "<D:set><D:prop>"
            "<Author xmlns=\"urn:schemas-microsoft-com:office:office\">A &amp; &lt;B&gt;</Author>"
            "</D:prop></D:set>"
            "<D:set><D:prop><flag xmlns=\"urn:p:\" b:dt=\"boolean\">1</flag></D:prop></D:set>"
            "<D:set><D:prop><count xmlns=\"urn:p:\" b:dt=\"int\">12</count></D:prop></D:set>"
            "<D:set><D:prop><small xmlns=\"urn:p:\" b:dt=\"i2\">-3</small></D:prop></D:set>"
            "<D:remove><D:prop><gone xmlns=\"urn:p:\"/></D:prop></D:remove>"
            "<D:set><D:prop>"
            "<keywords xmlns=\"urn:p:\" b:dt=\"mv.string\"><x:v>a</x:v><x:v>b</x:v></keywords>"
            "</D:prop></D:set>"
            "</D:propertyupdate>");
}

TEST(RequestBodyTest, RefusesWhatXmlCannotCarry) {
  auto number = [](const Fields::Changes& changes) {
    return testing::ErrorOf<Error>([&] { PropertyUpdateBody(changes); });
  };
  EXPECT_EQ(number({{"DAV: IsReadOnly", true}}), kErrGenericFailure);
  EXPECT_EQ(number({{"urn:p:", "x"}}), kErrGenericFailure);
  EXPECT_EQ(number({{"urn:p:x", "bell\x07"}}), kErrGenericFailure);
  EXPECT_EQ(number({{"urn:p:x", VariantArray{VariantArray{}}}}), kErrGenericFailure);
  EXPECT_EQ(number({{"urn:p:x", "tab\tline\ncr\r"}}), 0);
  // What a server could not store and answer as XML: invalid UTF-8,
  // non-characters, C1 controls, DEL; in a value, in one of many values, in
  // a name or a namespace; and names in the namespaces nobody may declare.
  for (std::string bad : {"\xff", "a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xEF\xBF\xBE",
                          "\xEF\xBF\xBF", "\xEF\xB7\x90", "\xF0\x9F\xBF\xBE", "\xC2\x85", "\x7F"}) {
    EXPECT_EQ(number({{"urn:p:x", bad}}), kErrGenericFailure) << bad;
    EXPECT_EQ(number({{"urn:p:x", VariantArray{Variant("ok"), Variant(bad)}}}), kErrGenericFailure)
        << bad;
    EXPECT_EQ(number({{"urn:p:x" + bad, "v"}}), kErrGenericFailure) << bad;
    EXPECT_EQ(number({{"urn:p" + bad + ":x", "v"}}), kErrGenericFailure) << bad;
  }
  EXPECT_EQ(number({{"http://www.w3.org/XML/1998/namespace#lang", "en"}}), kErrGenericFailure);
  EXPECT_EQ(number({{"http://www.w3.org/2000/xmlns/x", "v"}}), kErrGenericFailure);
  EXPECT_THROW(MkcolBody({{"urn:p:x", "\xEF\xBF\xBE"}}), Error);
  // Characters beyond the Basic Multilingual Plane and the last ones before
  // the non-characters are fine.
  EXPECT_EQ(number({{"urn:p:\xE6\x97\xA5", "\xF0\x9F\x98\x80 \xEF\xBF\xBD \xEF\xB7\xB0\xC2\xA0"}}),
            0);
  EXPECT_EQ(XmlEscape("\r\"'"), "&#13;&quot;'");
}

}  // namespace
}  // namespace orvex::server::webdav
