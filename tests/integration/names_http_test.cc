// Names made of any characters a name may hold, over real HTTP: the sample
// store and its twin, whose workspaces, schema and categories folders,
// folders, documents, categories, profile titles and values are named with
// blanks, Japanese, accented Latin and & # % + ; = @ ', go through every
// family of operations. Both runs must read the same (once the twin's names
// are read back as the sample's), with the same error codes and the same
// requests.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "docstore/sample_store.h"
#include "integration/counting_proxy.h"
#include "integration/docstore_fixture.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "support/temp_dir.h"

namespace orvex::testing {
namespace {

using Json = nlohmann::json;
using Names = std::vector<std::pair<std::string, std::string>>;

// The twin's name for each name of the sample store (and of what the
// operations below create). "%41" and "%25" stay literal in a name: read
// twice, they would turn into "A" and "%".
const Names& TwinNames() {
  static const Names names = {
      {"Sales", "営業 & Ærø #1"},
      {"Legal", "Légal %20"},
      {"Schema", "Schéma 100%"},
      {"Categories", "Catégories+;=@'"},
      {"Reports", "Reports 報告 %41"},
      {"2001", "2001 Ḱ'"},
      {"Documents", "Dokumente #&"},
      {"Archive", "Archiv @=;"},
      {"Contracts", "Contrats & 契約"},
      {"Opinions", "Avis #2"},
      {"forecast.txt", "forecast 予測%.txt"},
      {"q1.txt", "q1 + q2.txt"},
      {"pricing.txt", "pricing & co #2.txt"},
      {"welcome.txt", "Ærø welcome.txt"},
      {"old-report.txt", "old report;1=2.txt"},
      {"readme.txt", "read me 読んで.txt"},
      {"nda.txt", "nda @ 秘密.txt"},
      {"Europe", "Europe & Ærø"},
      {"France", "France #%25"},
      {"Asia", "アジア +=@'"},
      {"Memo", "Mémo & 覚書 #"},
      {"Department", "Département 部署"},
      {"Pricing", "Prix & 価格 %"},
      {"Forecast", "Prévision #3"},
      {"Sales forecast", "Prévision 予測 100% & co"},
      {"up.txt", "up load 上げ #50%.txt"},
      {"moved.txt", "moved @;=+'.txt"},
      {"Plans", "Plans & Pläne %25"},
      {"Plans2", "Plans ² 計画"},
      {"Nordic", "Nørdic ノルド #"},
      {"Nordic2", "Nørdic 2 %"},
      {"alpha", "alpha & α"},
      {"beta", "béta #%"},
  };
  return names;
}

// Every string of `json` that is a name in `names` becomes its twin.
void Rename(Json& json, const Names& names) {
  if (json.is_string()) {
    for (const auto& [from, to] : names)
      if (json.get<std::string>() == from) json = to;
  } else if (json.is_structured()) {
    for (Json& child : json) Rename(child, names);
  }
}

// `text` with every twin name read back as the sample's, longest first.
std::string ReadBack(std::string text, const Names& names) {
  Names order = names;
  std::sort(order.begin(), order.end(),
            [](const auto& a, const auto& b) { return a.second.size() > b.second.size(); });
  for (const auto& [from, to] : order)
    for (size_t at = text.find(to); at != std::string::npos; at = text.find(to, at + from.size()))
      text.replace(at, to.size(), from);
  return text;
}

std::string Text(const Variant& v) {
  if (!v.IsArray()) return v.ToString();
  std::string out;
  for (const Variant& e : v.array()) out += (out.empty() ? "" : ",") + e.ToString();
  return out;
}

class NamesHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    ScriptForms();
    ui::SetObserver([this](const Json& r) {
      if (r.contains("form")) Log("form " + r["form"].dump());
    });
  }

  // The sample store with each name replaced by names_'s, its schema and
  // categories folders named explicitly.
  std::string Seed() const {
    Json seed = Json::parse(docstore::SampleStoreJson());
    for (Json& w : seed["workspaces"]) {
      w["schema_folder"] = "Schema";
      w["categories_folder"] = "Categories";
    }
    Rename(seed, names_);
    return seed.dump();
  }

  std::string N(const std::string& name) const {
    for (const auto& [from, to] : names_)
      if (from == name) return to;
    return name;
  }

  void Log(const std::string& line) { log_.push_back(ReadBack(line, names_)); }

