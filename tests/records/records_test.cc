// The profile record's name list: its one empty element, the append rule,
// the reset, and the copy handed out.
#include <gtest/gtest.h>

#include "records/profile_class1.h"

namespace orvex::records {
namespace {

std::vector<std::string> Names(const ProfileClass1& p) {
  std::vector<std::string> out;
  const Variant names = p.GetPropertyArray();
  for (const Variant& v : names.array()) out.push_back(v.ToString());
  return out;
}

TEST(ProfileClass1Test, NameListTakesItsEmptyElementFirstAndAppendsAfterwards) {
  ProfileClass1 p;
  EXPECT_EQ(Names(p), std::vector<std::string>{""});  // a profile without properties

  p.AddProperty("a");
  p.AddProperty("b");
  EXPECT_EQ(Names(p), (std::vector<std::string>{"a", "b"}));

  // The copy handed out does not follow the record.
  const Variant copy = p.GetPropertyArray();
  p.AddProperty("c");
  EXPECT_EQ(copy.array().size(), 2u);
  EXPECT_EQ(Names(p), (std::vector<std::string>{"a", "b", "c"}));

  // NewClass stores the three values and empties the list again.
  p.bSet = p.bDefault = true;
  p.NewClass("urn:content-classes:contract", "Contract", false);
  EXPECT_EQ(p.strURI, "urn:content-classes:contract");
  EXPECT_EQ(p.strProfile, "Contract");
  EXPECT_FALSE(p.bUse);
  EXPECT_TRUE(p.bSet);  // the flags are the loader's business
  EXPECT_EQ(Names(p), std::vector<std::string>{""});

  // An empty name stored first leaves element 0 empty; the next overwrites it.
  p.AddProperty("");
  EXPECT_EQ(Names(p), std::vector<std::string>{""});
  p.AddProperty("Title");
  EXPECT_EQ(Names(p), std::vector<std::string>{"Title"});
  // Once the list has grown, empty names are appended like any other.
  p.AddProperty("");
  p.AddProperty("Author");
  EXPECT_EQ(Names(p), (std::vector<std::string>{"Title", "", "Author"}));
}

}  // namespace
}  // namespace orvex::records
