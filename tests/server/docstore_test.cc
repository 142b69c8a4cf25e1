// The provider against the project's reference server, over real HTTP on an
// ephemeral loopback port, with the built-in sample store.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "docstore/server.h"
#include "platform/host_map.h"
#include "server/backend.h"
#include "server/connection.h"
#include "server/error.h"
#include "server/names.h"
#include "server/schema.h"

namespace orvex::server {
namespace {

class DocstoreTest : public ::testing::Test {
 protected:
  DocstoreTest() : store_(docstore::ServerOptions{}) {
    store_.Start();
    for (const std::string& host : store_.host_names())
      platform::MapHost(host, {store_.address(), store_.port()});
  }
  ~DocstoreTest() override {
    for (const std::string& host : store_.host_names()) platform::UnmapHost(host);
  }

  std::unique_ptr<Connection> Open(const std::string& url, const std::string& user = "CORP\\jones",
                                   const std::string& password = "secret") {
    auto c = std::make_unique<Connection>(backend_);
    c->SetProvider("MSDAIPP.DSO");
    c->SetProperty("Url Encoding", int16_t{1});
    c->Open(url, user, password, -1);
    return c;
  }

  std::unique_ptr<Item> OpenItem(ItemKind kind, const std::string& url) {
    auto item = backend_->CreateItem(kind);
    BindArgs a;
    a.url = url;
    item->Open(a);
    return item;
  }

  static std::map<std::string, std::string> Classes(Recordset rows) {
    std::map<std::string, std::string> out;
    for (; !rows.Eof(); rows.MoveNext())
      out[rows.Current().Value(kColDisplayName).ToString()] =
          rows.Current().Value(kColContentClass).ToString();
    return out;
  }

  template <typename F>
  static int32_t ErrorOf(F&& call) {
    try {
      call();
    } catch (const Error& e) {
      return e.number();
    }
    return 0;
  }

