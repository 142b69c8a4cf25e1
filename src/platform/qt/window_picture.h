// Pictures of windows for screenshots: the window's contents as
// QWidget::grab renders them, under a plain title bar that shows the
// window's title (the frame itself belongs to the window manager and is
// not part of a grab).
#ifndef ORVEX_PLATFORM_QT_WINDOW_PICTURE_H_
#define ORVEX_PLATFORM_QT_WINDOW_PICTURE_H_

#include <string>

class QWidget;

namespace orvex::qt {

// Saves the picture of `window` as PNG at `path`; false when it cannot.
bool SaveWindowPicture(QWidget& window, const std::string& path);

}  // namespace orvex::qt

#endif  // ORVEX_PLATFORM_QT_WINDOW_PICTURE_H_
