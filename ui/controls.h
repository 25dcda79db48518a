#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace qorv {

/// A label at its designed place, as wide as its text.
QLabel* placeLabel(const QString& text, QWidget* parent, int left, int top);

}  // namespace qorv
