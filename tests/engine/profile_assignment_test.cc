// Profile assignment against the recording fake, with a scripted person in
// the profile dialog: the records built from the workspace's and the
// folder's profiles, the presets, what is written onto the document object
// (and what is not), the exact server calls, and every failure path.
#include <gtest/gtest.h>

#include "automation/connect_orvex.h"
#include "dialogs/profile_dlg.h"
#include "engine/server_class1.h"
#include "fakes/fake_engine_test.h"
#include "fakes/variant_list.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "server/error.h"
#include "server/names.h"
#include "server/schema.h"
#include "support/form_records.h"

namespace orvex::engine {
namespace {

using nlohmann::json;
using testing::Control;
using testing::List;
using testing::OpenCall;

constexpr char kSchema[] = "http://docs/Sales/Schema";
constexpr char kFolder[] = "http://docs/Sales/Reports";
constexpr char kMemo[] = "urn:content-classes:memo";
constexpr char kContract[] = "urn:content-classes:contract";
constexpr char kStatus[] = "urn:schemas-microsoft-com:publishing:status";
constexpr char kClient[] = "URN:SCHEMAS-MICROSOFT-COM:custom#client";

class ProfileAssignmentTest : public testing::FakeEngineTest {
 protected:
  ProfileAssignmentTest() : owner_(backend_) {
    AddWorkspace("Sales", {{server::kPropDocumentProfiles,
                            List({kMemo, kContract, "urn:content-classes:report"})}});
    backend_->AddItem(kSchema, {}, false);
    backend_->AddItem(kFolder, {{server::kPropDocumentProfiles,
                                 List({kContract, "urn:content-classes:stray", kMemo})},
                                {server::kPropDefaultDocumentProfile, Variant(kContract)}});
    Profile(kMemo, "Memo",
            {server::kPropTitle, "DAV:getlastmodified", server::kPropKeywords, kClient});
    Profile(kContract, "Contract",
            {server::kPropAuthor, server::kPropTitle, kStatus, server::kPropKeywords});
    Property(server::kPropTitle, "Title", "Text",
             {{server::kPropIsRequired, Variant(true)},
              // Without a dictionary these stay False in the record.
              {server::kPropIsMultivalued, Variant(true)},
              {"DAV:isreadonly", Variant(true)}});
    Property(server::kPropAuthor, "Author", "Text", {});
    Property(server::kPropKeywords, "Keywords", "List",
             {{server::kPropDictionary, Variant("kw")},
              {server::kPropIsRetrieved, Variant(true)},
              {server::kPropIsMultivalued, Variant(true)},
              {"DAV:isreadonly", Variant(true)}});
    Property(
        kStatus, "Status", "List",
        {{server::kPropDictionary, Variant("states")}, {server::kPropIsRetrieved, Variant(true)}});
    // A dictionary that is not retrieved does not count.
    Property(kClient, "Client", "Text",
             {{server::kPropDictionary, Variant("clients")},
              {server::kPropIsRetrieved, Variant(false)}});
    backend_->AddSchemaObject(kSchema, "kw",
                              {{server::kPropDictionaryValues, List({"a", "b", "c"})},
                               {server::kPropIsRestricted, Variant(true)}});
    backend_->AddSchemaObject(kSchema, "states",
                              {{server::kPropDictionaryValues, List({"Draft", "Final"})}});

    engine_.Connect = &owner_;
    owner_.Properties().Author = "Jones";
    owner_.Properties().Title = "Plan";
    owner_.Properties().Keywords = "a,c";
  }
  void SetUp() override {
    ui::UseToolkit("headless");
    agent_ = std::make_shared<ui::ScriptedAgent>();
    ui::SetUserAgent(agent_);
    ui::SetObserver([this](const json& r) {
      if (r.contains("form")) forms_.push_back(r["form"]);
    });
    OpenSales();
  }
  void TearDown() override {
    ui::SetUserAgent(nullptr);
    ui::SetObserver(nullptr);
  }

  void Profile(const std::string& id, const std::string& title, std::vector<std::string> order) {
    backend_->AddSchemaObject(kSchema, id,
                              {{"DAV:displayname", Variant(title)},
                               {server::kPropPropertyOrder, List(std::move(order))}});
  }
  void Property(const std::string& id, const std::string& title, const std::string& kind,
                server::FieldMap more) {
    more.insert_or_assign("DAV:displayname", Variant(title));
    more.insert_or_assign(server::kPropExtendedType, Variant(kind));
    more.insert_or_assign(server::kPropDescription, Variant(title + " of the document"));
    backend_->AddSchemaObject(kSchema, id, std::move(more));
  }
  const records::PropertyClass1* Record(const std::string& name) const {
    for (const auto& p : engine_.property_records()) {
      if (p->PropertyName == name) return p.get();
    }
    return nullptr;
  }

