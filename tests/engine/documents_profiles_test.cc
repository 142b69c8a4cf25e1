// Profiles, property definitions and the document listing against the
// recording fake: the values each operation passes, what it asks the server
// once, list growth, and every failure path.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "fakes/fake_engine_test.h"
#include "fakes/variant_list.h"
#include "server/error.h"
#include "server/names.h"
#include "server/schema.h"

namespace orvex::engine {
namespace {

using testing::List;
using testing::OpenCall;

constexpr char kWs[] = "http://docs/Sales";
constexpr char kSchema[] = "http://docs/Sales/Schema";
constexpr char kTitle[] = "urn:schemas-microsoft-com:office:office#Title";
constexpr char kKeywords[] = "urn:schemas-microsoft-com:office:office#Keywords";
constexpr char kDepartment[] = "urn:schemas-microsoft-com:office:office#Department";
constexpr char kTopics[] = "urn:schemas-microsoft-com:office:office#Topics";
constexpr char kDocument[] = "urn:content-classes:document";
constexpr char kMemo[] = "urn:content-classes:memo";

struct Listed {
  std::string name;
  bool read_only;
  int16_t status;
};

class DocumentsProfilesTest : public testing::FakeEngineTest {
 protected:
  DocumentsProfilesTest() {
    AddWorkspace("Sales", {{server::kPropContentClass, Variant(server::kClassWorkspace)}});
    backend_->AddItem(kSchema, {}, false);

    AddProperty(kTitle, "Title", {});
    AddProperty(kKeywords, "Keywords", {{server::kPropIsMultivalued, Variant(true)}});
    AddProperty(kDepartment, "Department",
                {{server::kPropIsRequired, Variant(true)},
                 {server::kPropExtendedType, Variant("List")},
                 {server::kPropDictionary, Variant("dict:Departments")},
                 {server::kPropIsRetrieved, Variant(true)}});
    AddProperty(kTopics, "Topics",
                {{server::kPropIsMultivalued, Variant(true)},
                 {server::kPropExtendedType, Variant("List")},
                 {server::kPropDictionary, Variant("dict:Topics")},
                 {server::kPropIsRetrieved, Variant(true)}});
    AddDictionary("dict:Departments", {"Sales", "Legal", "Finance"}, true);
    AddDictionary("dict:Topics", {"Pricing"}, false);
    AddProfile(kDocument, "Document", {kTitle, kKeywords});
    AddProfile(kMemo, "Memo", {kTitle, "DAV:getcontentlength", kDepartment, kTopics});
  }

  void AddProfile(const std::string& id, const std::string& title,
                  const std::vector<std::string>& properties, bool listed = true) {
    backend_->AddSchemaObject(kSchema, id,
                              {{server::kPropDisplayName, Variant(title)},
                               {server::kPropPropertyOrder, List(properties)}});
    if (listed) workspace_profiles_.push_back(id);
    backend_->items[kWs][server::kPropDocumentProfiles] = List(workspace_profiles_);
  }
  void AddProperty(const std::string& id, const std::string& title, server::FieldMap more) {
    more.insert_or_assign(server::kPropDisplayName, Variant(title));
    more.insert_or_assign(server::kPropDescription, Variant("About " + title));
    backend_->AddSchemaObject(kSchema, id, std::move(more));
  }
  void AddDictionary(const std::string& id, const std::vector<std::string>& values,
                     bool restricted) {
    backend_->AddSchemaObject(kSchema, id,
                              {{server::kPropDictionaryValues, List(values)},
                               {server::kPropIsRestricted, Variant(restricted)}});
  }
  // A folder inside Sales with the profiles it offers.
  void AddFolder(const std::string& path, const char* content_class,
                 const std::vector<std::string>& offered = {}, const std::string& fallback = "") {
    backend_->AddItem(std::string(kWs) + "/" + path,
                      {{server::kPropContentClass, Variant(content_class)},
                       {server::kColIsCollection, Variant(true)},
                       {server::kPropDocumentProfiles, List(offered)},
                       {server::kPropDefaultDocumentProfile, Variant(fallback)}});
  }
  // A document in `folder` ("" for the top of Sales), as a listing row.
  void AddDocument(const std::string& folder, const std::string& name, server::FieldMap props) {
    const std::string parent = folder.empty() ? kWs : std::string(kWs) + "/" + folder;
    props.insert_or_assign(server::kPropDisplayName, Variant(name));
    props.insert_or_assign(server::kPropParentName, Variant(parent));
    if (!props.count(server::kPropContentClass))
      props.insert_or_assign(server::kPropContentClass, kDocument);
    backend_->AddItem(parent + "/" + name, std::move(props));
  }

