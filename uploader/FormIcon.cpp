#include "uploader/FormIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace {

QPixmap drawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1f, 0x5f, 0xa8));
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
  // The sheet with a folded corner, and the arrow going up.
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygonF({{8, 6}, {19, 6}, {24, 11}, {24, 27}, {8, 27}}));
  p.setBrush(QColor(0xe8, 0x7a, 0x1e));
  p.drawPolygon(QPolygonF({{16, 10}, {21, 16}, {18, 16}, {18, 24}, {14, 24}, {14, 16}, {11, 16}}));
  return pixmap;
}

}  // namespace

QIcon MakeFormIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(drawIcon(size));
  return icon;
}
