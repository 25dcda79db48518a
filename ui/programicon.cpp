#include "ui/programicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qorv {

namespace {

QPixmap paint(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1f, 0x5f, 0x99));
  painter.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);

  QPainterPath tree;
  tree.moveTo(32, 14);
  tree.lineTo(32, 24);
  for (const int x : {16, 48}) {
    tree.moveTo(32, 24);
    tree.lineTo(x, 24);
    tree.lineTo(x, 34);
  }
  tree.moveTo(32, 24);
  tree.lineTo(32, 34);
  painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(tree);

  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(24, 8, 16, 8), 2, 2);
  for (const int x : {9, 25, 41}) painter.drawRoundedRect(QRectF(x, 34, 14, 8), 2, 2);
  painter.setPen(QPen(QColor(0xf2, 0xb1, 0x34), 4, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(14, 50), QPointF(50, 50));
  return pixmap;
}

}  // namespace

QIcon programIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(paint(size));
  return icon;
}

}  // namespace qorv
