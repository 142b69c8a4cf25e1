#include "platform/qt/window_picture.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace orvex::qt {

bool SaveWindowPicture(QWidget& window, const std::string& path) {
  const QPixmap contents = window.grab();
  QFont font = window.font();
  font.setBold(true);
  const QFontMetrics metrics(font);
  const int bar = metrics.height() + 12;
  const qreal ratio = contents.devicePixelRatio();
  const int width = static_cast<int>(contents.width() / ratio);
  const int height = static_cast<int>(contents.height() / ratio);

  QImage picture(width + 2, height + bar + 1, QImage::Format_ARGB32);
  picture.fill(QColor(70, 76, 88));
  QPainter p(&picture);
  p.setFont(font);
  p.setPen(Qt::white);
  const bool closable = window.windowFlags() & Qt::WindowCloseButtonHint;
  const int close_room = closable ? bar : 0;
  const QRect title(10, 0, width - 20 - close_room, bar);
  p.drawText(title, Qt::AlignVCenter | Qt::AlignLeft,
             metrics.elidedText(window.windowTitle(), Qt::ElideRight, title.width()));
  if (closable) {
    const int c = bar / 2;
    const int r = bar / 5;
    const int x = width - c;
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(x - r, c - r, x + r, c + r);
    p.drawLine(x - r, c + r, x + r, c - r);
  }
  p.drawPixmap(QRect(1, bar, width, height), contents);
  p.end();
  return picture.save(QString::fromStdString(path), "PNG");
}

}  // namespace orvex::qt