  std::vector<Listed> Documents() {
    std::vector<Listed> out;
    Listed row{};
    for (int16_t i = 0; engine_.GetFileData(i, row.name, row.read_only, row.status); ++i)
      out.push_back(row);
    return out;
  }

  // Values of document `index` as "title=data" ("title*=data" when multi-valued).
  std::vector<std::string> Values(int16_t index, std::string* profile = nullptr) {
    std::string title;
    int16_t n = engine_.GetFileContentInfo(index, title);
    if (profile != nullptr) *profile = title;
    std::vector<std::string> out;
    for (int16_t i = 0; i < n; ++i) {
      std::string property, data;
      bool multi = false;
      EXPECT_TRUE(engine_.GetFileContent(i, property, multi, data));
      out.push_back(property + (multi ? "*=" : "=") + data);
    }
    return out;
  }

  std::vector<std::string> workspace_profiles_;
};

// Seven profiles so the workspace list grows, one more the workspace does
// not list, and one whose title is empty; Reports offers five of them.
class ProfileListsTest : public DocumentsProfilesTest {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i)
      AddProfile("urn:content-classes:p" + std::to_string(i), "P" + std::to_string(i), {kTitle});
    AddProfile("urn:content-classes:untitled", "", {kTitle});
    AddProfile("urn:content-classes:elsewhere", "Elsewhere", {kTitle}, false);
    AddFolder("Reports", server::kClassSmartFolder,
              {"urn:content-classes:elsewhere", kMemo, "urn:content-classes:Memo",
               "urn:content-classes:untitled", kDocument},
              kMemo);
    OpenSales();
  }
};

TEST_F(ProfileListsTest, TheWorkspaceListGrowsAndFindsTitlesAndIdsExactly) {
  EXPECT_EQ(engine_.GetDocProfileInfo(), 7);
  EXPECT_EQ(engine_.workspace_profiles().upper_bound(), 10);
  EXPECT_EQ(backend_->calls[0], OpenCall("WorkspaceFolder http://docs/Sales", "open", false));
  EXPECT_EQ(backend_->calls[1], "DocumentProfiles http://docs/Sales");
  EXPECT_EQ(backend_->calls[2],
            "ContentClassDefinition http://docs/Sales/Schema/" + std::string(kDocument));
  std::string title = "unchanged";
  ASSERT_TRUE(engine_.GetDocProfile(1, title));
  EXPECT_EQ(title, "Memo");
  EXPECT_FALSE(engine_.GetDocProfile(7, title));
  EXPECT_FALSE(engine_.GetDocProfile(-1, title));
  EXPECT_EQ(title, "Memo");
  EXPECT_EQ(engine_.FindProfileTitle(kMemo), "Memo");
  EXPECT_EQ(engine_.FindProfileTitle("urn:content-classes:MEMO"), "");  // ids compare exactly
  EXPECT_EQ(engine_.FindProfileID("Memo"), kMemo);
  EXPECT_EQ(engine_.FindProfileID("memo"), "");
  EXPECT_EQ(engine_.FindProfileID(""), "");
}

// The folder list keeps the folder's order and only profiles the workspace
// lists with a title; it refreshes the workspace list first.
TEST_F(ProfileListsTest, TheFolderListKeepsItsOrderAndOnlyTitledWorkspaceProfiles) {
  EXPECT_EQ(engine_.GetProfileInfo("Reports"), 2);
  EXPECT_EQ(Count("DocumentProfiles http://docs/Sales/Reports"), 1u);
  EXPECT_EQ(Count("ContentClassDefinition"), 7u);
  EXPECT_EQ(backend_->CallsStartingWith("Open DocumentFolder"),
            (std::vector<std::string>{
                OpenCall("DocumentFolder http://docs/Sales/Reports", "none", true)}));
  std::string profile;
  ASSERT_TRUE(engine_.GetProfile(0, profile));
  EXPECT_EQ(profile, "Memo");
  ASSERT_TRUE(engine_.GetProfile(1, profile));
  EXPECT_EQ(profile, "Document");
  EXPECT_FALSE(engine_.GetProfile(2, profile));
  EXPECT_EQ(engine_.GetDefaultProfile("Reports"), kMemo);
  EXPECT_EQ(engine_.GetDefaultProfile(""), "");  // the workspace names none here
}

