#include "module/top_most.h"

#include "platform/ui/top_most.h"

namespace orvex::module {

void SetTopMost(int32_t& hWnd) { ui::SetTopMost(hWnd); }

}  // namespace orvex::module
