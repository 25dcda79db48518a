#include "ui/vocabularybox.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "ui/text.h"

namespace qorv {

VocabularyBox::VocabularyBox(Vocabulary vocabulary, QWidget* parent)
    : QComboBox(parent), m_vocabulary(vocabulary) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // Completion follows our own rule, not the toolkit's inline completer.
  setCompleter(nullptr);
  for (const std::string_view entry : vocabulary) addItem(toQString(entry));
  lineEdit()->installEventFilter(this);
  connect(lineEdit(), &QLineEdit::textEdited, this, &VocabularyBox::completeTypedText);
  connect(this, &QComboBox::currentIndexChanged, this, [this] {
    if (!m_updating) reportChoice();
  });
}

void VocabularyBox::showChoice(const std::string& text, int index) {
  m_updating = true;
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
  lineEdit()->setText(toQString(text));
  m_updating = false;
}

std::string VocabularyBox::text() const { return currentText().toStdString(); }

void VocabularyBox::reportChoice() { emit choiceChanged(currentText(), currentIndex()); }

void VocabularyBox::completeTypedText(const QString& typed) {
  const std::string typedText = typed.toStdString();
  Completion completion{-1, typedText, typedText.size()};
  if (!m_deleting) completion = complete(m_vocabulary, typedText);
  m_deleting = false;
  m_updating = true;
  setCurrentIndex(completion.index);
  if (completion.index >= 0) {
    const QString full = toQString(completion.text);
    lineEdit()->setText(full);
    // Highlight the completed rest, so that the next key replaces it.
    const int typedLength = static_cast<int>(typed.size());
    lineEdit()->setSelection(static_cast<int>(full.size()),
                             typedLength - static_cast<int>(full.size()));
  } else {
    lineEdit()->setText(typed);
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
