#include "dialogs/connect_dialog.h"

#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

ui::FormDeclaration Declaration() {
  ui::FormDeclaration d(kConnectDialogName);
  d.Label("Label1").Size(360, 0).Timer("Timer1", 1).NotClosable();
  return d;
}

}  // namespace

ConnectDialog::ConnectDialog() : form_(Declaration()) {
  form_.OnLoad([this] { Form_Load(); });
  Timer1().OnTimer([this] { Timer1_Timer(); });
}

void ConnectDialog::SetData(engine::ServerClass1& Server, const std::string& Mode) {
  server_ = &Server;
  mode_ = Mode;
  form_.SetCaption(resources::LoadString(TextId::kConnectingCaption));
  Label1().SetCaption(resources::LoadString(TextId::kConnectingWait));
}

void ConnectDialog::SetData2(engine::ServerClass1& Server, const std::string& Mode,
                             const std::string& Folder, const std::string& LocalFolder,
                             const std::string& File) {
  server_ = &Server;
  mode_ = Mode;
  folder_ = Folder;
  local_folder_ = LocalFolder;
  file_ = File;
  form_.SetCaption(resources::LoadString(TextId::kUploadCaption));
  Label1().SetCaption(resources::LoadString(TextId::kPreparing));
}

void ConnectDialog::Timer1_Timer() {
  Timer1().SetEnabled(false);
  if (server_ != nullptr) {
    if (mode_ == "open") {
      server_->TimerResult = server_->ConnectOpen();
    } else if (mode_ == "save") {
      server_->TimerResult = server_->SaveFile(folder_, local_folder_, file_);
    }
  }
  form_.Hide();
}

}  // namespace orvex::dialogs
