#include "ui/About.h"

namespace qorv {

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("O programe"));
  setFixedSize(298, 220);
}

}  // namespace qorv
