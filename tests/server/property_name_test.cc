#include "server/webdav/property_name.h"

#include <gtest/gtest.h>

#include <utility>

#include "wire/names.h"

namespace orvex::server::webdav {
namespace {

TEST(PropertyNameTest, SplitsAtTheLastSeparatorAndJoinsBack) {
  struct Case {
    const char* full;
    const char* ns;
    const char* local;
  } cases[] = {
      {"DAV:displayname", "DAV:", "displayname"},
      {"urn:schemas-microsoft-com:publishing:IsCheckedOut",
       "urn:schemas-microsoft-com:publishing:", "IsCheckedOut"},
      {"urn:schemas-microsoft-com:office:office#Author", "urn:schemas-microsoft-com:office:office",
       "Author"},
      {"urn:schemas-microsoft-com:workspace#CategoriesFolder",
       "urn:schemas-microsoft-com:workspace", "CategoriesFolder"},
      {"http://example.com/ns/title", "http://example.com/ns/", "title"},
      {"urn:a;b", "urn:a;", "b"},
      {"urn:a?b", "urn:a?", "b"},
      {"urn:x#y:z", "urn:x#y:", "z"},  // the last separator wins, even after a '#'
      {"RESOURCE_PARSENAME", "", "RESOURCE_PARSENAME"},
  };
  for (const Case& c : cases) {
    PropertyName n = SplitPropertyName(c.full);
    EXPECT_EQ(n.ns, c.ns) << c.full;
    EXPECT_EQ(n.local, c.local) << c.full;
    EXPECT_EQ(JoinPropertyName(n.ns, n.local), c.full);
  }
  EXPECT_EQ(JoinPropertyName("urn:example", "x"), "urn:example#x");
  EXPECT_EQ(JoinPropertyName("", "x"), "x");
}

TEST(PropertyNameTest, TellsWhichLocalNamesXmlCanCarry) {
  for (const char* ok : {"displayname", "_x", "a-b.c1", "N\xC3\xA4me"})
    EXPECT_TRUE(IsXmlLocalName(ok)) << ok;
  // "DAV: IsReadOnly" splits into "DAV:" and " IsReadOnly".
  for (const char* bad : {"", " IsReadOnly", "1st", "-x", "a b", "a<b", "a:b"})
    EXPECT_FALSE(IsXmlLocalName(bad)) << bad;
}

TEST(PropertyNameTest, FullNamesOfTheWireJoinItsNamespacesAndLocalNames) {
  using namespace wire::names;
  const std::pair<std::pair<const char*, const char*>, const char*> pairs[] = {
      {{kDav, "displayname"}, kPropDisplayName},
      {{kDav, "contentclass"}, kPropContentClass},
      {{kWorkspaceNs, kCategoriesFolder}, kPropCategoriesFolder},
      {{kExchDataNs, kSchemaCollectionRef}, kPropSchemaCollectionRef},
      {{kExchDataNs, kDefaultContentClass}, kPropDefaultContentClass},
      {{kPublishingNs, kDocumentProfiles}, kPropDocumentProfiles},
      {{kPublishingNs, kDefaultDocumentProfile}, kPropDefaultDocumentProfile},
      {{kPublishingNs, kIsCheckedOut}, kPropIsCheckedOut},
      {{kPublishingNs, kCheckedOutBy}, kPropCheckedOutBy},
      {{kPublishingNs, kDocumentState}, kPropDocumentState},
      {{kPublishingNs, kIsHiddenInPortal}, kPropIsHiddenInPortal},
      {{kPublishingNs, kWorkingCopy}, kPropWorkingCopy},
      {{kPublishingNs, kOperationsAllowed}, kPropOperationsAllowed},
      {{kOfficeNs, "Description"}, kPropDescription},
  };
  for (const auto& [parts, full] : pairs) {
    EXPECT_EQ(JoinPropertyName(parts.first, parts.second), full);
    PropertyName split = SplitPropertyName(full);
    EXPECT_EQ(split.ns, parts.first) << full;
    EXPECT_EQ(split.local, parts.second) << full;
  }
}

}  // namespace
}  // namespace orvex::server::webdav
