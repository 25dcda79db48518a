#include "ui/controls.h"

#include <QGroupBox>
#include <QLabel>

namespace qorv {

QLabel* placeLabel(const QString& text, QWidget* parent, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QString accessibleNameFor(const QString& caption) {
  QString name;
  name.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    // "&X" stands for X, "&&" for "&".
    if (caption[i] == u'&' && ++i == caption.size()) break;
    name += caption[i];
  }
  name = name.trimmed();
  if (name.endsWith(u':')) name.chop(1);
  return name.trimmed();
}

void nameAfterGroup(QWidget* control, const QGroupBox* group) {
  control->setAccessibleName(accessibleNameFor(group->title()));
}

}  // namespace qorv
