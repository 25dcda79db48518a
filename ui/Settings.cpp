#include "ui/Settings.h"

#include "core/generatorsettings.h"

namespace qorv {

TSetBox* SetBox = nullptr;

TSetBox::TSetBox(TGeneratorSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
  setWindowTitle(QStringLiteral("Nastavenie"));
  setFixedSize(622, 392);
}

void TSetBox::SettingsChanged() {}

}  // namespace qorv