// Code 5, nothing asked; the lists stay as they were.
TEST_F(ProfileListsTest, BadPathsAreRefusedBeforeAnythingIsAsked) {
  ASSERT_EQ(engine_.GetProfileInfo("Reports"), 2);
  backend_->calls.clear();
  for (const char* bad : {"Re:ports", "a\\b", "a|b", "a*b", "a?b", "a\"b", "a<b", "a>b"}) {
    engine_.ErrorCode = 0;
    EXPECT_EQ(Refused(engine_.GetProfileInfo(bad)), kCodeBadName) << bad;
    engine_.ErrorCode = 0;
    EXPECT_EQ(engine_.GetDefaultProfile(bad), "") << bad;
    EXPECT_EQ(engine_.ErrorCode, kCodeBadName);
  }
  EXPECT_TRUE(backend_->calls.empty());
  EXPECT_EQ(engine_.folder_profiles().count(), 2);
}

// A missing folder, a profile that cannot be looked up (the rows read
// before it stay), a profile list that is not a list.
TEST_F(ProfileListsTest, ServerFailuresAreMapped) {
  EXPECT_EQ(Refused(engine_.GetProfileInfo("Missing")), kCodeNotFound);
  EXPECT_EQ(engine_.GetDefaultProfile("Missing"), "");
  EXPECT_EQ(engine_.ErrorCode, kCodeNotFound);
  backend_->failures["ContentClassDefinition http://docs/Sales/Schema/urn:content-classes:p1"] =
      server::kErrPermissionDenied;
  EXPECT_EQ(Refused(engine_.GetDocProfileInfo()), kCodePermissionDenied);
  EXPECT_EQ(engine_.workspace_profiles().count(), 3);
  backend_->items[kWs][server::kPropDocumentProfiles] = Variant(kMemo);
  EXPECT_EQ(Refused(engine_.GetDocProfileInfo()), kCodeFailure);
}

TEST_F(DocumentsProfilesTest, PropertyDefinitionsWithDictionariesAndListKinds) {
  AddDictionary("dict:Empty", {}, true);
  AddProperty("urn:schemas-microsoft-com:office:office#Unused", "Unused",
              {{server::kPropDictionary, Variant("dict:Empty")},
               {server::kPropIsRetrieved, Variant(false)},
               {server::kPropIsMultivalued, Variant(true)}});
  AddProperty("URN:SCHEMAS-MICROSOFT-COM:office:office#Empty", "Empty",
              {{server::kPropDictionary, Variant("dict:Empty")},
               {server::kPropIsRetrieved, Variant(true)}});
  AddProfile(
      "urn:content-classes:wide", "Wide",
      {kDepartment, "DAV:displayname", kTopics, "urn:schemas-microsoft-com:office:office#Unused",
       "URN:SCHEMAS-MICROSOFT-COM:office:office#Empty", kTitle, kKeywords});
  OpenSales();

  EXPECT_EQ(engine_.GetPropertyInfo("Wide"), -1);  // the workspace list is not read yet
  EXPECT_EQ(engine_.ErrorCode, kCodeProfileNotFound);
  EXPECT_TRUE(backend_->calls.empty());
  ASSERT_EQ(engine_.GetDocProfileInfo(), 3);
  EXPECT_EQ(Refused(engine_.GetPropertyInfo("")), kCodeProfileNotFound);

  backend_->calls.clear();
  ASSERT_EQ(engine_.GetPropertyInfo("Wide"), 6);
  EXPECT_EQ(backend_->calls[0], OpenCall("WorkspaceFolder http://docs/Sales/Schema", "none", true));
  EXPECT_EQ(Count("DictionaryObject"), 3u);  // not for the property that is not retrieved

  // Each row as "title|description|required|type|list|kind". Kind 3: single
  // valued and restricted, 2: multi-valued or open, 4: no dictionary; a
  // dictionary that is not retrieved is none.
  struct Row {
    std::string title, description;
    bool require;
    std::string type, list;
    int16_t kind;
  };
  auto row = [&](int16_t i) {
    Row r{};
    int16_t index = i;
    EXPECT_TRUE(
        engine_.GetProperty(index, r.title, r.description, r.require, r.type, r.list, r.kind));
    EXPECT_EQ(index, i);
    return r.title + "|" + r.description + "|" + (r.require ? "req" : "") + "|" + r.type + "|" +
           r.list + "|" + std::to_string(r.kind);
  };
  std::vector<std::string> rows;
  for (int16_t i = 0; i < 6; ++i) rows.push_back(row(i));
  EXPECT_EQ(rows,
            (std::vector<std::string>{"Department|About Department|req|List|Sales,Legal,Finance|3",
                                      "Topics|About Topics||List|Pricing|2",
                                      "Unused|About Unused||||2", "Empty|About Empty||||3",
                                      "Title|About Title||||4", "Keywords|About Keywords||||2"}));

  // Past the rows, nothing is answered and nothing written.
  Row untouched{"t", "d", true, "x", "l", 9};
  auto past = [&](int16_t index) {
    return engine_.GetProperty(index, untouched.title, untouched.description, untouched.require,
                               untouched.type, untouched.list, untouched.kind);
  };
  EXPECT_FALSE(past(6));
  EXPECT_FALSE(past(-1));
  EXPECT_EQ(untouched.title, "t");
  EXPECT_EQ(untouched.kind, 9);

  // A second listing replaces the rows of the first.
  ASSERT_EQ(engine_.GetPropertyInfo("Document"), 2);
  EXPECT_EQ(row(0), "Title|About Title||||4");
  EXPECT_FALSE(past(2));
}

