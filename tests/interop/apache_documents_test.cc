// Documents, profiles and property definitions against Apache mod_dav: plain
// files and collections whose workspace, schema and publishing properties
// are dead properties set with PROPPATCH (mod_dav keeps them untyped).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/error_codes.h"
#include "interop/apache_sales_test.h"

namespace orvex::automation {
namespace {

constexpr char kMemo[] = "urn:content-classes:memo";

std::string List(const char* element, std::initializer_list<const char*> values) {
  std::string out = std::string("<") + element + " b:dt=\"mv.string\">";
  for (const char* v : values) out += std::string("<x:v>") + v + "</x:v>";
  return out + "</" + element + ">";
}

// The folder the documents are in, and one of them: names with a blank and
// Japanese, which the parent name and every request carry percent-encoded.
constexpr char kFolder[] = "Team 資料";
constexpr char kFolderPath[] = "/Sales/Team%20%E8%B3%87%E6%96%99/";
constexpr char kParentName[] = "http://docs/Sales/Team%20%E8%B3%87%E6%96%99";
constexpr char kPlan[] = "計画 案.txt";

// The properties a document of the folder carries.
std::string Document(const std::string& name, const std::string& more) {
  return SetProps("<D:displayname>" + name + "</D:displayname><D:parentname>" + kParentName +
                  "</D:parentname>"
                  "<D:contentclass>urn:content-classes:memo</D:contentclass>" +
                  more);
}

class ApacheDocumentsTest : public ApacheSalesTest {
 protected:
  static void SetUpTestSuite() {
    if (!testing::ApacheServer::Unavailable().empty()) return;
    server_ = new testing::ApacheServer();
    const auto& root = server_->root();
    const std::string folder = std::string("Sales/") + kFolder;
    for (const std::string& dir :
         {std::string("Public/Workspaces"), folder, std::string("Sales/Schema")})
      std::filesystem::create_directories(root / dir);
    for (const std::string& file :
         {folder + "/" + kPlan, folder + "/draft.txt", folder + "/secret.txt",
          std::string("Sales/Schema/urn:content-classes:memo"),
          std::string("Sales/Schema/urn:schemas-microsoft-com:office:office#Title"),
          std::string("Sales/Schema/urn:schemas-microsoft-com:office:office#Topics"),
          std::string("Sales/Schema/topics")})
      std::ofstream(root / file) << "x";
    ASSERT_TRUE(server_->Start());
    auto patch = [](const std::string& path, const std::string& body) {
      ASSERT_EQ(server_->Send("PROPPATCH", path, body), 207) << path;
    };
    patch("/Sales/", SetProps(kSalesWorkspaceProps + List("p:DocumentProfiles", {kMemo})));
    patch(
        kFolderPath,
        SetProps("<D:contentclass>urn:content-classes:smartfolder</D:contentclass>" +
                 List("p:DocumentProfiles", {"urn:content-classes:gone", kMemo}) +
                 "<p:DefaultDocumentProfile>urn:content-classes:memo</p:DefaultDocumentProfile>"));
    patch("/Sales/Schema/urn%3Acontent-classes%3Amemo",
          SetProps("<D:displayname>Memo</D:displayname>" +
                   List("p:propertyorder",
                        {"urn:schemas-microsoft-com:office:office#Title", "DAV:getcontentlength",
                         "urn:schemas-microsoft-com:office:office#Topics"})));
    patch("/Sales/Schema/urn%3Aschemas-microsoft-com%3Aoffice%3Aoffice%23Title",
          SetProps("<D:displayname>Title</D:displayname><e:isrequired>1</e:isrequired>"
                   "<p:extended-type>Text</p:extended-type>"));
    patch("/Sales/Schema/urn%3Aschemas-microsoft-com%3Aoffice%3Aoffice%23Topics",
          SetProps("<D:displayname>Topics</D:displayname><e:ismultivalued>1</e:ismultivalued>"
                   "<p:extended-type>List</p:extended-type><e:dictionary>topics</e:dictionary>"
                   "<e:isretrieved>1</e:isretrieved>"));
    patch("/Sales/Schema/topics", SetProps(List("p:dictionaryvalues", {"Pricing", "Forecast"}) +
                                           "<p:isrestricted>0</p:isrestricted>"));
    patch(kFolderPath + std::string("%E8%A8%88%E7%94%BB%20%E6%A1%88.txt"),
          Document(kPlan,
                   "<p:documentstate>createdcheckedin</p:documentstate>"
                   "<o:Title>Plan &amp; budget</o:Title>" +
                       List("o:Topics", {"Pricing", "Forecast"})));
    patch(kFolderPath + std::string("draft.txt"),
          Document("draft.txt",
                   "<p:documentstate>createdcheckedout</p:documentstate>"
                   "<p:IsCheckedOut>1</p:IsCheckedOut>"
                   "<p:checkedoutby>CORP\\smith</p:checkedoutby>"));
    patch(kFolderPath + std::string("secret.txt"),
          Document("secret.txt", "<D:ishidden>1</D:ishidden>"));
  }
};

TEST_F(ApacheDocumentsTest, ListsDocumentsWithStatusValuesAndTheirProfile) {
  engine::ServerClass1& e = docs_.DefaultServer();
  ASSERT_EQ(e.GetDocProfileInfo(), 1) << e.ErrorCode;
  ASSERT_EQ(e.GetProfileInfo(kFolder), 1);  // the profile the workspace lacks is left out
  std::string title;
  ASSERT_TRUE(e.GetProfile(0, title));
  EXPECT_EQ(title, "Memo");
  EXPECT_EQ(e.GetDefaultProfile(kFolder), kMemo);

  ASSERT_EQ(e.GetPropertyInfo("Memo"), 2) << e.ErrorCode;
  std::string description, type, values;
  bool required = false;
  int16_t index = 0, kind = 0;
  ASSERT_TRUE(e.GetProperty(index, title, description, required, type, values, kind));
  EXPECT_TRUE(required);
  EXPECT_EQ(kind, 4);
  ASSERT_TRUE(e.GetProperty(index = 1, title, description, required, type, values, kind));
  EXPECT_EQ(title + "|" + type + "|" + values, "Topics|List|Pricing,Forecast");
  EXPECT_EQ(kind, 2);

  // Apache lists in its own order; hidden documents are left out.
  ASSERT_EQ(e.GetFileInfo(kFolder), 2) << e.ErrorCode;
  std::map<std::string, int16_t> statuses;
  std::map<std::string, std::vector<std::string>> contents;
  for (int16_t i = 0; i < 2; ++i) {
    std::string name, profile;
    bool read_only = true;
    int16_t status = -1;
    ASSERT_TRUE(e.GetFileData(i, name, read_only, status));
    EXPECT_FALSE(read_only);
    statuses[name] = status;
    int16_t n = e.GetFileContentInfo(i, profile);
    EXPECT_EQ(profile, "Memo");
    for (int16_t j = 0; j < n; ++j) {
      std::string property, data;
      bool multi = false;
      ASSERT_TRUE(e.GetFileContent(j, property, multi, data));
      contents[name].push_back(property + (multi ? "*=" : "=") + data);
    }
  }
  EXPECT_EQ(statuses, (std::map<std::string, int16_t>{{kPlan, 1}, {"draft.txt", 2}}));
  EXPECT_EQ(contents[kPlan],
            (std::vector<std::string>{"Title=Plan & budget", "Topics*=Pricing,Forecast"}));
  EXPECT_EQ(contents["draft.txt"], (std::vector<std::string>{"Title=", "Topics*="}));
  EXPECT_EQ(e.IsFileStatus(kFolder, "draft.txt"), 2);
  EXPECT_EQ(e.IsFileStatus(kFolder, kPlan), 1);
  EXPECT_EQ(e.IsFileStatus(kFolder, "missing.txt"), -1);
  EXPECT_EQ(e.IsFileStatus(kFolder, "secret.txt"), 0);  // hidden, but there
}

}  // namespace
}  // namespace orvex::automation