  // Calls `name` with `args`, logging the arguments (by-reference outputs
  // filled in), the result, the error code and the requests it cost.
  Variant Do(std::string_view name, std::vector<Variant> args = {}) {
    proxy_->Reset();
    Variant result = Call(*obj_, name, args);
    std::string line(name);
    for (const Variant& a : args) line += " [" + Text(a) + "]";
    line += " = " + Text(result) + " e" + std::to_string(obj_->GetLastError()) + " (";
    for (const std::string& m : proxy_->methods()) line += " " + m;
    Log(line + " )");
    return result;
  }

  // An ...Info call, then its row reader (with `outputs` by-reference
  // arguments) for every row it counted.
  void Rows(std::string_view info, std::vector<Variant> args, std::string_view row, int outputs) {
    const int16_t count = Do(info, std::move(args)).ToInt16();
    for (int16_t i = 0; i < count; ++i) {
      std::vector<Variant> a{Variant(i)};
      a.resize(static_cast<size_t>(outputs) + 1);
      Do(row, std::move(a));
    }
  }

  // Every family of operations on the store seeded with the twin names
  // `names` (none: the sample store itself), as one log.
  std::vector<std::string> Run(const Names& names) {
    names_ = names;
    log_.clear();
    StartStore(Seed());
    proxy_ = std::make_unique<CountingProxy>(store_->port(), TlsCertificate());
    Reach("docs", proxy_->port());
    obj_ = NewObject();
    auto& p = obj_->Properties();
    const std::string sales = N("Sales"), reports = N("Reports");
    const auto S = [](const std::string& s) { return Variant(s); };

    // Workspaces, folders and their walks.
    EXPECT_TRUE(obj_->ConnectOpen("docs", "jones", "CORP", "secret"));
    Rows("GetWorkspaceInfo", {}, "GetWorkspace", 2);
    Do("SetWorkspace", {S(sales)});
    Rows("GetDocFolderInfo", {S("")}, "GetDocFolder", 3);
    Rows("GetDocFolderInfo", {S(reports)}, "GetDocFolder", 3);
    for (const char* f : {"Reports", "Archive", "Documents"}) Do("IsVersionFolder", {S(N(f))});
    Do("IsVersionFolder", {S(reports + "/" + N("2001"))});
    Do("CreateFolder", {S(N("Plans")), Variant(true)});
    Do("CreateFolder", {S(N("Plans") + "/" + N("Nordic")), Variant(false)});
    Do("ChangeFolderName", {S(N("Plans")), S(N("Plans2"))});
    Rows("GetDocFolderInfo", {S(N("Plans2"))}, "GetDocFolder", 3);
    Do("DeleteFolder", {S(N("Plans2"))});

    // Profiles and property definitions, through the schema location.
    Rows("GetDocProfileInfo", {}, "GetDocProfile", 1);
    Rows("GetProfileInfo", {S(reports)}, "GetProfile", 1);
    Do("GetDefaultProfile", {S(reports)});
    Rows("GetPropertyInfo", {S(N("Memo"))}, "GetProperty", 6);

    // Documents: listings with their values and status, status checks,
    // history.
    for (const std::string& folder : {reports, N("Documents"), N("Archive"), std::string()}) {
      const int16_t n = Do("GetFileInfo", {S(folder)}).ToInt16();
      for (int16_t i = 0; i < n; ++i) {
        Do("GetFileData", {Variant(i), {}, {}, {}});
        const int16_t values = Do("GetFileContentInfo", {Variant(i), {}}).ToInt16();
        for (int16_t k = 0; k < values; ++k) Do("GetFileContent", {Variant(k), {}, {}, {}});
      }
    }
    for (const char* f : {"forecast.txt", "q1.txt", "pricing.txt", "missing.txt"})
      Do("IsFileStatus", {S(reports), S(N(f))});
    Rows("GetHistoryInfo", {S(reports), S(N("forecast.txt"))}, "GetHistory", 5);

    // Upload, check-out, check-in, publishing, rename, delete.
    std::ofstream(dir_ / N("up.txt")) << "content\n";
    p.Title = N("Sales forecast");
    p.Keywords = N("alpha") + "," + N("beta");
    p.AddCheckIn = true;
    p.CheckInComment = N("Forecast");
    Do("SaveFile", {S(reports), S(dir_.string()), S(N("up.txt"))});
    Do("Publish", {S(reports), S(N("up.txt"))});
    Do("CheckOut", {S(reports), S(N("up.txt"))});
    Do("IsFileStatus", {S(reports), S(N("up.txt"))});
    Do("CheckIn", {S(reports), S(N("up.txt"))});
    Do("ChangeFileName", {S(reports), S(N("up.txt")), S(N("moved.txt"))});
    Rows("GetFileInfo", {S(reports)}, "GetFileData", 3);
    Do("GetFileContentInfo", {Variant(int16_t{3}), {}});
    for (int16_t k = 0; k < 4; ++k) Do("GetFileContent", {Variant(k), {}, {}, {}});
    Do("DeleteFile", {S(reports), S(N("moved.txt"))});

    // The profile dialog on an upload (Memo chosen, a department picked
    // from its dictionary) and on a check-in.
    p.ShowProfileDialog = true;
    agent_->Plan("ProfileDlg",
                 "choose " + N("Memo") + "; dblclick " + N("Department") + "; press OKButton");
    agent_->Plan("PropertyCmbDlg", "choose " + N("Legal") + "; press OKButton");
    agent_->Plan("ProfileDlg", "press OKButton");
    Do("SaveFile", {S(reports), S(dir_.string()), S(N("up.txt"))});
    Do("CheckOut", {S(reports), S(N("up.txt"))});
    agent_->Plan("ProfileDlg", "press OKButton");
    Do("CheckIn", {S(reports), S(N("up.txt"))});
    p.ShowProfileDialog = false;
    Do("GetFileInfo", {S(reports)});
    Do("GetFileContentInfo", {Variant(int16_t{3}), {}});
    for (int16_t k = 0; k < 7; ++k) Do("GetFileContent", {Variant(k), {}, {}, {}});

    // Categories.
    Rows("GetCategoryInfo", {S("")}, "GetCategory", 4);
    Rows("GetCategoryInfo", {S(N("Europe"))}, "GetCategory", 4);
    Do("CreateCategory", {S(N("Nordic"))});
    Do("CreateCategory", {S(N("Europe") + "/" + N("Nordic"))});
    Do("ChangeCategoryName", {S(N("Nordic")), S(N("Nordic2"))});
    Rows("GetCategoryInfo", {S("")}, "GetCategory", 4);
    Do("DeleteCategory", {S(N("Nordic2"))});
    Do("DeleteCategory", {S(N("Europe") + "/" + N("Nordic"))});

    // The selection dialogs, each confirming a node.
    agent_->Plan("WorkspaceDlgA", "click " + N("Legal") + "; press OKButton");
    Do("WorkspaceDialogA");
    agent_->Plan("FolderDlgA",
                 "click " + sales + "/" + reports + "/" + N("2001") + "; press OKButton");
    Do("FolderDialogA");
    agent_->Plan("FolderDlgB", "click " + N("Legal") + "/" + N("Contracts") + "; press OKButton");
    Do("FolderDialogB");
    Do("SetWorkspace", {S(sales)});
    agent_->Plan("CategoryDlgA", "click " + N("France") + "; press OKButton");
    Do("CategoryDialogA");
    Log("selected [" + p.SelectWorkspace + "] [" + p.SelectFolder + "] [" + p.SelectCategory + "]");
    for (const std::string& problem : agent_->problems()) Log("problem " + problem);

    obj_.reset();
    Reach("docs", store_->port());
    proxy_.reset();
    return log_;
  }

  TempDir temp_{"names"};
  std::filesystem::path dir_ = temp_.path();
  Names names_;
  std::vector<std::string> log_;
  std::unique_ptr<CountingProxy> proxy_;
  std::unique_ptr<automation::ConnectOrvex> obj_;
};

TEST_F(NamesHttpTest, EveryFamilyReadsTheSameWhateverCharactersTheNamesHold) {
  const std::vector<std::string> sample = Run({});
  const std::vector<std::string> twin = Run(TwinNames());
  EXPECT_EQ(twin.size(), sample.size());
  for (size_t i = 0; i < std::min(sample.size(), twin.size()); ++i)
    EXPECT_EQ(twin[i], sample[i]) << i;

  // The sample run itself works: the operations above are not all failing
  // alike.
  auto logged = [&](const std::string& line) {
    return std::find(sample.begin(), sample.end(), line) != sample.end();
  };
  for (const char* line : {"SetWorkspace [Sales] = True e0 ( PROPFIND )",
                           "IsFileStatus [Reports] [pricing.txt] = 2 e0 ( PROPFIND )",
                           "selected [Legal] [Contracts] [Europe:France]"})
    EXPECT_TRUE(logged(line)) << line;
}

}  // namespace
}  // namespace orvex::testing
