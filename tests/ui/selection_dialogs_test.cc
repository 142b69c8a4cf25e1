// The folder and workspace selection dialogs on the headless toolkit, driven
// through the automation object by a scripted person against the recording
// fake of the server: what the trees hold, what each button sends, the
// boxes shown and the codes and selections left behind.
#include <gtest/gtest.h>

#include "automation/connect_orvex.h"
#include "dialogs/folder_dlg_a.h"
#include "engine/error_codes.h"
#include "platform/language.h"
#include "server/error.h"
#include "server/names.h"
#include "ui/dialog_test_base.h"

namespace orvex::dialogs {
namespace {

using nlohmann::json;
using testing::Control;

constexpr char kRoot[] = "http://docs/Public/Workspaces";
constexpr char kSmart[] = "urn:content-classes:smartfolder";
constexpr char kStandard[] = "urn:content-classes:knowledgefolder";

class SelectionDialogsTest : public testing::DialogTest {
 protected:
  SelectionDialogsTest() {
    backend_->AddItem(kRoot, {}, false);
    AddWorkspace("Sales");
    AddWorkspace("Legal");
    // Sales: Reports (enhanced) > 2001 (enhanced) > Q1 (standard), and
    // Archive (standard) > 2000 (standard), with a document beside them.
    AddChild("Sales", "Reports", kSmart, true);
    AddChild("Sales/Reports", "2001", kSmart, true);
    AddChild("Sales/Reports/2001", "Q1", kStandard);
    AddChild("Sales", "Archive", kStandard, true);
    AddChild("Sales/Archive", "2000", kStandard);
    AddChild("Sales", "note.txt", "urn:content-classes:document");
    AddChild("Legal", "Contracts", kSmart);
  }

  void AddWorkspace(const std::string& name, bool can_open = true) {
    const std::string url = "http://docs/" + name;
    if (can_open)
      backend_->AddItem(url,
                        {{server::kPropCategoriesFolder, Variant("Categories")},
                         {server::kPropSchemaCollectionRef, Variant(url + "/Schema")}},
                        false);
    backend_->listings[kRoot].push_back(
        server::Fields({{server::kColParseName, Variant(name)},
                        {server::kPropDescription, Variant(name + " team")}}));
  }

  // A child named `name` of the folder at `parent` (workspace first).
  void AddChild(const std::string& parent, const std::string& name, const char* content_class,
                bool has_subs = false) {
    backend_->AddItem("http://docs/" + parent + "/" + name,
                      {{server::kColDisplayName, Variant(name)},
                       {server::kColContentClass, Variant(content_class)},
                       {server::kPropHasSubs, Variant(has_subs)}});
  }

  bool Dialog(const std::string& name) { return Call(name).ToBool(); }
  engine::ConnectProperties& props() { return obj_->Properties(); }

