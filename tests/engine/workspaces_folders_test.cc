// Workspaces and document folders against the recording fake: the values
// each operation passes, list growth, the folder walk and every failure path.
#include <gtest/gtest.h>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "fakes/fake_engine_test.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::engine {

using testing::OpenCall;

class WorkspacesFoldersTest : public testing::FakeEngineTest {
 protected:
  WorkspacesFoldersTest() {
    AddListedWorkspace("Sales");
    AddListedWorkspace("Legal");
  }

  // A workspace, and its row in the workspace list.
  void AddListedWorkspace(const std::string& name) {
    const std::string url = "http://docs/" + name;
    AddWorkspace(name);
    backend_->listings[kRoot].push_back(server::Fields(
        {{server::kColParseName, Variant(name)},
         {server::kPropDescription, Variant(name + " team")},
         {server::kColAbsoluteParseName, Variant(url)},
         {server::kPropDefaultContentClass, Variant("urn:content-classes:document")}}));
  }

  // A child of `parent` (a path inside Sales, "" for the top).
  void AddChild(const std::string& parent, const std::string& name, const char* content_class,
                bool has_subs = false, bool read_only = false) {
    const std::string url = "http://docs/Sales" + (parent.empty() ? "" : "/" + parent) + "/" + name;
    backend_->AddItem(url, {{server::kColDisplayName, Variant(name)},
                            {server::kColContentClass, Variant(content_class)},
                            {server::kColIsReadOnly, Variant(read_only)},
                            {server::kPropHasSubs, Variant(has_subs)}});
  }

  int16_t Walk() {
    engine_.TreeEntries.assign(31, TreeEntry{});
    int16_t count = 0;
    engine_.GetFolderTree("Sales", "", 0, count);
    return count;
  }
  const std::vector<TreeEntry>& entries() const { return engine_.TreeEntries; }
};

TEST_F(WorkspacesFoldersTest, SetWorkspaceReopensTheConnectionOnTheWorkspace) {
  ASSERT_TRUE(engine_.ConnectOpen());
  backend_->calls.clear();
  ASSERT_TRUE(engine_.SetWorkspace("Sales"));
  EXPECT_EQ(backend_->calls,
            (std::vector<std::string>{
                "CloseConnection http://docs/Public/Workspaces",
                "OpenConnection http://docs/Sales user=CORP\\jones password=secret options=-1 "
                "provider=MSDAIPP.DSO Prompt=4 Flush WinInet Password Cache=True Url Encoding=1",
                "Create WorkspaceFolder",
                OpenCall("WorkspaceFolder http://docs/Sales", "open", true),
            }));
  EXPECT_EQ(engine_.RootCategory, "Categories");
  EXPECT_EQ(engine_.SysFolder, "http://docs/Sales/Schema");
  EXPECT_TRUE(engine_.ConnectWorkspace());
  EXPECT_EQ(engine_.CreateURL(kUrlCategory, "Europe"), "http://docs/Sales/Categories/Europe");

  // Switching works again; a failed switch leaves no current workspace.
  ASSERT_TRUE(engine_.SetWorkspace("Legal"));
  EXPECT_EQ(engine_.current_workspace(), "Legal");
  for (const char* bad : {"", "Sales/Reports", "a:b"}) {
    ASSERT_TRUE(engine_.SetWorkspace("Sales"));
    EXPECT_EQ(Refused(engine_.SetWorkspace(bad)), kCodeWorkspaceFailed);
    EXPECT_EQ(engine_.current_workspace(), "");
    EXPECT_FALSE(engine_.ConnectWorkspace());
  }
}

TEST_F(WorkspacesFoldersTest, SetWorkspaceFailuresAreMappedAndLeaveNoWorkspace) {
  ASSERT_TRUE(engine_.ConnectOpen());
  // Refused at the connection: nothing else is opened.
  backend_->failures["OpenConnection http://docs/Board"] = server::kErrPermissionDenied;
  EXPECT_EQ(Refused(engine_.SetWorkspace("Board")), kCodePermissionDenied);
  EXPECT_TRUE(backend_->CallsStartingWith("Open WorkspaceFolder").empty());
  EXPECT_EQ(engine_.current_workspace(), "");
  // Refused at the workspace folder: the connection is closed again.
  EXPECT_EQ(Refused(engine_.SetWorkspace("Missing")), kCodeNotFound);
  EXPECT_EQ(engine_.cnx1().State(), server::kStateClosed);
  // A workspace without its settings cannot be made current.
  backend_->items["http://docs/Legal"].erase(server::kPropCategoriesFolder);
  EXPECT_EQ(Refused(engine_.SetWorkspace("Legal")), kCodeFailure);
  EXPECT_EQ(engine_.current_workspace(), "");
}

