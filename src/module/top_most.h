// Keeping a dialog window above every other window.
#ifndef ORVEX_MODULE_TOP_MOST_H_
#define ORVEX_MODULE_TOP_MOST_H_

#include <cstdint>

namespace orvex::module {

// Makes the window `hWnd` topmost without moving or resizing it; the
// outcome is not reported (a handle that names no window is ignored).
void SetTopMost(int32_t& hWnd);

}  // namespace orvex::module

#endif  // ORVEX_MODULE_TOP_MOST_H_
