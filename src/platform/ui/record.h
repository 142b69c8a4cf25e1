// Records of what a person was shown: a form as it appeared when it was
// shown modally, a message box with its answer. They are JSON objects, one
// per event, for the thread's observer (session.h) and the console.
//
// Form: {"name", "caption", "topmost", "focus" (control name or null),
//   "controls": [{"name", "kind", "enabled", "visible", and by kind:
//     label/button "caption"; textbox "text"; combobox "text", "items",
//     "listindex"; listbox "items": [{"text", "selected"}]; listview
//     "columns", "rows": [{"key", "text", "subitems", "selected"}];
//     treeview "nodes": [{"key", "text", "image", "parent" (key, or null
//     at the top), "expanded"}] in insertion order, "selected" (key or
//     null); timer "interval"; imagelist "keys"}]}
// Message box: {"text", "title", "style", "icon", "answer" ("ok", "yes", "no")}
#ifndef ORVEX_PLATFORM_UI_RECORD_H_
#define ORVEX_PLATFORM_UI_RECORD_H_

#include <cstdint>

#include <nlohmann/json.hpp>

#include "platform/ui/message_box.h"

namespace orvex::ui {

class Form;

nlohmann::json FormRecord(const Form& form);
nlohmann::json MessageBoxRecord(const MessageBoxRequest& request, int32_t answer);

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_RECORD_H_