TEST_F(WorkspacesFoldersTest, WorkspaceListGrowsByFiveAndKeepsRowsReadBeforeAFailure) {
  for (const char* name : {"Board", "HR", "IT", "Ops", "R&D"}) AddListedWorkspace(name);
  ASSERT_TRUE(engine_.ConnectOpen());
  EXPECT_EQ(engine_.GetWorkspaceInfo(), 7);
  EXPECT_EQ(engine_.workspace_list().upper_bound(), 10);
  std::string name = "keep", description = "keep";
  EXPECT_TRUE(engine_.GetWorkspace(0, name, description));
  EXPECT_EQ(name, "Sales");
  EXPECT_EQ(description, "Sales team");
  EXPECT_TRUE(engine_.GetWorkspace(6, name, description));
  EXPECT_EQ(name, "R&D");
  name = "keep";
  EXPECT_FALSE(engine_.GetWorkspace(7, name, description));
  EXPECT_FALSE(engine_.GetWorkspace(-1, name, description));
  EXPECT_EQ(name, "keep");

  // A row whose name is not text: -1 and 1000, the rows before it stay.
  backend_->listings[kRoot][2] = server::Fields({{server::kColParseName, Variant(Null{})}});
  engine_.ErrorCode = 0;
  EXPECT_EQ(Refused(engine_.GetWorkspaceInfo()), kCodeFailure);
  EXPECT_TRUE(engine_.GetWorkspace(1, name, description));
  EXPECT_EQ(name, "Legal");
  EXPECT_FALSE(engine_.GetWorkspace(2, name, description));
}

TEST_F(WorkspacesFoldersTest, FolderListingKeepsOnlyDocumentFoldersAndGrowsByTen) {
  for (int i = 0; i < 12; ++i)
    AddChild("Reports", "F" + std::to_string(i),
             i % 2 ? server::kClassSmartFolder : server::kClassKnowledgeFolder, false, i == 3);
  AddChild("Reports", "Europe", server::kClassCategoryFolder);
  AddChild("Reports", "plan.doc", "urn:content-classes:document");
  AddChild("", "Reports", server::kClassSmartFolder, true);
  OpenSales();
  EXPECT_EQ(engine_.GetDocFolderInfo("Reports"), 12);
  EXPECT_EQ(engine_.folder_list().upper_bound(), 20);
  EXPECT_EQ(backend_->calls[0],
            OpenCall("WorkspaceFolder http://docs/Sales/Reports", "none", true));
  std::string name;
  bool version = false, read_only = false;
  ASSERT_TRUE(engine_.GetDocFolder(3, name, version, read_only));
  EXPECT_EQ(name, "F3");
  EXPECT_TRUE(version);
  EXPECT_TRUE(read_only);
  ASSERT_TRUE(engine_.GetDocFolder(0, name, version, read_only));
  EXPECT_FALSE(version);
  EXPECT_FALSE(engine_.GetDocFolder(12, name, version, read_only));

  EXPECT_EQ(engine_.GetDocFolderInfo(""), 1);
  backend_->calls.clear();
  EXPECT_EQ(Refused(engine_.GetDocFolderInfo("a:b")), kCodeBadPath);
  EXPECT_TRUE(backend_->calls.empty());
  EXPECT_EQ(Refused(engine_.GetDocFolderInfo("Nowhere")), kCodeNotFound);
}

TEST_F(WorkspacesFoldersTest, WalkListsChildrenInBlocksAndListsOnlyFoldersWithSubfolders) {
  AddChild("", "Reports", server::kClassSmartFolder, true);
  AddChild("", "Archive", server::kClassKnowledgeFolder, false);
  AddChild("", "Documents", server::kClassSmartFolder, true);
  AddChild("", "Categories", server::kClassCategoryFolder, true);
  AddChild("Reports", "2001", server::kClassSmartFolder, true);
  AddChild("Reports", "2002", server::kClassSmartFolder, false);
  AddChild("Reports/2001", "Q1", server::kClassKnowledgeFolder, false);
  AddChild("Documents", "Drafts", server::kClassSmartFolder, false);
  OpenSales();
  ASSERT_EQ(Walk(), 7);
  std::vector<std::string> paths;
  for (size_t i = 0; i < 7; ++i) paths.push_back(entries()[i].Path + "<" + entries()[i].ParentPath);
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "Sales/Reports<Sales", "Sales/Archive<Sales", "Sales/Documents<Sales",
                       "Sales/Reports/2001<Sales/Reports", "Sales/Reports/2002<Sales/Reports",
                       "Sales/Reports/2001/Q1<Sales/Reports/2001",
                       "Sales/Documents/Drafts<Sales/Documents"}));
  EXPECT_EQ(entries()[1].ImageKey, "folder");
  EXPECT_EQ(entries()[3].ImageKey, "smart");
  // One listing per folder with subfolders, plus the top.
  auto lists = backend_->CallsStartingWith("ListSubfolders");
  EXPECT_EQ(lists, (std::vector<std::string>{"ListSubfolders http://docs/Sales",
                                             "ListSubfolders http://docs/Sales/Reports",
                                             "ListSubfolders http://docs/Sales/Reports/2001",
                                             "ListSubfolders http://docs/Sales/Documents"}));
  // A failure anywhere below gives -1 at the top.
  backend_->failures["Open WorkspaceFolder http://docs/Sales/Documents"] =
      server::kErrPermissionDenied;
  EXPECT_EQ(Walk(), -1);
  EXPECT_EQ(engine_.ErrorCode, kCodePermissionDenied);
}

