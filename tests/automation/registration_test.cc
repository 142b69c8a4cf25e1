// Creating objects by name, the PropertyClass1 object, and registration of
// the library's identity in the registry file.
#include "automation/registration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "automation/create_object.h"
#include "automation/identity.h"
#include "platform/registry.h"
#include "support/error_of.h"
#include "support/temp_dir.h"

namespace orvex::automation {
namespace {

using orvex::testing::ErrorOf;

using platform::Hive;

TEST(CreateObjectTest, ByProgIdOrClsidInAnyCase) {
  for (const char* name :
       {"Linkora.ConnectOrvex", "linkora.connectorvex", "{6D71C2F7-F839-44F5-885B-62471AB4F885}",
        "{6d71c2f7-f839-44f5-885b-62471ab4f885}"}) {
    auto obj = CreateObject(name);
    ASSERT_TRUE(obj) << name;
    EXPECT_TRUE(obj->GetIdOfName("ConnectOpen")) << name;
  }
  auto record = CreateObject("Linkora.PropertyClass1");
  EXPECT_FALSE(record->GetIdOfName("ConnectOpen"));
  EXPECT_EQ(ErrorOf<AutomationError>([] { CreateObject("Linkora.Nothing"); }),
            kErrCannotCreateObject);
}

TEST(PropertyClass1Test, TwelvePropertiesInOrderReadAndWritten) {
  auto record = CreateObject(kPropertyClass1ProgId);
  const char* names[] = {
      "URI",      "PropertyName", "Value",         "Description",     "IsRequired",       "Kind",
      "ReadOnly", "IsRestricted", "IsMultivalued", "DictionaryCount", "DictionaryValues", "Use"};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(record->GetIdOfName(names[i]), i + 1) << names[i];
  EXPECT_FALSE(record->GetIdOfName("Values"));

  auto let = [&](const char* name, Variant v) {
    std::vector<Variant> args{std::move(v)};
    record->Invoke(*record->GetIdOfName(name), InvokeKind::kPropertyLet, args);
  };
  auto get = [&](const char* name) {
    std::vector<Variant> none;
    return record->Invoke(*record->GetIdOfName(name), InvokeKind::kPropertyGet, none);
  };
  EXPECT_EQ(get("DictionaryValues"), Variant());
  EXPECT_EQ(get("Use").ToInt32(), 0);
  let("isrequired", Variant(int16_t{-1}));
  let("DictionaryCount", Variant("2"));
  let("DictionaryValues", Variant(VariantArray{Variant("a"), Variant("b")}));
  let("Value", Variant(int32_t{7}));
  EXPECT_EQ(get("IsRequired"), Variant(true));
  EXPECT_EQ(get("DictionaryCount"), Variant(int16_t{2}));
  EXPECT_EQ(get("DictionaryValues").array().size(), 2u);
  EXPECT_EQ(get("Value"), Variant("7"));
  std::vector<Variant> two{Variant(), Variant()};
  EXPECT_THROW(record->Invoke(1, InvokeKind::kPropertyLet, two), AutomationError);
}

TEST(PropertyClass1Test, DictionaryValuesAloneBindsAnObjectByReference) {
  auto record = CreateObject(kPropertyClass1ProgId);
  auto inner = CreateObject(kPropertyClass1ProgId);
  auto call = [](Dispatch& object, const char* name, InvokeKind kind, std::vector<Variant> args) {
    return object.Invoke(*object.GetIdOfName(name), kind, args);
  };
  const auto set = InvokeKind::kPropertyPutRef;
  const auto get = InvokeKind::kPropertyGet;

  // The record keeps the object itself: a change made through either name
  // is seen through the other.
  call(*record, "DictionaryValues", set, {Variant(inner)});
  Variant bound = call(*record, "DictionaryValues", get, {});
  ASSERT_TRUE(bound.IsObject());
  EXPECT_EQ(bound.object(), inner);
  call(*inner, "PropertyName", InvokeKind::kPropertyLet, {Variant("Department")});
  EXPECT_EQ(call(*bound.object(), "PropertyName", get, {}), Variant("Department"));

  // Nothing unbinds it.
  call(*record, "DictionaryValues", set, {Variant(std::shared_ptr<Dispatch>())});
  bound = call(*record, "DictionaryValues", get, {});
  EXPECT_TRUE(bound.IsObject());
  EXPECT_FALSE(bound.object());

  // A value is no object to bind, an object has no value to assign, and no
  // other property has a by-reference accessor; each leaves the record as
  // it was.
  call(*record, "DictionaryValues", InvokeKind::kPropertyLet,
       {Variant(VariantArray{Variant("Sales")})});
  EXPECT_EQ(ErrorOf<AutomationError>([&] {
              call(*record, "DictionaryValues", set, {Variant(VariantArray{Variant("Legal")})});
            }),
            kErrObjectRequired);
  EXPECT_EQ(
      ErrorOf<AutomationError>([&] { call(*record, "DictionaryValues", set, {Variant("Legal")}); }),
      kErrObjectRequired);
  EXPECT_EQ(ErrorOf<AutomationError>([&] {
              call(*record, "DictionaryValues", InvokeKind::kPropertyLet, {Variant(inner)});
            }),
            kErrMemberNotFound);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { call(*record, "URI", set, {Variant(inner)}); }),
            kErrMemberNotFound);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { call(*record, "DictionaryValues", set, {}); }),
            kErrWrongArgumentCount);
  EXPECT_EQ(call(*record, "DictionaryValues", get, {}), Variant(VariantArray{Variant("Sales")}));
  EXPECT_EQ(call(*record, "URI", get, {}), Variant(""));

  // ConnectOrvex binds nothing by reference, property or method.
  auto cx = CreateObject("Linkora.ConnectOrvex");
  EXPECT_EQ(ErrorOf<AutomationError>([&] { call(*cx, "Author", set, {Variant(inner)}); }),
            kErrMemberNotFound);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { call(*cx, "GetLastError", set, {Variant(inner)}); }),
            kErrMemberNotFound);
}