  automation::ConnectOrvex owner_;
  std::shared_ptr<ui::ScriptedAgent> agent_;
  std::vector<json> forms_;
};

TEST_F(ProfileAssignmentTest, RecordsFollowTheWorkspaceOrderAndShareProperties) {
  std::string folder = "Reports";
  ASSERT_TRUE(engine_.UpdateProfileInfo(folder));
  const auto& profiles = engine_.profile_records();
  ASSERT_EQ(profiles.size(), 2u);  // the stray profile is not the workspace's
  EXPECT_EQ(profiles[0]->strURI, kMemo);
  EXPECT_EQ(profiles[0]->strProfile, "Memo");
  EXPECT_EQ(profiles[1]->strProfile, "Contract");
  for (const auto& p : profiles) EXPECT_FALSE(p->bUse);
  // The DAV: entry is left out; the prefix test ignores case.
  auto names = [](const records::ProfileClass1& p) {
    std::vector<std::string> out;
    const Variant list = p.GetPropertyArray();
    for (const auto& v : list.array()) out.push_back(v.ToString());
    return out;
  };
  EXPECT_EQ(names(*profiles[0]), (std::vector<std::string>{"Title", "Keywords", "Client"}));
  EXPECT_EQ(names(*profiles[1]),
            (std::vector<std::string>{"Author", "Title", "Status", "Keywords"}));

  // One record per name, in order of first appearance, shared by both.
  std::vector<std::string> order;
  for (const auto& p : engine_.property_records()) order.push_back(p->PropertyName);
  EXPECT_EQ(order, (std::vector<std::string>{"Title", "Keywords", "Client", "Author", "Status"}));

  const records::PropertyClass1& title = *Record("Title");
  EXPECT_EQ(title.URI, server::kPropTitle);
  EXPECT_EQ(title.Description, "Title of the document");
  EXPECT_TRUE(title.IsRequired);
  EXPECT_EQ(title.Kind, "Text");
  EXPECT_FALSE(title.IsMultivalued);  // no dictionary: the flags stay False
  EXPECT_FALSE(title.ReadOnly);
  EXPECT_EQ(title.DictionaryCount, 0);
  EXPECT_TRUE(title.DictionaryValues.IsEmpty());

  const records::PropertyClass1& keywords = *Record("Keywords");
  EXPECT_EQ(keywords.DictionaryCount, 3);
  EXPECT_EQ(keywords.DictionaryValues, List({"a", "b", "c"}));
  EXPECT_TRUE(keywords.IsRestricted);
  EXPECT_TRUE(keywords.IsMultivalued);
  EXPECT_TRUE(keywords.ReadOnly);
  EXPECT_EQ(Record("Status")->DictionaryCount, 2);
  EXPECT_FALSE(Record("Status")->IsRestricted);
  EXPECT_EQ(Record("Client")->DictionaryCount, 0);
  EXPECT_EQ(Record("Client")->URI, kClient);

  // SetUseProfileInfo marks what the folder offers: default and current.
  ASSERT_TRUE(engine_.SetUseProfileInfo("Reports", kMemo));
  EXPECT_TRUE(profiles[0]->bUse && profiles[0]->bSet && !profiles[0]->bDefault);
  EXPECT_TRUE(profiles[1]->bUse && !profiles[1]->bSet && profiles[1]->bDefault);
}

TEST_F(ProfileAssignmentTest, NewDocumentGetsTheChosenProfileAndTheConfirmedValues) {
  auto document = backend_->CreateItem(server::ItemKind::kDocument);
  agent_->Plan("ProfileDlg", "dblclick Status; press OKButton");
  agent_->Plan("PropertyCmbDlg", "choose Final; press OKButton");
  ASSERT_TRUE(engine_.ChangeProfile("Reports", *document, true));

  ASSERT_EQ(forms_.size(), 2u);
  EXPECT_EQ(forms_[0]["topmost"], true);
  EXPECT_EQ(Control(forms_[0], "ComboProfile")["items"], json({"Memo", "Contract"}));
  EXPECT_EQ(Control(forms_[0], "ComboProfile")["text"], "Contract");  // the folder's default
  // The façade's values are preset: "Plan" for the Title row, "a,c" for Keywords.
  const json& rows = Control(forms_[0], "ListView1")["rows"];
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0]["subitems"], json({"No", "Jones"}));
  EXPECT_EQ(rows[1]["subitems"], json({"Yes", "Plan"}));
  EXPECT_EQ(rows[3]["subitems"], json({"No", "a,c"}));