  size_t Count(const std::string& prefix) const {
    return backend_->CallsStartingWith(prefix).size();
  }
};

TEST_F(SelectionDialogsTest, FolderTreeIsReadWholeAndOkGivesThePathInsideTheWorkspace) {
  Open();
  agent_->Plan("FolderDlgA",
               "click Sales; press OKButton; click Sales/Reports/2001; press OKButton");
  ASSERT_TRUE(Dialog("FolderDialogA"));
  EXPECT_EQ(props().SelectFolder, "Reports/2001");
  // One listing for the workspace and one per folder that has subfolders.
  EXPECT_EQ(Count("ListSubfolders"), 4u);

  ASSERT_EQ(forms_.size(), 1u);
  const json& form = forms_[0];
  EXPECT_EQ(form["name"], "FolderDlgA");
  EXPECT_EQ(form["caption"], "Select Folder");
  EXPECT_EQ(form["topmost"], true);
  EXPECT_EQ(Nodes(form), (std::vector<std::string>{
                             "Sales work <> +",
                             "Sales/Reports smart <Sales>",
                             "Sales/Archive folder <Sales>",
                             "Sales/Reports/2001 smart <Sales/Reports>",
                             "Sales/Reports/2001/Q1 folder <Sales/Reports/2001>",
                             "Sales/Archive/2000 folder <Sales/Archive>",
                         }));
  for (const char* name : {"OKButton", "CreateButton", "DeleteButton"})
    EXPECT_EQ(Control(form, name)["enabled"], false) << name;
  EXPECT_EQ(Control(form, "CancelButton")["enabled"], true);
  EXPECT_EQ(Control(form, "ImageList1")["keys"],
            json({"server", "work", "smart", "folder", "category", "rootcategory"}));
  // The workspace root cannot be chosen.
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_NE(problems_[0].find("OKButton"), std::string::npos);

  // A second call reads the tree again: a folder added on the server shows,
  // nothing of the first showing is left. Cancel keeps the last choice.
  AddChild("Sales", "Plans", kStandard);
  EXPECT_FALSE(Dialog("FolderDialogA"));
  ASSERT_EQ(forms_.size(), 2u);
  EXPECT_EQ(Nodes(forms_[1]).size(), 7u);
  EXPECT_EQ(Nodes(forms_[1])[3], "Sales/Plans folder <Sales>");
  EXPECT_EQ(props().SelectFolder, "Reports/2001");
  EXPECT_EQ(LastError(), 0);
  EXPECT_FALSE(FolderDlgA::Get().form().IsShown());
  EXPECT_EQ(FolderDlgA::Get().TreeView1().Count(), 0);
}

TEST_F(SelectionDialogsTest, AnEmptyWorkspaceShowsTheRootAndFoldersAreMadeUnderIt) {
  AddWorkspace("Board");
  Open("Board");
  agent_->Plan("FolderDlgA",
               "click Board; press CreateButton; click Board/Minutes; press CreateButton; "
               "click Board/Minutes/Draft; press OKButton");
  agent_->Plan("DocFolderDlgA", "type FolderName Minutes; key FolderName enter");
  agent_->Plan("DocFolderDlgA", "type FolderName Draft; press OKButton");
  ASSERT_TRUE(Dialog("FolderDialogA"));
  EXPECT_EQ(Nodes(forms_[0]), (std::vector<std::string>{"Board work <>"}));
  // Made directly under the workspace, the folder is enhanced and can be
  // chosen and created under at once.
  EXPECT_EQ(backend_->CallsStartingWith("SaveTo"),
            (std::vector<std::string>{
                "SaveTo DocumentFolder http://docs/Board/Minutes cnx=none mode=0 create=0 "
                "options=0 user=CORP\\jones password=secret DAV:contentclass=" +
                    std::string(kSmart),
                "SaveTo DocumentFolder http://docs/Board/Minutes/Draft cnx=none mode=0 create=0 "
                "options=0 user=CORP\\jones password=secret DAV:contentclass=" +
                    std::string(kSmart),
            }));
  EXPECT_EQ(agent_->last_tree["FolderDlgA"],
            (std::vector<std::string>{"Board work <> +", "Board/Minutes smart <Board> +",
                                      "Board/Minutes/Draft smart <Board/Minutes>"}));
  EXPECT_EQ(props().SelectFolder, "Minutes/Draft");
  EXPECT_EQ(FolderDlgA::Get().Treenodx()->Key(), "Board/Minutes/Draft");
  EXPECT_TRUE(problems_.empty()) << problems_[0];
}

TEST_F(SelectionDialogsTest, CreatingSendsThePathAndTheParentsKindAndBadNamesSendNothing) {
  Open();
  agent_->Plan("FolderDlgA",
               "click Sales/Reports; press CreateButton; click Sales/Archive/2000; "
               "press CreateButton; press CreateButton; press CancelButton");
  // A bad name is refused with a box and the entry stays open; Enter does
  // nothing while the name is empty.
  agent_->Plan("DocFolderDlgA",
               "key FolderName enter; type FolderName Q/3; press OKButton; clear FolderName; "
               "key FolderName enter; type FolderName Minutes; press OKButton");
  agent_->Plan("DocFolderDlgA", "type FolderName Old; key FolderName enter");
  agent_->Plan("DocFolderDlgA", "type FolderName Gone; press CancelButton");
  EXPECT_FALSE(Dialog("FolderDialogA"));

  const auto saves = backend_->CallsStartingWith("SaveTo");
  ASSERT_EQ(saves.size(), 2u);
  EXPECT_EQ(saves[0].substr(0, 56), "SaveTo DocumentFolder http://docs/Sales/Reports/Minutes ");
  EXPECT_NE(saves[0].find(kSmart), std::string::npos);
  EXPECT_EQ(saves[1].substr(0, 60), "SaveTo DocumentFolder http://docs/Sales/Archive/2000/Old cnx");
  EXPECT_NE(saves[1].find(kStandard), std::string::npos);
  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{
                "Confirm file name: :*?<>\\|/\" is not acceptable for Folder Name field. Please "
                "change and try again. (48 ok)"}));
  const auto& tree = agent_->last_tree["FolderDlgA"];
  ASSERT_EQ(tree.size(), 8u);
  EXPECT_EQ(tree[6], "Sales/Reports/Minutes smart <Sales/Reports>");
  EXPECT_EQ(tree[7], "Sales/Archive/2000/Old folder <Sales/Archive/2000>");
  // Cancelled after creating: the folders stay, no choice is made.
  EXPECT_TRUE(backend_->items.count("http://docs/Sales/Reports/Minutes"));
  EXPECT_EQ(props().SelectFolder, "");
  EXPECT_FALSE(FolderDlgA::Get().OKFlag);
  EXPECT_EQ(FolderDlgA::Get().FolderText, "");
}