TEST_F(DocumentsProfilesTest, PropertyListsGrowAndTolerateLateFailuresOnly) {
  std::vector<std::string> twelve;
  for (int i = 0; i < 12; ++i) {
    const std::string id = "urn:schemas-microsoft-com:x#P" + std::to_string(i);
    AddProperty(id, "P" + std::to_string(i), {});
    twelve.push_back(id);
  }
  AddProfile("urn:content-classes:twelve", "Twelve", twelve);
  OpenSales();
  ASSERT_EQ(engine_.GetDocProfileInfo(), 3);
  ASSERT_EQ(engine_.GetPropertyInfo("Twelve"), 12);
  EXPECT_EQ(engine_.property_list().upper_bound(), 20);

  // Before any dictionary a failure ends the listing with its code.
  backend_->failures["PropertyDefinition http://docs/Sales/Schema/" + std::string(kTitle)] =
      server::kErrAccessDenied;
  EXPECT_EQ(Refused(engine_.GetPropertyInfo("Memo")), kCodeAccessDenied);
  backend_->failures["ContentClassDefinition"] = server::kErrObjectNotFound;
  EXPECT_EQ(Refused(engine_.GetPropertyInfo("Memo")), kCodeNotFound);

  // After the first dictionary, failures only leave fields unset: the Topics
  // definition cannot be read, yet its row is counted, empty.
  engine_.ErrorCode = 0;
  backend_->failures["PropertyDefinition http://docs/Sales/Schema/" + std::string(kTopics)] =
      server::kErrAccessDenied;
  ASSERT_EQ(engine_.GetPropertyInfo("Memo"), 3);
  EXPECT_EQ(engine_.ErrorCode, 0);
  std::string title, description, type, list;
  bool require = true;
  int16_t kind = 0, index = 2;
  ASSERT_TRUE(engine_.GetProperty(index, title, description, require, type, list, kind));
  EXPECT_EQ(title, "");
  EXPECT_FALSE(require);
  EXPECT_EQ(kind, 4);

  // A failing dictionary read leaves the list empty and the flag unset.
  backend_->items[std::string(kSchema) + "/dict:Departments"][server::kPropDictionaryValues] =
      Variant("not a list");
  backend_->items[std::string(kSchema) + "/dict:Departments"][server::kPropIsRestricted] =
      Variant(VariantArray{});
  ASSERT_EQ(engine_.GetPropertyInfo("Memo"), 3);
  ASSERT_TRUE(engine_.GetProperty(index = 1, title, description, require, type, list, kind));
  EXPECT_EQ(title, "Department");
  EXPECT_EQ(list, "");
  EXPECT_EQ(kind, 4);
}