  docstore::Server store_;
  std::shared_ptr<Backend> backend_ = WebDavBackend();
};

TEST_F(DocstoreTest, OpensWithGoodCredentialsOnly) {
  EXPECT_EQ(Open("http://docs/Public/Workspaces")->State(), kStateOpen);
  EXPECT_EQ(ErrorOf([&] { Open("http://docs/Public/Workspaces", "CORP\\jones", "wrong"); }),
            kErrAccessDenied);
  EXPECT_EQ(ErrorOf([&] { Open("http://docs/Public/Workspaces", "", ""); }), kErrAccessDenied);
  EXPECT_EQ(ErrorOf([&] { Open("http://docs/No Such Workspace"); }), kErrObjectNotFound);
}

TEST_F(DocstoreTest, ListsWorkspacesAndReadsWorkspaceSettings) {
  auto c = Open("http://docs/Public/Workspaces");
  auto root = backend_->CreateItem(ItemKind::kWorkspaceRoot);
  BindArgs a;
  a.url = "http://docs/Public/Workspaces";
  a.active_connection = c.get();
  root->Open(a);
  Recordset rows = root->ListWorkspaces();
  std::vector<std::string> names;
  for (; !rows.Eof(); rows.MoveNext()) {
    const Fields& f = rows.Current();
    names.push_back(f.Value(kColParseName).ToString());
    EXPECT_EQ(f.Value(kColAbsoluteParseName).ToString(), "http://docs/" + names.back());
    EXPECT_EQ(f.Value(kPropContentClass), Variant(kClassWorkspace));
    EXPECT_FALSE(f.Value(kPropDescription).IsNull());
  }
  // Every workspace, whatever the user's role in it.
  EXPECT_EQ(names, (std::vector<std::string>{"Sales", "Legal", "Board"}));

  auto sales = OpenItem(ItemKind::kWorkspaceFolder, "http://docs/Sales");
  EXPECT_EQ(sales->GetFields().Value(kPropCategoriesFolder), Variant("Categories"));
  EXPECT_EQ(sales->GetFields().Value(kPropSchemaCollectionRef),
            Variant("http://docs/Sales/Schema"));
  // A workspace the user has no role in.
  EXPECT_EQ(ErrorOf([&] { OpenItem(ItemKind::kWorkspaceFolder, "http://docs/Board"); }),
            kErrPermissionDenied);
}

TEST_F(DocstoreTest, ListsFoldersAndCategories) {
  auto c = Open("http://docs/Sales");
  auto sales = OpenItem(ItemKind::kWorkspaceFolder, "http://docs/Sales");
  std::map<std::string, std::string> top = Classes(sales->ListSubfolders());
  EXPECT_EQ(top.at("Reports"), kClassSmartFolder);

  auto reports = OpenItem(ItemKind::kWorkspaceFolder, "http://docs/Sales/Reports");
  Recordset rows = reports->ListSubfolders();
  bool saw_2001 = false;
  for (; !rows.Eof(); rows.MoveNext()) {
    const Fields& f = rows.Current();
    if (f.Value(kColParseName).ToString() != "2001") continue;
    saw_2001 = true;
    EXPECT_EQ(f.Value(kColContentClass), Variant(kClassSmartFolder));
    EXPECT_EQ(f.Value(kPropHref), Variant("http://docs/Sales/Reports/2001/"));
    EXPECT_EQ(f.Value(kColIsCollection), Variant(true));
    EXPECT_EQ(f.Value(kPropHasSubs).type(), VariantType::kBool);
  }
  EXPECT_TRUE(saw_2001);

  auto categories = OpenItem(ItemKind::kCategoryFolder, "http://docs/Sales/Categories");
  std::map<std::string, std::string> cats = Classes(categories->ListSubfolders());
  EXPECT_EQ(cats.at("Europe"), kClassCategoryFolder);
  EXPECT_EQ(cats.at("Asia"), kClassCategoryFolder);
}

TEST_F(DocstoreTest, CreatesRenamesAndDeletesFolders) {
  auto c = Open("http://docs/Sales");
  auto created = backend_->CreateItem(ItemKind::kDocumentFolder);
  created->SetContentClass(kClassKnowledgeFolder);
  BindArgs a;
  a.url = "http://docs/Sales/Plans 2001 \xC3\xBC";
  a.create_option = 0;
  a.user = "CORP\\jones";
  a.password = "secret";
  created->SaveTo(a);

  auto opened = OpenItem(ItemKind::kDocumentFolder, a.url);
  EXPECT_EQ(opened->ContentClass(), kClassKnowledgeFolder);
  EXPECT_EQ(opened->GetFields().Value(kColParseName), Variant("Plans 2001 \xC3\xBC"));

  auto again = backend_->CreateItem(ItemKind::kDocumentFolder);
  again->SetContentClass(kClassSmartFolder);
  EXPECT_EQ(ErrorOf([&] { again->SaveTo(a); }), kErrAlreadyExists);
  BindArgs orphan = a;
  orphan.url = "http://docs/Sales/Missing/Child";
  EXPECT_EQ(ErrorOf([&] { again->SaveTo(orphan); }), kErrObjectNotFound);

  EXPECT_EQ(ErrorOf([&] { opened->MoveTo("http://docs/Sales/Reports"); }), kErrAlreadyExists);
  opened->MoveTo("http://docs/Sales/Plans #2");
  auto sales = OpenItem(ItemKind::kWorkspaceFolder, "http://docs/Sales");
  std::map<std::string, std::string> names = Classes(sales->ListSubfolders());
  EXPECT_TRUE(names.contains("Plans #2"));
  EXPECT_FALSE(names.contains("Plans 2001 \xC3\xBC"));

  opened->Delete("");
  EXPECT_EQ(ErrorOf([&] { OpenItem(ItemKind::kDocumentFolder, "http://docs/Sales/Plans #2"); }),
            kErrObjectNotFound);
}

TEST_F(DocstoreTest, WritesPropertiesAndReadsThemBackTyped) {
  auto c = Open("http://docs/Sales");
  auto folder = backend_->CreateItem(ItemKind::kCategoryFolder);
  folder->SetContentClass(kClassCategoryFolder);
  folder->GetFields().SetValue(kPropDescription, "Nordic markets");
  BindArgs a;
  a.url = "http://docs/Sales/Categories/Nordic";
  a.create_option = 0;
  folder->SaveTo(a);
  folder->GetFields().SetValue(kPropKeywords, VariantArray{"north", "cold"});
  folder->GetFields().Update();

  auto again = OpenItem(ItemKind::kCategoryFolder, a.url);
  const Fields& f = again->GetFields();
  EXPECT_EQ(f.Value(kColContentClass), Variant(kClassCategoryFolder));
  EXPECT_EQ(f.Value(kPropDescription), Variant("Nordic markets"));
  EXPECT_EQ(f.Value(kPropKeywords), Variant(VariantArray{"north", "cold"}));
  EXPECT_EQ(f.Value(kPropIsReadOnly), Variant(false));
}

TEST_F(DocstoreTest, ListsDocumentsAndReadsProfilesAndTheSchema) {
  auto c = Open("http://docs/Sales");
  auto reports = OpenItem(ItemKind::kDocumentFolder, "http://docs/Sales//Reports/");
  std::vector<std::string> names;
  for (Recordset rows = reports->ListItems(); !rows.Eof(); rows.MoveNext())
    names.push_back(rows.Current().Value(kColParseName).ToString());
  EXPECT_EQ(names, (std::vector<std::string>{"forecast.txt", "q1.txt", "pricing.txt"}));
  EXPECT_EQ(reports->DocumentProfiles(),
            (std::vector<std::string>{"urn:content-classes:document", "urn:content-classes:memo"}));
  EXPECT_EQ(reports->DefaultDocumentProfile(), "urn:content-classes:document");

  auto workspace = OpenItem(ItemKind::kWorkspaceFolder, "http://docs/Sales/Reports/2001");
  EXPECT_EQ(workspace->DocumentProfiles(),
            (std::vector<std::string>{"urn:content-classes:document", "urn:content-classes:memo"}));
  auto memo = workspace->ContentClassDefinition("urn:content-classes:memo");
  EXPECT_EQ(memo->Title(), "Memo");
  EXPECT_EQ(StringList(memo->GetFields().Value(kPropPropertyOrder), "order").size(), 7u);
  auto topics = memo->PropertyDefinition("urn:schemas-microsoft-com:office:office#Topics");
  EXPECT_EQ(topics->Title(), "Topics");
  EXPECT_TRUE(topics->IsMultivalued());
  EXPECT_FALSE(topics->IsRequired());
  EXPECT_TRUE(FlagOf(topics->GetFields().Value(kPropIsRetrieved)));
  EXPECT_EQ(topics->GetFields().Value(kFieldPropertyReadOnly), Variant(false));
  auto dictionary =
      workspace->DictionaryObject(topics->GetFields().Value(kPropDictionary).ToString());
  EXPECT_EQ(dictionary->Values(), (std::vector<std::string>{"Pricing", "Contracts", "Forecast"}));
  EXPECT_FALSE(dictionary->IsRestricted());
  EXPECT_EQ(ErrorOf([&] { workspace->ContentClassDefinition("urn:content-classes:none"); }),
            kErrObjectNotFound);
}

}  // namespace
}  // namespace orvex::server
