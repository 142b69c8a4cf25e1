#include "platform/qt/window_picture.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace orvex::qt {
namespace {

constexpr int kTitleMargin = 10;

// The geometry of a window's title bar at a given width.
struct TitleBar {
  explicit TitleBar(const QWidget& window) : font(window.font()), metrics(font) {
    font.setBold(true);
    metrics = QFontMetrics(font);
    height = metrics.height() + 12;
    close_room = (window.windowFlags() & Qt::WindowCloseButtonHint) ? height : 0;
  }
  // The room the title text gets in a bar `width` pixels wide.
  QRect TitleRect(int width) const {
    return QRect(kTitleMargin, 0, width - 2 * kTitleMargin - close_room, height);
  }
  QString Shown(const QString& title, int width) const {
    return metrics.elidedText(title, Qt::ElideRight, TitleRect(width).width());
  }

  QFont font;
  QFontMetrics metrics;
  int height = 0;
  int close_room = 0;
};

}  // namespace

int TitleBarWidth(const QWidget& window) {
  const TitleBar bar(window);
  // One pixel to spare: elidedText keeps a text only when it fits with room.
  return bar.metrics.horizontalAdvance(window.windowTitle()) + 2 * kTitleMargin + bar.close_room +
         1;
}

QString ShownTitle(const QWidget& window) {
  return TitleBar(window).Shown(window.windowTitle(), window.width());
}

bool SaveWindowPicture(QWidget& window, const std::string& path) {
  const QPixmap contents = window.grab();
  const TitleBar bar(window);
  const qreal ratio = contents.devicePixelRatio();
  const int width = static_cast<int>(contents.width() / ratio);
  const int height = static_cast<int>(contents.height() / ratio);

  QImage picture(width + 2, height + bar.height + 1, QImage::Format_ARGB32);
  picture.fill(QColor(70, 76, 88));
  QPainter p(&picture);
  p.setFont(bar.font);
  p.setPen(Qt::white);
  p.drawText(bar.TitleRect(width), Qt::AlignVCenter | Qt::AlignLeft,
             bar.Shown(window.windowTitle(), width));
  if (bar.close_room > 0) {
    const int c = bar.height / 2;
    const int r = bar.height / 5;
    const int x = width - c;
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(x - r, c - r, x + r, c + r);
    p.drawLine(x - r, c + r, x + r, c - r);
  }
  p.drawPixmap(QRect(1, bar.height, width, height), contents);
  p.end();
  return picture.save(QString::fromStdString(path), "PNG");
}

}  // namespace orvex::qt
