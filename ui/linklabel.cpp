#include "ui/linklabel.h"

#include <QMouseEvent>

namespace qorv {

LinkLabel::LinkLabel(const QString& text, const QString& link, QWidget* parent)
    : QLabel(text, parent), m_link(link) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
  setPalette(palette);
  setCursor(Qt::PointingHandCursor);
  setToolTip(link);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked(m_link);
}

}  // namespace qorv
