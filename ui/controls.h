#pragma once

#include <QLabel>
#include <QObject>
#include <QString>

class QGroupBox;
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

/// What a screen reader calls the control that `caption` labels: the
/// caption without its access key marker ("&&" stays one "&"), the blanks
/// around it and a final colon.
QString accessibleNameFor(const QString& caption);

/// Ties `control` to the label beside it: the label becomes its buddy (its
/// access key, if any, focuses the control) and the control is named after
/// the caption. Controls that share one label tell themselves apart by
/// `part` ("dátum", "čas"), which follows the caption; the label's buddy is
/// the first of them.
template <class Control>
Control* labelled(QLabel* label, Control* control, const QString& part = {}) {
  if (!label->buddy()) label->setBuddy(control);
  QString name = accessibleNameFor(label->text());
  if (!part.isEmpty()) name += QLatin1Char(' ') + part;
  control->setAccessibleName(name);
  return control;
}

/// Names a control after the title of the group it stands in alone, the
/// group's title being its only label.
void nameAfterGroup(QWidget* control, const QGroupBox* group);

/// Names a button, check box or radio button after its own caption. Qt
/// would derive the same name; setting it keeps every control's name in
/// one place that a test can hold to.
template <class Button>
Button* captioned(Button* button) {
  button->setAccessibleName(accessibleNameFor(button->text()));
  return button;
}

}  // namespace qorv