TEST_F(DocumentsProfilesTest, ListsAnEnhancedFolderWithStatusAndValuesAskingOnce) {
  AddFolder("Reports", server::kClassSmartFolder, {kDocument, kMemo}, kDocument);
  auto doc = [](const char* state, const char* holder, bool out) {
    return server::FieldMap{{server::kPropDocumentState, Variant(state)},
                            {server::kPropCheckedOutBy, Variant(holder)},
                            {server::kPropIsCheckedOut, Variant(out)}};
  };
  AddDocument("Reports", "none.txt", doc("", "", false));
  AddDocument("Reports", "in.txt", doc("createdcheckedin", "", false));
  AddDocument("Reports", "theirs.txt", doc("createdcheckedout", "CORP\\smith", true));
  AddDocument("Reports", "approved.txt", doc("approved", "", false));
  AddDocument("Reports", "created.txt", doc("created", "", false));
  AddDocument("Reports", "mine.txt", doc("createdcheckedout", "corp\\JONES", true));
  AddDocument("Reports", "new.txt", doc("created", "CORP\\jones", true));
  AddDocument("Reports", "hidden.txt", {{server::kColIsHidden, Variant(true)}});
  auto memo = doc("approved", "", false);
  memo[server::kPropContentClass] = Variant(kMemo);
  memo[server::kPropIsReadOnly] = Variant(true);
  memo[kTitle] = Variant("Plan");
  memo[kDepartment] = Variant("Legal");
  memo[kTopics] = List({"Pricing", "Forecast", "Contracts"});
  AddDocument("Reports", "memo.txt", memo);
  auto keywords = doc("approved", "", false);
  keywords[kKeywords] = List({"one"});
  keywords[kTitle] = Variant(true);  // not text: read as it reads
  AddDocument("Reports", "keywords.txt", keywords);
  backend_->AddItem("http://docs/Sales/Reports/2001", {{server::kColIsCollection, Variant(true)}});
  OpenSales();
  ASSERT_EQ(engine_.GetDocProfileInfo(), 2);
  backend_->calls.clear();

  ASSERT_EQ(engine_.GetFileInfo("Reports"), 9);
  std::vector<std::pair<std::string, int16_t>> statuses;
  for (const Listed& l : Documents()) statuses.emplace_back(l.name, l.status);
  EXPECT_EQ(statuses, (std::vector<std::pair<std::string, int16_t>>{{"none.txt", 0},
                                                                    {"in.txt", 1},
                                                                    {"theirs.txt", 2},
                                                                    {"approved.txt", 3},
                                                                    {"created.txt", 4},
                                                                    {"mine.txt", 5},
                                                                    {"new.txt", 5},
                                                                    {"memo.txt", 3},
                                                                    {"keywords.txt", 3}}));
  EXPECT_TRUE(Documents()[7].read_only);
  EXPECT_FALSE(Documents()[0].read_only);

  // One listing, one schema open, each definition once, no document opened.
  EXPECT_EQ(backend_->calls,
            (std::vector<std::string>{
                "Create DocumentFolder",
                OpenCall("DocumentFolder http://docs/Sales/Reports", "none", true),
                "ListItems http://docs/Sales/Reports",
                OpenCall("WorkspaceFolder http://docs/Sales", "none", true),
                "ContentClassDefinition http://docs/Sales/Schema/urn:content-classes:document",
                "PropertyDefinition http://docs/Sales/Schema/" + std::string(kTitle),
                "PropertyDefinition http://docs/Sales/Schema/" + std::string(kKeywords),
                "ContentClassDefinition http://docs/Sales/Schema/urn:content-classes:memo",
                "PropertyDefinition http://docs/Sales/Schema/" + std::string(kDepartment),
                "PropertyDefinition http://docs/Sales/Schema/" + std::string(kTopics),
            }));

  std::string profile;
  EXPECT_EQ(Values(7, &profile), (std::vector<std::string>{"Title=Plan", "Department=Legal",
                                                           "Topics*=Pricing,Forecast,Contracts"}));
  EXPECT_EQ(profile, "Memo");
  EXPECT_EQ(Values(8), (std::vector<std::string>{"Title=True", "Keywords*=one"}));
  EXPECT_EQ(Values(0, &profile), (std::vector<std::string>{"Title=", "Keywords*="}));
  EXPECT_EQ(profile, "Document");
  // Rows past the selected document's count read the next document's.
  std::string property, data;
  bool multi = false;
  ASSERT_TRUE(engine_.GetFileContent(2, property, multi, data));
  EXPECT_EQ(property, "Title");
  EXPECT_FALSE(engine_.GetFileContent(-1, property, multi, data));
  EXPECT_EQ(Refused(engine_.GetFileContentInfo(9, profile)), kCodeFailure);
  EXPECT_EQ(engine_.GetFileContentInfo(-1, profile), -1);
  Listed untouched{"x", true, 7};
  EXPECT_FALSE(engine_.GetFileData(9, untouched.name, untouched.read_only, untouched.status));
  EXPECT_EQ(untouched.status, 7);
}