TEST_F(SelectionDialogsTest, DeletingAsksWithNoAsDefaultAndRemovesTheSubtreeOnYes) {
  Open();
  agent_->Plan("FolderDlgA",
               "click Sales/Reports; answer no; press DeleteButton; answer yes; "
               "press DeleteButton; press OKButton; click Sales/Archive/2000; press OKButton");
  ASSERT_TRUE(Dialog("FolderDialogA"));
  EXPECT_EQ(backend_->CallsStartingWith("Delete"),
            (std::vector<std::string>{"Delete http://docs/Sales/Reports"}));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Confirm the deleteing: Reports is deleting. (292 no)",
                         "Confirm the deleteing: Reports is deleting. (292 yes)",
                     }));
  // Nothing is selected once the node is gone, so OK waits for a click.
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_NE(problems_[0].find("OKButton"), std::string::npos);
  EXPECT_EQ(props().SelectFolder, "Archive/2000");
  EXPECT_EQ(agent_->last_tree["FolderDlgA"],
            (std::vector<std::string>{"Sales work <> +", "Sales/Archive folder <Sales> +",
                                      "Sales/Archive/2000 folder <Sales/Archive>"}));
}

TEST_F(SelectionDialogsTest, ServerRefusalsShowABoxResetTheCodeAndLeaveTheTree) {
  Open();
  backend_->failures["SaveTo DocumentFolder http://docs/Sales/Reports/Minutes"] =
      server::kErrPermissionDenied;
  backend_->failures["Delete http://docs/Sales/Archive"] = server::kErrAccessDenied;
  agent_->Plan("FolderDlgA",
               "click Sales/Reports; press CreateButton; click Sales/Archive; answer yes; "
               "press DeleteButton; click Sales/Archive/2000; press OKButton");
  agent_->Plan("DocFolderDlgA", "type FolderName Minutes; press OKButton");
  ASSERT_TRUE(Dialog("FolderDialogA"));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Creating Folder: The creating of Minutes is failed. (16 ok)",
                         "Confirm the deleteing: Archive is deleting. (292 yes)",
                         "Confirm the deleteing: It is failure to delete Archive (16 ok)",
                     }));
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(agent_->last_tree["FolderDlgA"].size(), 6u);
  EXPECT_EQ(props().SelectFolder, "Archive/2000");
}

