#include "dialogs/progress.h"

#include <chrono>

#include "dialogs/connect_dialog.h"
#include "platform/transfer_progress.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/top_most.h"
#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

// Called by the operation's transfers as they go: the form stays painted
// and the window system gets its answers while the thread waits for the
// server. At most every 20 ms, so a fast upload is not slowed down.
void KeepWindowsAlive() {
  using Clock = std::chrono::steady_clock;
  thread_local Clock::time_point last;
  const Clock::time_point now = Clock::now();
  if (now - last < std::chrono::milliseconds(20)) return;
  last = now;
  ui::ProcessWindowEvents();
}

bool ShowAndWait(ConnectDialog& dialog, engine::ServerClass1& server) {
  dialog.Timer1().SetEnabled(true);
  ui::SetTopMost(dialog.form().hWnd());
  // Only while this form is up; a showing inside another keeps the outer
  // hook when it ends.
  struct Hook {
    platform::TransferProgressHook outer =
        platform::SetThreadTransferProgressHook(&KeepWindowsAlive);
    ~Hook() { platform::SetThreadTransferProgressHook(outer); }
  } hook;
  dialog.form().ShowModal();
  return server.TimerResult;
}

}  // namespace

bool RunConnectProgress(engine::ServerClass1& server) {
  ConnectDialog& dialog = ConnectDialog::Get();
  dialog.Label1().SetCaption(resources::LoadString(TextId::kConnectingWait));
  dialog.SetData(server, "open");
  return ShowAndWait(dialog, server);
}

bool RunUploadProgress(engine::ServerClass1& server, const std::string& Folder,
                       const std::string& LocalFolder, const std::string& File) {
  ConnectDialog& dialog = ConnectDialog::Get();
  dialog.SetData2(server, "save", Folder, LocalFolder, File);
  return ShowAndWait(dialog, server);
}

void ShowProgressText(TextId string_id) {
  if (ConnectDialog* dialog = ConnectDialog::IfCreated()) {
    const std::string text = resources::LoadString(string_id);
    dialog->Label1().SetCaption(text);
    dialog->form().Refresh();
    ui::EmitRecord({{"progress", {{"form", kConnectDialogName}, {"text", text}}}});
  }
}

}  // namespace orvex::dialogs
