// The category selection dialog on the headless toolkit, driven through the
// automation object by a scripted person against the recording fake of the
// server: the tree read before the window opens, what OK writes, what
// Create and Delete send, and the boxes shown and codes left behind.
#include <gtest/gtest.h>

#include "automation/connect_orvex.h"
#include "dialogs/category_dlg_a.h"
#include "engine/error_codes.h"
#include "platform/language.h"
#include "server/error.h"
#include "server/names.h"
#include "ui/dialog_test_base.h"

namespace orvex::dialogs {
namespace {

using nlohmann::json;
using testing::Control;
using testing::OpenCall;

constexpr char kRoot[] = "http://docs/Public/Workspaces";
constexpr char kCategories[] = "http://docs/Sales/Categories";

class CategoryDialogTest : public testing::DialogTest {
 protected:
  CategoryDialogTest() {
    backend_->AddItem(kRoot, {}, false);
    backend_->AddItem("http://docs/Sales",
                      {{server::kPropCategoriesFolder, Variant("Categories")},
                       {server::kPropSchemaCollectionRef, Variant("http://docs/Sales/Schema")}},
                      false);
    backend_->AddItem(kCategories, {}, false);
  }

  // Europe > France > Paris, and Asia.
  void AddSampleTree() {
    AddCategory("", "Europe", true);
    AddCategory("Europe", "France", true);
    AddCategory("Europe/France", "Paris");
    AddCategory("", "Asia");
  }
  void AddCategory(const std::string& parent, const std::string& name, bool has_subs = false) {
    backend_->AddItem(std::string(kCategories) + (parent.empty() ? "" : "/" + parent) + "/" + name,
                      {{server::kColDisplayName, Variant(name)},
                       {server::kColContentClass, Variant(server::kClassCategoryFolder)},
                       {server::kPropHasSubs, Variant(has_subs)}});
  }