  const server::Fields& fields = document->GetFields();
  EXPECT_EQ(document->ContentClass(), kContract);
  EXPECT_EQ(fields.Value(server::kPropTitle), Variant("Plan"));
  EXPECT_EQ(fields.Value(server::kPropAuthor), Variant("Jones"));
  EXPECT_EQ(fields.Value(kStatus), Variant("Final"));  // single-valued list: one string
  EXPECT_EQ(fields.Value(server::kPropKeywords), List({"a", "c"}));
  EXPECT_FALSE(fields.Contains(kClient));  // a Memo property, never confirmed
  // The values wait for the document's first save: nothing was sent.
  EXPECT_EQ(fields.pending().size(), 5u);
}

TEST_F(ProfileAssignmentTest, ExistingDocumentOpensOnItsValuesAndCancelWritesNothing) {
  backend_->AddItem(std::string(kFolder) + "/plan.doc",
                    {{server::kPropContentClass, Variant(kMemo)},
                     {server::kPropTitle, Variant("Old plan")},
                     {server::kPropKeywords, List({"a", "b"})},
                     {kClient, Variant("ACME")},
                     {server::kPropAuthor, Variant("Smith")}});
  auto document = backend_->CreateItem(server::ItemKind::kDocument);
  server::BindArgs args;
  args.url = std::string(kFolder) + "/plan.doc";
  document->Open(args);
  backend_->calls.clear();

  engine_.ErrorCode = 0;
  ASSERT_TRUE(engine_.ChangeProfile("Reports", *document, false));  // nothing planned: Cancel
  ASSERT_EQ(forms_.size(), 1u);
  EXPECT_EQ(Control(forms_[0], "ComboProfile")["text"], "Memo");  // the document's own
  const json& rows = Control(forms_[0], "ListView1")["rows"];
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["subitems"], json({"Yes", "Old plan"}));
  EXPECT_EQ(rows[1]["subitems"], json({"No", "a,b"}));
  EXPECT_EQ(rows[2]["subitems"], json({"No", "ACME"}));
  // The office fields are read whatever the document's profile lists.
  EXPECT_EQ(Record("Author")->Value, "Smith");
  EXPECT_EQ(Record("Status")->Value, "");
  EXPECT_TRUE(document->GetFields().pending().empty());
  EXPECT_EQ(document->ContentClass(), kMemo);

  // The calls of the load, with their exact arguments.
  const std::vector<std::string> opens = backend_->CallsStartingWith("Open ");
  EXPECT_EQ(opens, (std::vector<std::string>{
                       OpenCall("WorkspaceFolder http://docs/Sales", "open", true),
                       OpenCall("WorkspaceFolder http://docs/Sales/Reports", "none", true),
                       OpenCall("DocumentFolder http://docs/Sales/Reports", "none", false),
                       OpenCall("WorkspaceFolder http://docs/Sales/Schema", "none", false),
                       OpenCall("DocumentFolder http://docs/Sales/Reports", "open", false),
                       OpenCall("WorkspaceFolder http://docs/Sales/Schema", "none", false),
                   }));
}

TEST_F(ProfileAssignmentTest, FailuresEndBeforeTheDialogAndAnEmptySelectionWritesNothing) {
  auto document = backend_->CreateItem(server::ItemKind::kDocument);
  // The folder cannot be opened: no dialog, the mapped code.
  backend_->failures["Open DocumentFolder"] = server::kErrObjectNotFound;
  EXPECT_FALSE(engine_.ChangeProfile("Reports", *document, true));
  EXPECT_NE(engine_.ErrorCode, 0);
  EXPECT_TRUE(forms_.empty());
  backend_->failures.clear();

  // An existing document whose profile the schema does not know.
  document->SetContentClass("urn:content-classes:gone");
  document->GetFields().ClearPending();
  EXPECT_FALSE(engine_.ChangeProfile("Reports", *document, false));
  EXPECT_TRUE(forms_.empty());

  // A folder that offers nothing the workspace has: an empty dialog. OK on
  // it names no profile, so nothing is written; closed, it is a Cancel.
  auto fresh = backend_->CreateItem(server::ItemKind::kDocument);
  backend_->items[kFolder][server::kPropDocumentProfiles] = List({"urn:content-classes:stray"});
  agent_->Plan("ProfileDlg", "press OKButton");
  EXPECT_FALSE(engine_.ChangeProfile("Reports", *fresh, true));
  EXPECT_TRUE(fresh->GetFields().pending().empty());
  EXPECT_TRUE(engine_.ChangeProfile("Reports", *fresh, true));
  EXPECT_TRUE(engine_.profile_records().empty());
  EXPECT_EQ(Control(forms_.back(), "ComboProfile")["items"], json::array());
}

}  // namespace
}  // namespace orvex::engine
