// Saves pictures of forms on the Qt toolkit, in English and Japanese, for
// the documentation: the progress form (connect and upload texts), the
// folder, workspace, cross-workspace and category selection dialogs over a sample
// server with the new-folder entry, the profile dialog with a profile
// chosen and each of its four value editors, and the message boxes they
// raise. Each language runs in a process of its own, because a form loads
// its captions once, in the language of the thread that first uses it.
//
//   ui_screenshots DIR
//
// DIR/en and DIR/ja receive NNN-Name.png for every form as it first shows
// and every message box, and NAME-used.png for the selection forms as the
// person leaves them (branches opened, a folder selected).
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>

#include "automation/connect_orvex.h"
#include "dialogs/connect_dialog.h"
#include "dialogs/profile_dlg.h"
#include "engine/server_class1.h"
#include "fakes/fake_backend.h"
#include "platform/dispatch.h"
#include "platform/language.h"
#include "platform/ui/message_box.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/top_most.h"
#include "server/names.h"

namespace {

using namespace orvex;

// A scripted person who, when a showing's plan is used up, saves a picture
// of the form as it is then (before it closes as cancelled).
class PicturingAgent : public ui::ScriptedAgent {
 public:
  explicit PicturingAgent(std::filesystem::path dir) : dir_(std::move(dir)) {}

  std::optional<ui::Action> NextAction(const ui::Form& form) override {
    std::optional<ui::Action> next = ScriptedAgent::NextAction(form);
    if (!next) {
      auto it = pictures_.find(form.name());
      if (it != pictures_.end() && !it->second.empty()) {
        ui::Form* shown = ui::Form::FromHandle(form.hWnd());
        if (shown != nullptr) shown->view().SaveScreenshot((dir_ / it->second.front()).string());
        it->second.erase(it->second.begin());
      }
    }
    return next;
  }
  // The next showing of `form` that runs out of plan is pictured as `file`.
  void Picture(const std::string& form, const std::string& file) {
    pictures_[form].push_back(file);
  }

 private:
  std::filesystem::path dir_;
  std::map<std::string, std::vector<std::string>> pictures_;
};

// Names of the samples in the language being pictured, so that each picture
// shows what a person working in that language sees.
class Names {
 public:
  explicit Names(bool japanese) : japanese_(japanese) {}
  std::string operator()(const char* english, const char* japanese) const {
    return japanese_ ? japanese : english;
  }