  bool Dialog() { return Call("CategoryDialogA").ToBool(); }
  const std::vector<std::string>& LastTree() { return agent_->last_tree[kCategoryDlgAName]; }
};

TEST_F(CategoryDialogTest, AnEmptyTreeShowsOnlyTheSelectedRootThatCannotBeChosen) {
  Open();
  agent_->Plan(kCategoryDlgAName, "click Sales/Categories; press OKButton; press DeleteButton");
  EXPECT_FALSE(Dialog());
  ASSERT_EQ(forms_.size(), 1u);
  const json& form = forms_[0];
  EXPECT_EQ(form["caption"], "Category Folder");
  EXPECT_EQ(form["topmost"], true);
  EXPECT_EQ(Nodes(form), std::vector<std::string>{"Sales/Categories rootcategory <>"});
  EXPECT_EQ(Control(form, "TreeView1")["selected"], "Sales/Categories");
  for (const char* name : {"OKButton", "CreateButton", "DeleteButton"})
    EXPECT_EQ(Control(form, name)["enabled"], false) << name;
  // Neither OK nor Delete could be pressed on the root.
  EXPECT_EQ(problems_.size(), 2u);
  EXPECT_EQ(backend_->CallsStartingWith("ListSubfolders"),
            std::vector<std::string>{"ListSubfolders http://docs/Sales/Categories"});
  EXPECT_EQ(obj_->Properties().SelectCategory, "");
  EXPECT_EQ(CategoryDlgA::Get().TreeView1().Count(), 0);
}

TEST_F(CategoryDialogTest, TheWholeTreeIsReadFirstAndOkWritesTheLevelsWithColons) {
  AddSampleTree();
  Open();
  agent_->Plan(kCategoryDlgAName, "click Europe/France; press OKButton");
  agent_->Plan(kCategoryDlgAName, "click Europe; press OKButton");
  ASSERT_TRUE(Dialog());
  EXPECT_EQ(obj_->Properties().SelectCategory, "Europe:France");
  // One listing for the categories folder and one per category with
  // subfolders, each opened with the engine's credentials.
  EXPECT_EQ(
      backend_->CallsStartingWith("Open WorkspaceFolder"),
      (std::vector<std::string>{
          OpenCall("WorkspaceFolder http://docs/Sales/Categories", "none", true),
          OpenCall("WorkspaceFolder http://docs/Sales/Categories/Europe", "none", true),
          OpenCall("WorkspaceFolder http://docs/Sales/Categories/Europe/France", "none", true),
      }));
  EXPECT_EQ(Nodes(forms_[0]), (std::vector<std::string>{
                                  "Sales/Categories rootcategory <> +",
                                  "Europe category <Sales/Categories>",
                                  "Asia category <Sales/Categories>",
                                  "Europe/France category <Europe>",
                                  "Europe/France/Paris category <Europe/France>",
                              }));
  ASSERT_TRUE(Dialog());
  EXPECT_EQ(obj_->Properties().SelectCategory, "Europe");
  EXPECT_TRUE(problems_.empty());
  EXPECT_EQ(LastError(), 0);
}

TEST_F(CategoryDialogTest, CreatingUnderTheRootAndUnderACategoryAndRefusingBadNames) {
  AddCategory("", "Europe", true);
  AddCategory("Europe", "France");
  Open();
  agent_->Plan(kCategoryDlgAName,
               "click Sales/Categories; press CreateButton; click Europe/France; "
               "press CreateButton; press CreateButton; click Europe/France/Paris; press OKButton");
  // Enter does nothing while the name is empty; a name with "/" is refused
  // with a box and the entry stays open.
  agent_->Plan(kCatFolderDlgAName,
               "key CategoryName enter; type CategoryName Asia/East; press OKButton; "
               "clear CategoryName; type CategoryName Asia; key CategoryName enter");
  agent_->Plan(kCatFolderDlgAName, "type CategoryName Paris; press OKButton");
  agent_->Plan(kCatFolderDlgAName, "type CategoryName Lyon; close");
  ASSERT_TRUE(Dialog());
  EXPECT_EQ(backend_->CallsStartingWith("SaveTo"),
            (std::vector<std::string>{
                "SaveTo CategoryFolder http://docs/Sales/Categories/Asia cnx=none mode=0 create=0 "
                "options=0 user=CORP\\jones password=secret "
                "DAV:contentclass=urn:content-classes:categoryfolder",
                "SaveTo CategoryFolder http://docs/Sales/Categories/Europe/France/Paris cnx=none "
                "mode=0 create=0 options=0 user=CORP\\jones password=secret "
                "DAV:contentclass=urn:content-classes:categoryfolder",
            }));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Category Folder Name: :*?<>\\|/\" is not acceptable for Category "
                         "Folder Name field. Please change and try again. (48 ok)"}));
  EXPECT_EQ(LastTree(), (std::vector<std::string>{
                            "Sales/Categories rootcategory <> +",
                            "Europe category <Sales/Categories> +",
                            "Europe/France category <Europe> +",
                            "Asia category <Sales/Categories>",
                            "Europe/France/Paris category <Europe/France>",
                        }));
  EXPECT_EQ(obj_->Properties().SelectCategory, "Europe:France:Paris");
  EXPECT_EQ(CategoryDlgA::Get().Treenodx()->Key(), "Europe/France/Paris");
  // The entry closed from its frame counts as Cancel.
  EXPECT_FALSE(CategoryDlgA::Get().OKFlag);
  EXPECT_EQ(CategoryDlgA::Get().CategoryText, "");
  EXPECT_TRUE(problems_.empty()) << problems_[0];
}

TEST_F(CategoryDialogTest, DeletingAsksWithNoAsDefaultAndSendsTheSlashPath) {
  AddSampleTree();
  Open();
  agent_->Plan(kCategoryDlgAName,
               "click Europe/France; answer no; press DeleteButton; answer yes; "
               "press DeleteButton; press OKButton; click Asia; press OKButton");
  ASSERT_TRUE(Dialog());
  EXPECT_EQ(backend_->CallsStartingWith("Delete"),
            std::vector<std::string>{"Delete http://docs/Sales/Categories/Europe/France (bound)"});
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "confirmation to Delete Category Folder: France is deleting. (292 no)",
                         "confirmation to Delete Category Folder: France is deleting. (292 yes)",
                     }));
  // The subtree went with it; nothing is selected afterwards, so OK waited.
  EXPECT_EQ(LastTree(), (std::vector<std::string>{"Sales/Categories rootcategory <> +",
                                                  "Europe category <Sales/Categories> +",
                                                  "Asia category <Sales/Categories>"}));
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_NE(problems_[0].find("OKButton"), std::string::npos);
  EXPECT_EQ(obj_->Properties().SelectCategory, "Asia");
}

