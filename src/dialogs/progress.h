// Running an engine operation behind the progress form, as the automation
// object does when its ShowDialog property is True.
//
// Each call: SetData/SetData2 on this thread's ConnectDialog, Timer1
// enabled, the form made topmost through its native handle, a modal
// showing; the result is then the engine's TimerResult. The connect also
// sets Label1 to the connecting text first. The operation's own failures are in the
// engine's ErrorCode, exactly as when it runs without the form.
//
// While an upload runs, the upload reports its steps on the form with
// ShowProgressText.
#ifndef ORVEX_DIALOGS_PROGRESS_H_
#define ORVEX_DIALOGS_PROGRESS_H_

#include <string>

#include "engine/server_class1.h"
#include "resources/text_id.h"

namespace orvex::dialogs {

// Matches automation::ConnectOrvex::ProgressRunner.
bool RunConnectProgress(engine::ServerClass1& server);
bool RunUploadProgress(engine::ServerClass1& server, const std::string& Folder,
                       const std::string& LocalFolder, const std::string& File);

// Sets the progress form's Label1 to string `string_id`, repaints it and
// records the new text for the thread's observer ({"progress": {"form",
// "text"}}); nothing when this thread's progress form has not been created.
void ShowProgressText(resources::TextId string_id);

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_PROGRESS_H_