TEST_F(WorkspacesFoldersTest, WalkGrowsItsEntryListByTwenty) {
  for (int i = 0; i < 40; ++i) AddChild("", "F" + std::to_string(i), server::kClassSmartFolder);
  OpenSales();
  EXPECT_EQ(Walk(), 40);
  EXPECT_EQ(entries().size(), 51u);
  EXPECT_EQ(entries()[39].Path, "Sales/F39");
}

TEST_F(WorkspacesFoldersTest, VersionFolderTestLooksUpTheTreeBeforeTheName) {
  AddChild("", "Reports", server::kClassSmartFolder, true);
  AddChild("", "Archive", server::kClassKnowledgeFolder);
  AddChild("Reports", "2001", server::kClassSmartFolder);
  OpenSales();
  EXPECT_TRUE(engine_.IsVersionFolder("Reports/2001"));
  EXPECT_EQ(engine_.ErrorCode, 0);
  EXPECT_EQ(Refused(engine_.IsVersionFolder("Archive")), 0);
  EXPECT_EQ(Refused(engine_.IsVersionFolder("Nowhere:x")), kCodeNotFound);
  EXPECT_EQ(Refused(engine_.IsVersionFolder("reports")), kCodeNotFound);
  // The walk's row of the folder is the resource the open would read: it
  // answers, and the folder is not opened again.
  EXPECT_TRUE(backend_->CallsStartingWith("Open DocumentFolder").empty());

  // A row listed at another URL than the one built from the path (its
  // display name differs from its URL) is another resource: the folder is
  // opened as such, and its failure is the answer.
  backend_->AddItem("http://docs/Sales/min",
                    {{server::kColDisplayName, Variant("Minutes")},
                     {server::kColContentClass, Variant(server::kClassSmartFolder)}});
  EXPECT_EQ(Refused(engine_.IsVersionFolder("Minutes")), kCodeNotFound);
  EXPECT_EQ(backend_->CallsStartingWith("Open DocumentFolder").back(),
            OpenCall("DocumentFolder http://docs/Sales/Minutes", "none", true));
  backend_->AddItem("http://docs/Sales/Minutes", {{server::kColContentClass, Variant("")}});
  EXPECT_EQ(Refused(engine_.IsVersionFolder("Minutes")), 0);
}

TEST_F(WorkspacesFoldersTest, CreateDeleteAndRenamePassTheirValuesAndMapRefusals) {
  AddChild("", "Reports", server::kClassSmartFolder);
  AddChild("", "Archive", server::kClassKnowledgeFolder);
  OpenSales();
  EXPECT_TRUE(engine_.CreateFolder("Reports/Minutes", true));
  EXPECT_EQ(backend_->calls.back(),
            "SaveTo DocumentFolder http://docs/Sales/Reports/Minutes cnx=none mode=0 create=0 "
            "options=0 user=CORP\\jones password=secret "
            "DAV:contentclass=urn:content-classes:smartfolder");
  EXPECT_TRUE(engine_.CreateFolder("Archive/Old", false));
  EXPECT_NE(backend_->calls.back().find("knowledgefolder"), std::string::npos);
  backend_->calls.clear();
  EXPECT_EQ(Refused(engine_.CreateFolder("a:b", true)), kCodeBadPath);
  EXPECT_TRUE(backend_->calls.empty());
  EXPECT_EQ(Refused(engine_.CreateFolder("Missing/Child", true)), kCodeNotFound);
  EXPECT_EQ(Refused(engine_.CreateFolder("Reports", true)), kCodeAlreadyExists);

  backend_->calls.clear();
  EXPECT_TRUE(engine_.ChangeFolderName("Archive", "Archive"));
  EXPECT_EQ(backend_->calls.size(), 2u);  // create and open, no move
  EXPECT_TRUE(engine_.ChangeFolderName("Archive", "Old Archive"));
  EXPECT_EQ(backend_->calls.back(),
            "MoveTo http://docs/Sales/Archive -> http://docs/Sales/Old Archive");
  EXPECT_EQ(Refused(engine_.ChangeFolderName("Old Archive", "Reports")), kCodeAlreadyExists);
  EXPECT_EQ(Refused(engine_.ChangeFolderName("Reports/Minutes", "M")), kCodeBadName);
  EXPECT_EQ(Refused(engine_.ChangeFolderName("Reports", "")), kCodeBadName);

  EXPECT_TRUE(engine_.DeleteFolder("Reports/Minutes"));
  EXPECT_EQ(backend_->calls.back(), "Delete http://docs/Sales/Reports/Minutes");
  EXPECT_EQ(Refused(engine_.DeleteFolder("Reports/Minutes")), kCodeNotFound);
  EXPECT_EQ(Refused(engine_.DeleteFolder("")), kCodeBadPath);
}

}  // namespace orvex::engine
