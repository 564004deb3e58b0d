#include "uploader/FormIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include <iterator>

#include "uploader/IconShape.h"

namespace {

QPolygonF polygon(const IconPoint* points, size_t count) {
  QPolygonF shape;
  for (size_t i = 0; i < count; ++i) shape << QPointF(points[i].x, points[i].y);
  return shape;
}

QPixmap drawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / double(kIconGrid), size / double(kIconGrid));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(QRgb(kIconTileColour)));
  p.drawRoundedRect(QRectF(kIconTileLeft, kIconTileLeft, kIconTileSize, kIconTileSize),
                    kIconTileRadius, kIconTileRadius);
  p.setBrush(Qt::white);
  p.drawPolygon(polygon(kIconSheet, std::size(kIconSheet)));
  p.setBrush(QColor(QRgb(kIconArrowColour)));
  p.drawPolygon(polygon(kIconArrow, std::size(kIconArrow)));
  return pixmap;
}

}  // namespace

QIcon MakeFormIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(drawIcon(size));
  return icon;
}
