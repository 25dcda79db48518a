#include "ui/vocabularybox.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace qorv {

VocabularyBox::VocabularyBox(Vocabulary vocabulary, QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // Completion follows the rules above, not the toolkit's inline completer.
  setCompleter(nullptr);
  for (const std::string_view entry : vocabulary)
    addItem(QString::fromUtf8(entry.data(), qsizetype(entry.size())));
  lineEdit()->installEventFilter(this);
  connect(lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& text) { completeTypedText(text); });
  connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
    if (!m_updating) reportChoice();
  });
}

void VocabularyBox::showChoice(const std::string& text, int index) {
  m_updating = true;
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
  lineEdit()->setText(QString::fromStdString(text));
  m_updating = false;
}

std::string VocabularyBox::text() const { return currentText().toStdString(); }

void VocabularyBox::reportChoice() {
  if (onChange) onChange(text(), currentIndex());
}

void VocabularyBox::completeTypedText(const QString& text) {
  int match = -1;
  if (!m_deleting && !text.isEmpty()) {
    for (int i = 0; i < count() && match < 0; ++i) {
      if (itemText(i).startsWith(text, Qt::CaseInsensitive)) match = i;
    }
  }
  m_deleting = false;
  m_updating = true;
  setCurrentIndex(match);
  if (match >= 0) {
    const QString full = text + itemText(match).mid(text.size());
    lineEdit()->setText(full);
    lineEdit()->setSelection(int(full.size()), int(text.size() - full.size()));
  } else {
    lineEdit()->setText(text);
  }
  m_updating = false;
  reportChoice();
}

bool VocabularyBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) m_deleting = true;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      // The toolkit would look the text up in the list and replace it by
      // the entry's spelling; the box's value stays as typed instead.
      for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
          for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->isDefault()) {
              button->click();
              return true;
            }
          }
          break;
        }
      }
      return true;
    }
  }
  return QComboBox::eventFilter(watched, event);
}

}  // namespace qorv
