// Saves pictures of forms on the Qt toolkit, in English and Japanese, for
// the documentation: the progress form (connect and upload texts), a
// folder picker with its name entry, the profile dialog with a profile
// chosen and each of its four value editors, and the message boxes they
// raise. Each language runs in a process of its own, because a form loads
// its captions once, in the language of the thread that first uses it.
//
//   ui_screenshots DIR
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "dialogs/connect_dialog.h"
#include "dialogs/profile_dlg.h"
#include "engine/server_class1.h"
#include "platform/language.h"
#include "platform/ui/message_box.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/top_most.h"
#include "ui/sample_forms.h"

namespace {

using namespace orvex;

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
  auto agent = std::make_shared<ui::ScriptedAgent>();
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

  testing::PickerForm picker;
  agent->Plan("Picker", "click Sales/Reports/2001; press CreateButton; press CancelButton");
  agent->Plan("NameEntry", "type FolderName Q/3; press OKButton; press CancelButton");
  picker.Run();

  ShootProfileForms(*agent, language == "ja");

  agent->Answer("no");
  ui::MessageBox(language == "ja" ? "Reportsを削除しますか？" : "Reports is deleting.", 292,
                 language == "ja" ? "フォルダ削除の確認" : "Confirm the deleteing");
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
