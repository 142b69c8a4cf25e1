// Saves pictures of forms on the Qt toolkit, in English and Japanese, for
// the documentation: the progress form (connect and upload texts), a
// folder picker with its name entry, an editor with the list controls, and
// the message boxes they raise.
//
//   ui_screenshots DIR
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "dialogs/connect_dialog.h"
#include "engine/server_class1.h"
#include "platform/language.h"
#include "platform/ui/message_box.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "ui/sample_forms.h"

namespace {

using namespace orvex;

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
  // The editor as a person leaves it: shown again without being reset.
  testing::EditorForm editor;
  agent->Plan("Editor",
              "choose Contract; dblclick Title; toggle blue; type Memo first line; key Memo enter; "
              "type Memo second line; press OKButton");
  editor.Run();
  agent->Plan("Editor", "press OKButton");
  editor.form.ShowModal();

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
  ui::UseToolkit("qt");
  for (const char* language : {"en", "ja"}) Shoot(argv[1], language);
  return 0;
}