TEST_F(CategoryDialogTest, RefusalsShowABoxResetTheCodeAndGoThroughTheDefaultConnection) {
  AddSampleTree();
  Open();
  backend_->failures["SaveTo CategoryFolder http://docs/Sales/Categories/Europe/Spain"] =
      server::kErrPermissionDenied;
  backend_->failures["Delete http://docs/Sales/Categories/Asia"] = server::kErrAccessDenied;
  agent_->Plan(kCategoryDlgAName,
               "click Europe; press CreateButton; click Asia; answer yes; press DeleteButton; "
               "press CancelButton");
  agent_->Plan(kCatFolderDlgAName, "type CategoryName Spain; press OKButton");
  EXPECT_FALSE(Dialog());
  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{
                "Create Category folder: The creating of Spain is failed. (16 ok)",
                "confirmation to Delete Category Folder: Asia is deleting. (292 yes)",
                "confirmation to Delete Category Folder: It is failure to delete Asia (16 ok)",
            }));
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(LastTree().size(), 5u);

  // The dialog on handle 0 while the default connection has no workspace:
  // the plain CreateCategory fails its workspace check there.
  Open("");
  ASSERT_EQ(obj_->ConnectOpenEx("docs", "jones", "CORP", "secret"), 0);
  ASSERT_TRUE(Call("SetWorkspaceEx", {Variant(int16_t{0}), Variant("Sales")}).ToBool());
  backend_->calls.clear();
  boxes_.clear();
  agent_->Plan(kCategoryDlgAName, "click Asia; press CreateButton");
  agent_->Plan(kCatFolderDlgAName, "type CategoryName Japan; press OKButton");
  EXPECT_FALSE(Call("CategoryDialogExA", {Variant(int16_t{0})}).ToBool());
  EXPECT_TRUE(backend_->CallsStartingWith("SaveTo").empty());
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Create Category folder: The creating of Japan is failed. (16 ok)"});
  EXPECT_EQ(obj_->DefaultServer().ErrorCode, engine::kCodeNoWorkspace);
  EXPECT_EQ(obj_->ServerTable(0).ErrorCode, 0);
}

// The refusals before any walk are in SelectionDialogsTest's table.
TEST_F(CategoryDialogTest, AWalkThatFailsShowsNoWindow) {
  AddSampleTree();
  Open();
  // A walk failing one level down: -1 through every level, no window.
  backend_->failures["ListSubfolders http://docs/Sales/Categories/Europe/France"] =
      server::kErrPermissionDenied;
  EXPECT_FALSE(Dialog());
  EXPECT_EQ(LastError(), engine::kCodePermissionDenied);
  EXPECT_TRUE(forms_.empty());
  EXPECT_EQ(CategoryDlgA::Get().TreeView1().Count(), 0);
}

TEST_F(CategoryDialogTest, JapaneseCaptionsAndMessages) {
  // A form takes its captions when it is first loaded on a thread; CTest
  // runs every test in a process of its own.
  if (FormInstances::IfCreated<CategoryDlgA>() != nullptr)
    GTEST_SKIP() << "the forms are loaded in English";
  platform::SetThreadLanguage(platform::kLangJapanese);
  AddSampleTree();
  Open();
  agent_->Plan(kCategoryDlgAName, "click Asia; press CreateButton; answer no; press DeleteButton");
  agent_->Plan(kCatFolderDlgAName, "type CategoryName a:b; press OKButton; press CancelButton");
  EXPECT_FALSE(Dialog());
  ASSERT_EQ(forms_.size(), 2u);
  EXPECT_EQ(forms_[0]["caption"], "カテゴリフォルダ選択ダイアログ");
  EXPECT_EQ(Control(forms_[0], "CreateButton")["caption"], "作成");
  EXPECT_EQ(Control(forms_[0], "DeleteButton")["caption"], "削除");
  EXPECT_EQ(Control(forms_[0], "CancelButton")["caption"], "キャンセル");
  EXPECT_EQ(forms_[1]["caption"], "カテゴリフォルダ作成ダイアログ");
  EXPECT_EQ(Control(forms_[1], "Label1")["caption"], "新規カテゴリフォルダ名");
  EXPECT_EQ(Control(forms_[1], "OKButton")["caption"], "作成");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "カテゴリフォルダ名: カテゴリフォルダ名に:*?<>\\|/\" "
                         "は使用できません。変更して下さい。 (48 ok)",
                         "カテゴリフォルダ削除の確認: Asiaを削除しますか？ (292 no)"}));
}

}  // namespace
}  // namespace orvex::dialogs
