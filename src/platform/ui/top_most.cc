#include "platform/ui/top_most.h"

namespace orvex::ui {

void SetTopMost(NativeHandle handle) {
  if (Form* form = Form::FromHandle(handle)) form->SetTopMost(true);
}

}  // namespace orvex::ui