TEST_F(SelectionDialogsTest, CreateAndDeleteGoThroughTheDefaultConnection) {
  // The dialog runs on handle 0 while the default connection has no
  // workspace: the plain CreateFolder fails its workspace check there.
  Open("");
  ASSERT_EQ(obj_->ConnectOpenEx("docs", "jones", "CORP", "secret"), 0);
  ASSERT_TRUE(Call("SetWorkspaceEx", {Variant(int16_t{0}), Variant("Sales")}).ToBool());
  backend_->calls.clear();
  agent_->Plan("FolderDlgA", "click Sales; press CreateButton");
  agent_->Plan("DocFolderDlgA", "type FolderName Minutes; press OKButton");
  EXPECT_FALSE(Call("FolderDialogExA", {Variant(int16_t{0})}).ToBool());
  EXPECT_EQ(Count("SaveTo"), 0u);
  EXPECT_EQ(
      Boxes(),
      (std::vector<std::string>{"Creating Folder: The creating of Minutes is failed. (16 ok)"}));
  // The failure code stays on the default engine; the dialog's own is reset.
  EXPECT_EQ(obj_->DefaultServer().ErrorCode, engine::kCodeNoWorkspace);
  EXPECT_EQ(obj_->ServerTable(0).ErrorCode, 0);
}

// Every selection dialog, the category one included, refuses before its
// window without a connection (its Ex form on the entry of handle 0, any
// other handle raising), and those that show a workspace's tree without a
// current workspace.
TEST_F(SelectionDialogsTest, EveryDialogNeedsAConnectionAndTheTreeDialogsAWorkspace) {
  const struct {
    const char* plain;
    const char* ex;
    bool needs_workspace;
  } dialogs[] = {{"FolderDialogA", "FolderDialogExA", true},
                 {"WorkspaceDialogA", "WorkspaceDialogExA", false},
                 {"FolderDialogB", "FolderDialogExB", false},
                 {"CategoryDialogA", "CategoryDialogExA", true}};
  obj_ = std::make_unique<automation::ConnectOrvex>(backend_);
  for (const auto& d : dialogs) {
    obj_->DefaultServer().ErrorCode = 0;
    EXPECT_FALSE(Dialog(d.plain)) << d.plain;
    EXPECT_EQ(obj_->DefaultServer().ErrorCode, engine::kCodeNotConnected) << d.plain;
    obj_->ServerTable(0).ErrorCode = 0;
    EXPECT_FALSE(Call(d.ex, {Variant(int16_t{0})}).ToBool()) << d.ex;
    EXPECT_EQ(obj_->ServerTable(0).ErrorCode, engine::kCodeNotConnected) << d.ex;
    EXPECT_THROW(Call(d.ex, {Variant(int16_t{1})}), AutomationError) << d.ex;
  }
  Open("");
  for (const auto& d : dialogs) {
    if (!d.needs_workspace) continue;
    EXPECT_FALSE(Dialog(d.plain)) << d.plain;
    EXPECT_EQ(LastError(), engine::kCodeNoWorkspace) << d.plain;
  }
  EXPECT_TRUE(forms_.empty());
}

TEST_F(SelectionDialogsTest, FailuresWhileReadingTheTree) {
  Open();
  // A walk failing deep down: False, the window is not shown.
  backend_->failures["ListSubfolders http://docs/Sales/Reports/2001"] =
      server::kErrPermissionDenied;
  EXPECT_FALSE(Dialog("FolderDialogA"));
  EXPECT_EQ(LastError(), engine::kCodePermissionDenied);
  EXPECT_TRUE(forms_.empty());

  // Two folders of one name: the second node cannot be added; the window
  // shows what was added before it, and the code tells.
  AddChild("Sales", "Reports", kSmart);
  EXPECT_FALSE(Dialog("FolderDialogA"));
  ASSERT_EQ(forms_.size(), 1u);
  EXPECT_EQ(Nodes(forms_[0]),
            (std::vector<std::string>{"Sales work <> +", "Sales/Reports smart <Sales>",
                                      "Sales/Archive folder <Sales>"}));
  EXPECT_EQ(LastError(), engine::kCodeFailure);
}