 private:
  bool japanese_;
};

// A sample server "docs": workspaces Sales, Legal and Board; Sales holds
// enhanced and standard folders three levels deep, and categories three
// levels deep.
std::shared_ptr<testing::FakeBackend> SampleServer(const Names& n) {
  auto backend = std::make_shared<testing::FakeBackend>();
  const std::string root = "http://docs/Public/Workspaces";
  const std::string categories = n("Categories", "カテゴリ");
  backend->AddItem(root, {}, false);
  for (const std::string& name : {n("Sales", "営業"), n("Legal", "法務"), n("Board", "役員会")}) {
    const std::string url = "http://docs/" + name;
    backend->AddItem(url,
                     {{server::kPropCategoriesFolder, Variant(categories)},
                      {server::kPropSchemaCollectionRef, Variant(url + "/Schema")}},
                     false);
    backend->listings[root].push_back(server::Fields({{server::kColParseName, Variant(name)}}));
  }
  auto folder = [&](const std::string& parent, const std::string& name, bool enhanced,
                    bool has_subs) {
    backend->AddItem("http://docs/" + parent + "/" + name,
                     {{server::kColDisplayName, Variant(name)},
                      {server::kColContentClass, Variant(enhanced ? server::kClassSmartFolder
                                                                  : server::kClassKnowledgeFolder)},
                      {server::kPropHasSubs, Variant(has_subs)}});
  };
  const std::string sales = n("Sales", "営業"), legal = n("Legal", "法務");
  const std::string reports = sales + "/" + n("Reports", "報告書");
  const std::string archive = sales + "/" + n("Archive", "保管庫");
  const std::string contracts = legal + "/" + n("Contracts", "契約書");
  folder(sales, n("Reports", "報告書"), true, true);
  folder(reports, "2001", true, true);
  folder(reports + "/2001", n("First quarter", "第1四半期"), true, false);
  folder(reports + "/2001", n("Second quarter", "第2四半期"), true, false);
  folder(reports, "2002", true, false);
  folder(sales, n("Documents", "文書"), true, false);
  folder(sales, n("Archive", "保管庫"), false, true);
  folder(archive, "2000", false, true);
  folder(archive + "/2000", n("Letters", "書簡"), false, false);
  folder(legal, n("Contracts", "契約書"), true, true);
  folder(contracts, n("Suppliers", "仕入先"), true, false);
  folder(legal, n("Opinions", "意見書"), false, false);
  folder(n("Board", "役員会"), n("Minutes", "議事録"), true, false);
  // Categories of Sales, three levels deep.
  const std::string category_root = "http://docs/" + sales + "/" + categories;
  auto category = [&](const std::string& parent, const std::string& name, bool has_subs) {
    backend->AddItem(category_root + (parent.empty() ? "" : "/" + parent) + "/" + name,
                     {{server::kColDisplayName, Variant(name)},
                      {server::kColContentClass, Variant(server::kClassCategoryFolder)},
                      {server::kPropHasSubs, Variant(has_subs)}});
  };
  backend->AddItem(category_root, {}, false);
  const std::string europe = n("Europe", "ヨーロッパ"), asia = n("Asia", "アジア");
  const std::string france = europe + "/" + n("France", "フランス");
  category("", europe, true);
  category(europe, n("France", "フランス"), true);
  category(france, n("Paris", "パリ"), false);
  category(france, n("Lyon", "リヨン"), false);
  category(europe, n("Germany", "ドイツ"), false);
  category("", asia, true);
  category(asia, n("Japan", "日本"), true);
  category(asia + "/" + n("Japan", "日本"), n("Tokyo", "東京"), false);
  category("", n("Americas", "南北アメリカ"), false);
  return backend;
}

Variant Call(automation::ConnectOrvex& o, const std::string& name, std::vector<Variant> args = {}) {
  return o.Invoke(*o.GetIdOfName(name), InvokeKind::kMethod, args);
}

std::shared_ptr<records::PropertyClass1> Property(const std::string& name, const std::string& kind,
                                                  bool required,
                                                  std::vector<std::string> dictionary,
                                                  std::string value) {
  auto p = std::make_shared<records::PropertyClass1>();
  p->URI = "urn:schemas-microsoft-com:office:office#" + name;
  p->PropertyName = name;
  p->Kind = kind;
  p->IsRequired = required;
  p->Value = std::move(value);
  if (!dictionary.empty()) {
    VariantArray values;
    for (auto& v : dictionary) values.emplace_back(v);
    p->DictionaryCount = static_cast<int16_t>(values.size());
    p->DictionaryValues = Variant(std::move(values));
  }
  return p;
}

// The profile dialog as an upload opens it, then each editor from its rows,
// and the notice of a required value left empty.
void ShootProfileForms(ui::ScriptedAgent& agent, bool japanese) {
  auto name = [japanese](const char* en, const char* ja) { return japanese ? ja : en; };
  records::PropertyRecords properties = {
      Property(name("Title", "タイトル"), "Text", true, {}, name("Quarterly plan", "四半期計画")),
      Property(name("Client", "顧客"), "Text", true, {}, ""),
      Property(name("Keywords", "キーワード"), "List", false,
               {name("budget", "予算"), name("sales", "販売"), name("plan", "計画")},
               name("budget,plan,2001", "予算,計画,2001")),
      Property(name("Status", "状態"), "List", false,
               {name("Draft", "草案"), name("Final", "最終")}, name("Final", "最終")),
      Property(name("Comments", "コメント"), "Comment box", false, {},
               name("Signed by both parties.\nFiled with the March contracts.",
                    "双方が署名済み。\n3月の契約書と一緒に保管。")),
  };
  properties[2]->IsMultivalued = true;
  records::ProfileRecords profiles;
  for (auto [title, is_default] :
       {std::pair{name("Contract", "契約書"), true}, std::pair{name("Minutes", "議事録"), false}}) {
    auto p = std::make_shared<records::ProfileClass1>();
    p->NewClass(std::string("urn:content-classes:") + title, title, true);
    p->bDefault = is_default;
    for (const auto& property : properties) p->AddProperty(property->PropertyName);
    profiles.push_back(p);
  }
  const std::string rows = std::string("dblclick ") + name("Title", "タイトル") + "; dblclick " +
                           name("Keywords", "キーワード") + "; dblclick " + name("Status", "状態") +
                           "; dblclick " + name("Comments", "コメント") + "; press OKButton; close";
  agent.Plan("ProfileDlg", rows);
  for (const char* editor :
       {"PropertyEditDlg", "PropertyListDlg", "PropertyCmbDlg", "PropertyCommentDlg"})
    agent.Plan(editor, "close");

  engine::ServerClass1 engine(nullptr);
  dialogs::ProfileDlg& dialog = dialogs::ProfileDlg::Get();
  dialog.SetData(engine, "Sales", profiles, properties, true);
  ui::SetTopMost(dialog.form().hWnd());
  dialog.form().ShowModal();
}

void Shoot(const std::filesystem::path& dir, const std::string& language) {
  platform::SetThreadLanguage(language == "ja" ? platform::kLangJapanese : platform::kLangEnglish);
  const std::filesystem::path sub = dir / language;
  std::filesystem::create_directories(sub);
  ui::SetScreenshotDirectory(sub.string());
  auto agent = std::make_shared<PicturingAgent>(sub);
  ui::SetUserAgent(agent);

  // The progress form, once with the connect texts and once with the upload
  // texts; the mode runs nothing, so no server is needed.
  engine::ServerClass1 engine(nullptr);
  dialogs::ConnectDialog& progress = dialogs::ConnectDialog::Get();
  progress.SetData(engine, "none");
  progress.Timer1().SetEnabled(true);
  progress.form().ShowModal();
  progress.SetData2(engine, "none", "Reports", "/tmp", "a.txt");
  progress.Timer1().SetEnabled(true);
  progress.form().ShowModal();

  // The selection dialogs over the sample server: each pictured as it
  // opens and as the person leaves it, with branches opened and a node
  // selected, and with the boxes its Create and Delete raise.
  const Names n(language == "ja");
  automation::ConnectOrvex cx(SampleServer(n));
  cx.Properties().ShowDialog = false;
  cx.ConnectOpen("docs", "jones", "CORP", "secret");
  const std::string sales = n("Sales", "営業");
  Call(cx, "SetWorkspace", {Variant(sales)});

  const std::string reports = sales + "/" + n("Reports", "報告書");
  agent->Plan("FolderDlgA", "click " + reports + "/2001/" + n("Second quarter", "第2四半期") +
                                "; click " + sales + "/" + n("Archive", "保管庫") + "/2000/" +
                                n("Letters", "書簡") + "; click " + reports +
                                "/2001; press CreateButton; answer no; press DeleteButton");
  agent->Picture("FolderDlgA", "FolderDlgA-used.png");
  agent->Plan("DocFolderDlgA",
              "type FolderName Q/3; press OKButton; clear FolderName; "
              "type FolderName " +
                  n("Third quarter", "第3四半期"));
  agent->Picture("DocFolderDlgA", "DocFolderDlgA-used.png");
  Call(cx, "FolderDialogA");

  agent->Plan("WorkspaceDlgA", "click " + n("Legal", "法務"));
  agent->Picture("WorkspaceDlgA", "WorkspaceDlgA-used.png");
  Call(cx, "WorkspaceDialogA");

  agent->Plan("FolderDlgB", "click " + reports + "/2001/" + n("First quarter", "第1四半期") +
                                "; click " + n("Legal", "法務") + "/" + n("Contracts", "契約書"));
  agent->Picture("FolderDlgB", "FolderDlgB-used.png");
  Call(cx, "FolderDialogB");

  const std::string europe = n("Europe", "ヨーロッパ"), france = n("France", "フランス");
  agent->Plan("CategoryDlgA", "click " + europe + "/" + france + "/" + n("Lyon", "リヨン") +
                                  "; click " + n("Asia", "アジア") + "/" + n("Japan", "日本") +
                                  "/" + n("Tokyo", "東京") + "; click " + europe + "/" + france +
                                  "; press CreateButton; answer no; press DeleteButton");
  agent->Picture("CategoryDlgA", "CategoryDlgA-used.png");
  agent->Plan("CatFolderDlgA", "type CategoryName " + n("Lyon/Est", "リヨン/東") +
                                   "; press OKButton; clear CategoryName; type CategoryName " +
                                   n("Marseille", "マルセイユ"));
  agent->Picture("CatFolderDlgA", "CatFolderDlgA-used.png");
  Call(cx, "CategoryDialogA");

  ShootProfileForms(*agent, language == "ja");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: ui_screenshots DIR\n";
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int status = 0;
  for (const char* language : {"en", "ja"}) {
    const pid_t child = fork();
    if (child == 0) {
      ui::UseToolkit("qt");
      Shoot(argv[1], language);
      return 0;
    }
    int child_status = 0;
    if (child < 0 || waitpid(child, &child_status, 0) != child || child_status != 0) status = 1;
  }
  return status;
}
