// Pictures of windows for screenshots: the window's contents as
// QWidget::grab renders them, under a plain title bar that shows the
// window's title (the frame itself belongs to the window manager and is
// not part of a grab).
#ifndef ORVEX_PLATFORM_QT_WINDOW_PICTURE_H_
#define ORVEX_PLATFORM_QT_WINDOW_PICTURE_H_

#include <QString>
#include <string>

class QWidget;

namespace orvex::qt {

// Saves the picture of `window` as PNG at `path`; false when it cannot.
bool SaveWindowPicture(QWidget& window, const std::string& path);

// The width a window needs for its whole title to show in its title bar:
// the title in bold, the margins and the close box. Window managers draw
// titles about as wide, so windows are made at least this wide.
int TitleBarWidth(const QWidget& window);

// The title as the bar of a window of its present width shows it: whole,
// or cut short with an ellipsis.
QString ShownTitle(const QWidget& window);

}  // namespace orvex::qt

#endif  // ORVEX_PLATFORM_QT_WINDOW_PICTURE_H_
