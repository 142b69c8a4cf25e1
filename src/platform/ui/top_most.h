// SetTopMost: keeps a form above every other window, the way the window
// manager's topmost flag does. The form logic calls it with the form's
// native handle before showing the form.
#ifndef ORVEX_PLATFORM_UI_TOP_MOST_H_
#define ORVEX_PLATFORM_UI_TOP_MOST_H_

#include "platform/ui/form.h"

namespace orvex::ui {

// Makes the calling thread's form with `handle` topmost. A handle that is
// no form of this thread is ignored, as the window manager ignores one it
// does not know.
void SetTopMost(NativeHandle handle);

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_TOP_MOST_H_
