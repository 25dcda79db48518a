#include "ui/Edit.h"

#include "ui/qorvapp.h"

namespace qorv {

TEditBox* EditBox = nullptr;

TEditBox::TEditBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Editácia"));
  setFixedSize(341, 283);
}

void TEditBox::EditRow(std::optional<std::size_t> row) {
  if (!row) {
    TQorvApplication::Instance()->Context().Services.ShowMessage(
        parentWidget(), QStringLiteral("Nie je vybraná stránka."));
    return;
  }
  exec();
}

}  // namespace qorv