TEST(RegistrationTest, RegisterWritesTheIdentityAndUnregisterRemovesOnlyIt) {
  testing::TempDir dir("registration");
  const std::string path = dir.path() + "/registry.reg";
  {
    platform::Registry other(path);
    other.SetValue(Hive::kClassesRoot, "Other.Class", "", std::string("kept"));
    ASSERT_TRUE(other.Save());
  }
  ASSERT_TRUE(RegisterServer(path, "/usr/local/bin/orvex"));
  platform::Registry r(path);
  ASSERT_TRUE(r.Load());
  const std::string clsid = "CLSID\\" + std::string(kConnectOrvexClsid);
  EXPECT_EQ(r.QueryString(Hive::kClassesRoot, clsid + "\\ProgID", ""), "Linkora.ConnectOrvex");
  EXPECT_EQ(r.QueryString(Hive::kClassesRoot, clsid + "\\InprocServer32", "ThreadingModel"),
            "Apartment");
  EXPECT_EQ(r.QueryString(Hive::kClassesRoot, "Linkora.PropertyClass1\\Clsid", ""),
            std::string(kPropertyClass1Clsid));
  for (std::string_view iid : kConnectOrvexAliasIids)
    EXPECT_EQ(r.QueryString(Hive::kClassesRoot, "Interface\\" + std::string(iid), ""),
              "_ConnectOrvex");
  EXPECT_EQ(r.QueryString(Hive::kClassesRoot, "TypeLib\\" + std::string(kLibId) + "\\1.0", ""),
            "Linkora ActiveX DLL");

  ASSERT_TRUE(UnregisterServer(path));
  ASSERT_TRUE(r.Load());
  EXPECT_FALSE(r.KeyExists(Hive::kClassesRoot, clsid));
  EXPECT_FALSE(r.KeyExists(Hive::kClassesRoot, "Interface\\" + std::string(kConnectOrvexIid)));
  EXPECT_FALSE(r.KeyExists(Hive::kClassesRoot, "Linkora.ConnectOrvex"));
  EXPECT_EQ(r.QueryString(Hive::kClassesRoot, "Other.Class", ""), "kept");
}

}  // namespace
}  // namespace orvex::automation