TEST_F(SelectionDialogsTest, WorkspaceDialogListsTheServersWorkspacesAndOnlyChooses) {
  Open();
  agent_->Plan("WorkspaceDlgA", "click docs; press OKButton; click Legal; press OKButton");
  ASSERT_TRUE(Dialog("WorkspaceDialogA"));
  EXPECT_EQ(props().SelectWorkspace, "Legal");
  ASSERT_EQ(forms_.size(), 1u);
  EXPECT_EQ(forms_[0]["caption"], "Workspace");
  EXPECT_EQ(forms_[0]["topmost"], true);
  EXPECT_EQ(Nodes(forms_[0]), (std::vector<std::string>{"docs server <> +", "Sales work <docs>",
                                                        "Legal work <docs>"}));
  EXPECT_EQ(Control(forms_[0], "TreeView1")["selected"], "docs");
  EXPECT_EQ(Control(forms_[0], "OKButton")["enabled"], false);
  ASSERT_EQ(problems_.size(), 1u);  // OK on the server node
  // Only a choice: the current workspace is still Sales, nothing re-opened.
  EXPECT_EQ(Count("OpenConnection"), 0u);
  EXPECT_EQ(Call("GetDocFolderInfo", {Variant("")}).ToInt16(), 2);

  // A fresh tree every call; Cancel keeps the earlier choice.
  AddWorkspace("Board", false);
  EXPECT_FALSE(Dialog("WorkspaceDialogA"));
  EXPECT_EQ(Nodes(forms_[1]).size(), 4u);
  EXPECT_EQ(props().SelectWorkspace, "Legal");

  // A listing error: False, no window, the mapped code.
  backend_->failures["ListWorkspaces"] = server::kErrAccessDenied;
  EXPECT_FALSE(Dialog("WorkspaceDialogA"));
  EXPECT_EQ(forms_.size(), 2u);
  EXPECT_EQ(LastError(), engine::kCodeAccessDenied);

  // No workspaces at all: only the server, and only Cancel helps.
  backend_->listings[kRoot].clear();
  agent_->Plan("WorkspaceDlgA", "click docs; press OKButton");
  EXPECT_FALSE(Dialog("WorkspaceDialogA"));
  EXPECT_EQ(Nodes(forms_[2]), (std::vector<std::string>{"docs server <>"}));
  EXPECT_EQ(props().SelectWorkspace, "Legal");
}

TEST_F(SelectionDialogsTest, FolderDialogBShowsTheWorkspacesTheUserCanOpenAndRestoresTheCurrent) {
  AddWorkspace("Board", false);  // listed, but this user cannot open it
  Open();
  agent_->Plan("FolderDlgB",
               "click docs; press OKButton; click Sales/Reports/2001; press OKButton");
  ASSERT_TRUE(Dialog("FolderDialogB"));
  EXPECT_EQ(props().SelectWorkspace, "Sales");
  EXPECT_EQ(props().SelectFolder, "Reports/2001");
  ASSERT_EQ(forms_.size(), 1u);
  EXPECT_EQ(forms_[0]["caption"], "Select Folder");
  EXPECT_EQ(Control(forms_[0], "OKButton")["caption"], "Selection");
  EXPECT_EQ(Nodes(forms_[0]), (std::vector<std::string>{
                                  " server <> +",
                                  "Sales work <>",
                                  "Legal work <>",
                                  "Sales/Reports smart <Sales>",
                                  "Sales/Archive folder <Sales>",
                                  "Sales/Reports/2001 smart <Sales/Reports>",
                                  "Sales/Reports/2001/Q1 folder <Sales/Reports/2001>",
                                  "Sales/Archive/2000 folder <Sales/Archive>",
                                  "Legal/Contracts smart <Legal>",
                              }));
  ASSERT_EQ(problems_.size(), 1u);  // OK on the server node
  // Board's refusal stays in the code although the dialog succeeded.
  EXPECT_EQ(LastError(), engine::kCodeNotFound);
  // Every workspace was tried; Sales is current again, connection and all.
  const auto opens = backend_->CallsStartingWith("OpenConnection");
  ASSERT_EQ(opens.size(), 4u);
  EXPECT_EQ(opens.back().substr(0, 34), "OpenConnection http://docs/Sales u");
  backend_->calls.clear();
  EXPECT_EQ(Call("GetDocFolderInfo", {Variant("")}).ToInt16(), 2);
  EXPECT_EQ(obj_->DefaultServer().SysFolder, "http://docs/Sales/Schema");

  // Choosing a workspace itself: no folder.
  agent_->Plan("FolderDlgB", "click Legal; press OKButton");
  ASSERT_TRUE(Dialog("FolderDialogB"));
  EXPECT_EQ(props().SelectWorkspace, "Legal");
  EXPECT_EQ(props().SelectFolder, "");
  EXPECT_EQ(Nodes(forms_[1]).size(), 9u);

  // A walk failing in Legal: False without the window, Sales still current.
  backend_->failures["ListSubfolders http://docs/Legal"] = server::kErrPermissionDenied;
  EXPECT_FALSE(Dialog("FolderDialogB"));
  EXPECT_EQ(forms_.size(), 2u);
  EXPECT_EQ(LastError(), engine::kCodePermissionDenied);
  EXPECT_EQ(obj_->DefaultServer().current_workspace(), "Sales");
  EXPECT_EQ(Call("GetDocFolderInfo", {Variant("")}).ToInt16(), 2);
  EXPECT_EQ(props().SelectWorkspace, "Legal");
}

