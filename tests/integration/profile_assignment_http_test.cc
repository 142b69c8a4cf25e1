// Profile assignment over real HTTP: a scripted person chooses a profile and
// edits values in the profile dialog, and a fresh look at the document
// (PROPFIND) shows what the docstore then holds, for a document opened with
// its own profile and for one treated as new, with two profiles sharing a
// property.
#include "fakes/variant_list.h"
#include "integration/docstore_fixture.h"
#include "server/names.h"
#include "support/seed.h"

namespace orvex::testing {
namespace {

using seed::Json;

constexpr char kOffice[] = "urn:schemas-microsoft-com:office:office#";
constexpr char kMemo[] = "urn:content-classes:memo";
constexpr char kContract[] = "urn:content-classes:contract";

std::string Office(const std::string& name) { return kOffice + name; }

class ProfileAssignmentHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    auto def = [](const std::string& name, const std::string& type) {
      return Json{{"id", Office(name)}, {"title", name}, {"type", type}};
    };
    Json title = def("Title", "Text");
    title["required"] = true;
    Json keywords = def("Keywords", "List");
    keywords["multivalued"] = true;
    keywords["dictionary"] = "urn:schemas-microsoft-com:publishing:dictionary:Topics";
    Json status = def("Status", "List");
    status["dictionary"] = "urn:schemas-microsoft-com:publishing:dictionary:States";
    Json schema{{"dictionaries",
                 {{{"id", "urn:schemas-microsoft-com:publishing:dictionary:Topics"},
                   {"title", "Topics"},
                   {"values", {"a", "b", "c"}},
                   {"restricted", false}},
                  {{"id", "urn:schemas-microsoft-com:publishing:dictionary:States"},
                   {"title", "States"},
                   {"values", {"Draft", "Final"}},
                   {"restricted", true}}}},
                {"properties",
                 {title, def("Author", "Text"), keywords, status, def("Summary", "Comment box")}},
                {"profiles",
                 {{{"id", "urn:content-classes:document"},
                   {"title", "Document"},
                   {"properties", {Office("Title")}}},
                  {{"id", kMemo},
                   {"title", "Memo"},
                   {"properties", {Office("Title"), Office("Keywords"), Office("Summary")}}},
                  {{"id", kContract},
                   {"title", "Contract"},
                   {"properties",
                    {Office("Author"), Office("Title"), Office("Status"), Office("Keywords")}}}}},
                {"default_profile", "urn:content-classes:document"}};
    Json reports{{"name", "Reports"},
                 {"type", "standard"},
                 {"profiles", {kContract, kMemo}},
                 {"default_profile", kContract},
                 {"items",
                  {{{"name", "plan.txt"},
                    {"type", "document"},
                    {"profile", kMemo},
                    {"content", "plan"},
                    {"properties",
                     {{Office("Title"), "Old plan"},
                      {Office("Keywords"), {"a", "b"}},
                      {Office("Summary"), "first"}}}},
                   {{"name", "blank.txt"}, {"type", "document"}, {"content", "blank"}}}}};
    StartStore(seed::Store(Json::array({seed::Workspace("Sales", {{"CORP\\jones", "author"}},
                                                        Json::array({reports}))}),
                           schema));

    ScriptForms();
    obj_ = NewObject();
    ASSERT_TRUE(obj_->ConnectOpen("docs", "jones", "CORP", "secret"));
    std::vector<Variant> args{Variant("Sales")};
    ASSERT_EQ(obj_->Invoke(*obj_->GetIdOfName("SetWorkspace"), InvokeKind::kMethod, args),
              Variant(true));
  }
  void TearDown() override {
    obj_.reset();
    DocstoreTest::TearDown();
  }

  engine::ServerClass1& engine() { return obj_->DefaultServer(); }
  // A document object opened on a document of Reports: one PROPFIND.
  std::unique_ptr<server::Item> Open(const std::string& name) {
    return Document(*obj_, "Reports/" + name);
  }

  std::unique_ptr<automation::ConnectOrvex> obj_;
};

TEST_F(ProfileAssignmentHttpTest, ExistingDocumentKeepsOrChangesItsProfile) {
  auto document = Open("plan.txt");
  agent_->Plan("ProfileDlg", "dblclick Keywords; dblclick Summary; press OKButton");
  agent_->Plan("PropertyListDlg", "toggle List1 c; press OKButton");
  agent_->Plan("PropertyCommentDlg", "clear Text1; type Text1 second; press OKButton");
  ASSERT_TRUE(engine().ChangeProfile("Reports", *document, false)) << engine().ErrorCode;
  const std::vector<Json> forms = Forms();
  ASSERT_FALSE(forms.empty());
  EXPECT_EQ(Control(forms[0], "ComboProfile")["items"], Json({"Memo", "Contract"}));
  EXPECT_EQ(Control(forms[0], "ComboProfile")["text"], "Memo");

  const auto look = Open("plan.txt");
  const server::Fields& held = look->GetFields();
  EXPECT_EQ(held.Value(server::kPropContentClass), Variant(kMemo));
  EXPECT_EQ(held.Value(Office("Title")), Variant("Old plan"));
  EXPECT_EQ(held.Value(Office("Keywords")), List({"a", "b", "c"}));
  EXPECT_EQ(held.Value(Office("Summary")), Variant("second"));

  // Switching to Contract: the shared Title record shows the document's
  // value there too; Summary, which Contract does not list, is left alone.
  document = Open("plan.txt");
  agent_->Plan("ProfileDlg", "choose Contract; dblclick Status; press OKButton");
  agent_->Plan("PropertyCmbDlg", "choose Final; press OKButton");
  ASSERT_TRUE(engine().ChangeProfile("Reports", *document, false)) << engine().ErrorCode;
  const std::vector<Json> shown = Forms();
  const Json& rows = Control(shown[shown.size() - 2], "ListView1")["rows"];
  ASSERT_EQ(rows.size(), 3u);  // as the second showing opened: Memo's rows
  const auto again = Open("plan.txt");
  const server::Fields& now = again->GetFields();
  EXPECT_EQ(now.Value(server::kPropContentClass), Variant(kContract));
  EXPECT_EQ(now.Value(Office("Title")), Variant("Old plan"));
  EXPECT_EQ(now.Value(Office("Status")), Variant("Final"));
  EXPECT_EQ(now.Value(Office("Keywords")), List({"a", "b", "c"}));
  EXPECT_EQ(now.Value(Office("Summary")), Variant("second"));
}

}  // namespace
}  // namespace orvex::testing
