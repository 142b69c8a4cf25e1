// ConnectDialog: the progress form behind which a connect or an upload runs.
//
// It shows one line of text (Label1) and has no buttons: the person cannot
// cancel. The caller stores the engine and the run with SetData (connect,
// mode "open") or SetData2 (upload, mode "save"), enables Timer1 and shows
// the form modally. Timer1 (1 ms) fires once the form is up: Timer1_Timer
// disables it, runs the operation on the same thread, stores the result in
// the engine's TimerResult and hides the form, which ends the modal showing.
//
// One form per thread, created on first use and only hidden afterwards, so
// its fields keep the last run's values until the next SetData/SetData2.
#ifndef ORVEX_DIALOGS_CONNECT_DIALOG_H_
#define ORVEX_DIALOGS_CONNECT_DIALOG_H_

#include <string>

#include "dialogs/form_instances.h"
#include "engine/server_class1.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/timer.h"

namespace orvex::dialogs {

inline constexpr char kConnectDialogName[] = "ConnectDialog";

class ConnectDialog {
 public:
  // This thread's form, created (and loaded) on first use.
  static ConnectDialog& Get() { return FormInstances::Get<ConnectDialog>(); }
  // This thread's form if it has been created, else nullptr.
  static ConnectDialog* IfCreated() { return FormInstances::IfCreated<ConnectDialog>(); }

  // Keeps `Server` (which must outlive the run) and `Mode`; caption
  // kConnectingCaption, Label1 kConnectingWait.
  void SetData(engine::ServerClass1& Server, const std::string& Mode);
  // Keeps all five; caption kUploadCaption, Label1 kPreparing.
  void SetData2(engine::ServerClass1& Server, const std::string& Mode, const std::string& Folder,
                const std::string& LocalFolder, const std::string& File);
  // The run: Timer1 off; mode "open" runs ConnectOpen, mode "save" runs
  // SaveFile(Folder, LocalFolder, File), each storing its result in
  // TimerResult; any other mode runs nothing. Modes compare exactly. The
  // form is hidden in every case.
  void Timer1_Timer();

  ui::Form& form() { return form_; }
  ui::Label& Label1() { return form_.label("Label1"); }
  ui::Timer& Timer1() { return form_.timer("Timer1"); }

  engine::ServerClass1* server() const { return server_; }
  const std::string& mode() const { return mode_; }
  const std::string& folder() const { return folder_; }
  const std::string& local_folder() const { return local_folder_; }
  const std::string& file() const { return file_; }

 private:
  friend struct FormInstances;
  ConnectDialog();
  void Form_Load() {}

  ui::Form form_;
  engine::ServerClass1* server_ = nullptr;
  std::string mode_;
  std::string folder_;
  std::string local_folder_;
  std::string file_;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_CONNECT_DIALOG_H_
