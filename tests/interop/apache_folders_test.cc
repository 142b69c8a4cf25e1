// Workspace folders against Apache mod_dav: the same folder operations the
// docstore serves (list, create, rename, delete, the enhanced-folder test),
// on a tree whose collections carry the content-class dead property.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/error_codes.h"
#include "interop/apache_sales_test.h"

namespace orvex::automation {
namespace {

std::string Folder(const char* content_class, bool has_subs) {
  return SetProps(std::string("<D:contentclass>") + content_class + "</D:contentclass>" +
                  "<D:hassubs b:dt=\"boolean\">" + (has_subs ? "1" : "0") + "</D:hassubs>");
}

class ApacheFoldersTest : public ApacheSalesTest {
 protected:
  static void SetUpTestSuite() {
    if (!testing::ApacheServer::Unavailable().empty()) return;
    server_ = new testing::ApacheServer();
    for (const char* dir :
         {"Public/Workspaces", "Sales/Reports/2001", "Sales/Archive", "Sales/Categories/Europe"})
      std::filesystem::create_directories(server_->root() / dir);
    ASSERT_TRUE(server_->Start());
    ASSERT_EQ(server_->Send("PROPPATCH", "/Sales/", SetProps(kSalesWorkspaceProps)), 207);
    const char* smart = "urn:content-classes:smartfolder";
    ASSERT_EQ(server_->Send("PROPPATCH", "/Sales/Reports/", Folder(smart, true)), 207);
    ASSERT_EQ(server_->Send("PROPPATCH", "/Sales/Reports/2001/", Folder(smart, false)), 207);
    ASSERT_EQ(server_->Send("PROPPATCH", "/Sales/Archive/",
                            Folder("urn:content-classes:knowledgefolder", false)),
              207);
    ASSERT_EQ(server_->Send("PROPPATCH", "/Sales/Categories/",
                            Folder("urn:content-classes:categoryfolder", true)),
              207);
  }

  std::vector<std::string> Folders(const std::string& path) {
    engine::ServerClass1& e = docs_.DefaultServer();
    std::vector<std::string> out;
    int16_t n = e.GetDocFolderInfo(path);
    for (int16_t i = 0; i < n; ++i) {
      std::string name;
      bool version = false, read_only = false;
      EXPECT_TRUE(e.GetDocFolder(i, name, version, read_only));
      out.push_back(name + (version ? "+" : ""));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
};

TEST_F(ApacheFoldersTest, ListsCreatesRenamesAndDeletesFolders) {
  engine::ServerClass1& e = docs_.DefaultServer();
  EXPECT_EQ(e.RootCategory, "Categories");
  EXPECT_EQ(Folders(""), (std::vector<std::string>{"Archive", "Reports+"}));
  EXPECT_EQ(Folders("Reports"), (std::vector<std::string>{"2001+"}));
  EXPECT_TRUE(e.IsVersionFolder("Reports/2001"));
  EXPECT_FALSE(e.IsVersionFolder("Archive"));
  EXPECT_EQ(e.ErrorCode, 0);

  // Apache has no extended MKCOL: the folder is created and then given its class.
  ASSERT_TRUE(e.CreateFolder("Reports/Minutes", true)) << e.ErrorCode;
  ASSERT_TRUE(e.CreateFolder("Plain フォルダ", false)) << e.ErrorCode;
  EXPECT_EQ(Folders("Reports"), (std::vector<std::string>{"2001+", "Minutes+"}));
  EXPECT_FALSE(e.CreateFolder("Reports", true));
  EXPECT_EQ(e.ErrorCode, engine::kCodeAlreadyExists);
  EXPECT_FALSE(e.CreateFolder("Missing/Child", true));
  EXPECT_EQ(e.ErrorCode, engine::kCodeNotFound);

  ASSERT_TRUE(e.ChangeFolderName("Plain フォルダ", "改名 済み")) << e.ErrorCode;
  EXPECT_FALSE(e.ChangeFolderName("改名 済み", "Reports"));
  EXPECT_EQ(e.ErrorCode, engine::kCodeAlreadyExists);
  EXPECT_EQ(Folders(""), (std::vector<std::string>{"Archive", "Reports+", "改名 済み"}));

  EXPECT_TRUE(e.DeleteFolder("Reports/Minutes"));
  EXPECT_TRUE(e.DeleteFolder("改名 済み"));
  EXPECT_FALSE(e.DeleteFolder("改名 済み"));
  EXPECT_EQ(e.ErrorCode, engine::kCodeNotFound);
  EXPECT_EQ(Folders(""), (std::vector<std::string>{"Archive", "Reports+"}));
}

}  // namespace
}  // namespace orvex::automation
