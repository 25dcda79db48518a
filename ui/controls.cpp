#include "ui/controls.h"

#include <QLabel>

namespace qorv {

QLabel* placeLabel(const QString& text, QWidget* parent, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace qorv