TEST_F(DocumentsProfilesTest, TheWorkspaceTopStandardFoldersAndGrowthOfBothLists) {
  AddFolder("Archive", server::kClassKnowledgeFolder);
  for (int i = 0; i < 12; ++i)
    AddDocument("Archive", "d" + std::to_string(i) + ".txt",
                {{server::kPropDocumentState, Variant("approved")}, {kTitle, Variant("T")}});
  AddDocument("", "readme.txt", {});
  AddDocument("", "portal.txt", {{server::kPropIsHiddenInPortal, Variant(true)}});
  AddDocument("", "hidden.txt", {{server::kColIsHidden, Variant(true)}});
  AddDocument("", "odd.txt", {{server::kPropIsHiddenInPortal, Variant(Null{})}});
  OpenSales();

  // Before any content selection, rows are read from the first value row.
  ASSERT_EQ(engine_.GetFileInfo("Archive"), 12);
  EXPECT_EQ(engine_.document_list().upper_bound(), 20);
  EXPECT_EQ(engine_.value_rows().size(), 31u);
  std::string property, data;
  bool multi = true;
  ASSERT_TRUE(engine_.GetFileContent(0, property, multi, data));
  EXPECT_EQ(property + "=" + data, "Title=T");
  EXPECT_FALSE(multi);
  ASSERT_TRUE(engine_.GetFileContent(30, property, multi, data));  // room, never filled
  EXPECT_EQ(property, "");
  EXPECT_FALSE(engine_.GetFileContent(31, property, multi, data));
  for (const Listed& l : Documents()) EXPECT_EQ(l.status, 0) << l.name;  // standard folder
  EXPECT_EQ(Count("Open Document "), 0u);

  ASSERT_EQ(engine_.GetFileInfo(""), 2);
  EXPECT_EQ(Documents()[0].name, "readme.txt");
  EXPECT_EQ(Documents()[1].name, "odd.txt");
  EXPECT_EQ(engine_.value_rows().size(), 11u);
  // The profile title comes from the workspace list read last: none yet.
  std::string profile = "x";
  EXPECT_EQ(engine_.GetFileContentInfo(0, profile), 2);
  EXPECT_EQ(profile, "");
}

TEST_F(DocumentsProfilesTest, ListingFailuresAndDocumentsWhoseValuesCannotBeRead) {
  AddFolder("Reports", server::kClassSmartFolder);
  AddDocument("Reports", "a.txt",
              {{server::kPropContentClass, Variant("urn:content-classes:gone")}});
  AddDocument("Reports", "b.txt", {{kTitle, Variant("B")}});
  AddDocument("Reports", "c.txt",
              {{server::kPropContentClass, Variant("urn:content-classes:gone")}});
  OpenSales();

  // A document whose profile cannot be looked up has -1 values and adds no
  // value rows; the profile is asked for once.
  ASSERT_EQ(engine_.GetFileInfo("Reports"), 3);
  EXPECT_EQ(Count("ContentClassDefinition http://docs/Sales/Schema/urn:content-classes:gone"), 1u);
  std::string profile;
  EXPECT_EQ(engine_.GetFileContentInfo(0, profile), -1);
  EXPECT_EQ(Values(1), (std::vector<std::string>{"Title=B", "Keywords*="}));
  EXPECT_EQ(engine_.document_list().Get(1)->first_value, 0);
  EXPECT_EQ(engine_.document_list().Get(2)->first_value, 2);
  EXPECT_EQ(engine_.ErrorCode, kCodeNotFound);  // the last document's failure

  for (auto [key, number, code] : std::vector<std::tuple<std::string, int32_t, int32_t>>{
           {"Open DocumentFolder", server::kErrObjectNotFound, kCodeNotFound},
           {"ListItems", server::kErrPermissionDenied, kCodePermissionDenied},
           {"Open DocumentFolder", server::kErrGenericFailure, kCodeFailure}}) {
    backend_->failures[key] = number;
    EXPECT_EQ(Refused(engine_.GetFileInfo("Reports")), code) << key;
  }
  // A flag of the wrong type is a clear failure, not a crash.
  AddDocument("Reports", "d.txt", {{server::kPropIsReadOnly, Variant(List({"1"}))}});
  EXPECT_EQ(Refused(engine_.GetFileInfo("Reports")), kCodeFailure);
}

