#include "dialogs/progress.h"

#include "dialogs/connect_dialog.h"
#include "platform/ui/session.h"
#include "platform/ui/top_most.h"
#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

constexpr int kTextConnect = 101;

bool ShowAndWait(ConnectDialog& dialog, engine::ServerClass1& server) {
  dialog.Timer1().SetEnabled(true);
  ui::SetTopMost(dialog.form().hWnd());
  dialog.form().ShowModal();
  return server.TimerResult;
}

}  // namespace

bool RunConnectProgress(engine::ServerClass1& server) {
  ConnectDialog& dialog = ConnectDialog::Get();
  dialog.Label1().SetCaption(resources::LoadString(kTextConnect));
  dialog.SetData(server, "open");
  return ShowAndWait(dialog, server);
}

bool RunUploadProgress(engine::ServerClass1& server, const std::string& Folder,
                       const std::string& LocalFolder, const std::string& File) {
  ConnectDialog& dialog = ConnectDialog::Get();
  dialog.SetData2(server, "save", Folder, LocalFolder, File);
  return ShowAndWait(dialog, server);
}

void ShowProgressText(int string_id) {
  if (ConnectDialog* dialog = ConnectDialog::IfCreated()) {
    const std::string text = resources::LoadString(string_id);
    dialog->Label1().SetCaption(text);
    dialog->form().Refresh();
    ui::EmitRecord({{"progress", {{"form", kConnectDialogName}, {"text", text}}}});
  }
}

}  // namespace orvex::dialogs