TEST_F(SelectionDialogsTest, FolderDialogBGrowsPastThirtyOneWorkspacesWithoutACurrentOne) {
  for (int i = 0; i < 33; ++i) AddWorkspace("W" + std::to_string(i));
  Open("");
  agent_->Plan("FolderDlgB", "click W32; press OKButton");
  ASSERT_TRUE(Dialog("FolderDialogB"));
  EXPECT_EQ(props().SelectWorkspace, "W32");
  ASSERT_EQ(forms_.size(), 1u);
  const auto nodes = Nodes(forms_[0]);
  ASSERT_EQ(nodes.size(), 1u + 35u + 6u);
  EXPECT_EQ(nodes[35], "W32 work <>");
  // No workspace was current before, so none is after.
  EXPECT_EQ(obj_->DefaultServer().current_workspace(), "");
  EXPECT_FALSE(Dialog("FolderDialogA"));
  EXPECT_EQ(LastError(), engine::kCodeNoWorkspace);
}

TEST_F(SelectionDialogsTest, JapaneseCaptionsAndMessages) {
  // A form takes its captions when it is first loaded on a thread; CTest
  // runs every test in a process of its own.
  if (FolderDlgA::IfCreated() != nullptr) GTEST_SKIP() << "the forms are loaded in English";
  platform::SetThreadLanguage(platform::kLangJapanese);
  Open();
  agent_->Plan("FolderDlgA", "click Sales/Reports; press CreateButton; press CancelButton");
  agent_->Plan("DocFolderDlgA", "type FolderName a:b; press OKButton; press CancelButton");
  agent_->Plan("WorkspaceDlgA", "press CancelButton");
  agent_->Plan("FolderDlgB", "close");
  Dialog("FolderDialogA");
  Dialog("WorkspaceDialogA");
  Dialog("FolderDialogB");
  ASSERT_EQ(forms_.size(), 4u);
  EXPECT_EQ(forms_[0]["caption"], "フォルダ選択ダイアログ");
  EXPECT_EQ(Control(forms_[0], "CreateButton")["caption"], "作成");
  EXPECT_EQ(Control(forms_[0], "DeleteButton")["caption"], "削除");
  EXPECT_EQ(forms_[1]["caption"], "フォルダ作成ダイアログ");
  EXPECT_EQ(Control(forms_[1], "FolderLabel1")["caption"], "新規フォルダ名");
  EXPECT_EQ(Control(forms_[1], "OKButton")["caption"], "作成");
  EXPECT_EQ(Control(forms_[1], "CancelButton")["caption"], "キャンセル");
  EXPECT_EQ(forms_[2]["caption"], "ワークスペース選択ダイアログ");
  EXPECT_EQ(forms_[3]["caption"], "フォルダ選択ダイアログ");
  EXPECT_EQ(Control(forms_[3], "OKButton")["caption"], "選択");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"フォルダ名の確認: フォルダ名に:*?<>\\|/\" "
                                               "は使用できません。変更して下さい。 (48 ok)"}));
}

}  // namespace
}  // namespace orvex::dialogs