TEST_F(DocumentsProfilesTest, FileStatusOfOneDocument) {
  AddFolder("Reports", server::kClassSmartFolder);
  AddDocument("Reports", "mine.txt",
              {{server::kPropIsCheckedOut, Variant(true)},
               {server::kPropCheckedOutBy, Variant("CORP\\jones")}});
  AddDocument("Reports", "a:b.txt", {});
  // A row whose display name is not its name: the status check opens the
  // document the name would address.
  backend_->AddItem("http://docs/Sales/Reports/renamed.txt",
                    {{server::kPropDisplayName, Variant("Shown.txt")}});
  backend_->AddItem("http://docs/Sales/Reports/Shown.txt",
                    {{server::kPropDocumentState, Variant("createdcheckedin")}}, false);
  OpenSales();

  engine_.ErrorCode = 42;
  EXPECT_EQ(engine_.IsFileStatus("Reports", "MINE.TXT"), -1);  // found, but another URL
  EXPECT_EQ(engine_.ErrorCode, kCodeNotFound);
  backend_->calls.clear();
  EXPECT_EQ(engine_.IsFileStatus("Reports", "mine.txt"), 5);
  EXPECT_EQ(engine_.ErrorCode, 0);
  EXPECT_EQ(backend_->calls, (std::vector<std::string>{
                                 "Create DocumentFolder",
                                 OpenCall("DocumentFolder http://docs/Sales/Reports", "none", true),
                                 "ListItems http://docs/Sales/Reports"}));
  backend_->calls.clear();
  EXPECT_EQ(engine_.IsFileStatus("http://docs/Sales/Reports", "Shown.txt"), 1);
  EXPECT_EQ(backend_->calls.back(),
            OpenCall("Document http://docs/Sales/Reports/Shown.txt", "open", false, 16));

  engine_.ErrorCode = 42;
  EXPECT_EQ(Refused(engine_.IsFileStatus("Reports", "nothing.txt")), 0);
  EXPECT_EQ(engine_.IsFileStatus("Reports", "x:y.txt"), -1);  // invalid, and not there
  EXPECT_EQ(engine_.ErrorCode, 0);
  EXPECT_EQ(engine_.IsFileStatus("Reports", "a:b.txt"), -1);  // invalid, and there
  EXPECT_EQ(engine_.ErrorCode, kCodeBadName);
  EXPECT_EQ(Refused(engine_.IsFileStatus("Missing", "mine.txt")), kCodeNotFound);
  backend_->failures["Open Document"] = server::kErrAccessDenied;
  EXPECT_EQ(Refused(engine_.IsFileStatus("Reports", "Shown.txt")), kCodeAccessDenied);
}

TEST_F(DocumentsProfilesTest, UserNamesCompareWithAndWithoutDomains) {
  struct Case {
    const char* login;
    const char* holder;
    bool same;
  } cases[] = {
      {"jones", "CORP\\jones", true},
      {"jones", "OTHER\\JONES", true},
      {"jones", "jones", true},
      {"jones", "CORP\\smith", false},
      {"jones", "", false},
      {"jones", "A\\B\\jones", false},
      {"CORP\\jones", "corp\\Jones", true},
      {"CORP\\jones", "jones", false},
      {"CORP\\jones", "EAST\\jones", false},
      {"", "", false},
      {"", "CORP\\", true},
  };
  for (const Case& c : cases) {
    engine_.LoginUser = c.login;
    EXPECT_EQ(engine_.CompareUserName(c.holder), c.same) << c.login << " / " << c.holder;
  }
}

}  // namespace
}  // namespace orvex::engine
