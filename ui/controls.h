#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QWidget;

namespace qorv {

/// A label at its designed place, as wide as its text.
QLabel* placeLabel(const QString& text, QWidget* parent, int left, int top);

/// Gives a window's part the name of the member that holds it, so that
/// tests and tools find it with findChild.
template <class Object>
Object* named(Object* object, const char* memberName) {
  object->setObjectName(QString::fromLatin1(memberName));
  return object;
}

}  // namespace qorv
