#include "ui/vocabularybox.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

#include "ui/text.h"

namespace qorv {

namespace {

/// Keys whose editing removes text from the box.
bool removesText(const QKeyEvent& key) {
  return key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete ||
         key.matches(QKeySequence::DeleteStartOfWord) ||
         key.matches(QKeySequence::DeleteEndOfWord) || key.matches(QKeySequence::DeleteEndOfLine) ||
         key.matches(QKeySequence::DeleteCompleteLine) || key.matches(QKeySequence::Cut);
}

}  // namespace

VocabularyBox::VocabularyBox(Vocabulary vocabulary, QWidget* parent)
    : QComboBox(parent), m_vocabulary(vocabulary) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // Completion follows our own rule, not the toolkit's inline completer.
  setCompleter(nullptr);
  for (const std::string_view entry : vocabulary) addItem(toQString(entry));
  lineEdit()->installEventFilter(this);
  // When editing ends (focus leaves, the window closes) the toolkit looks
  // the text up in the list and selects the entry it equals; the box's
  // choice stays as the user left it instead.
  disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
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
  const Completion completion = completeEdit(m_vocabulary, typed.toStdString(),
                                             m_removing ? TextEdit::Removed : TextEdit::Typed);
  const int cursor = lineEdit()->cursorPosition();
  m_updating = true;
  // Leaving an entry empties the line edit: the text is put back below.
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
    lineEdit()->setCursorPosition(cursor);
  }
  m_updating = false;
  reportChoice();
}

bool VocabularyBox::handleKey(QKeyEvent* key) {
  if (removesText(*key)) {
    // The line edit removes the text as it always does; only the
    // completion is off while it does.
    const QScopedValueRollback removing(m_removing, true);
    lineEdit()->event(key);
    return true;
  }
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    // The toolkit would look the text up in the list and replace it by
    // the entry's spelling; the box's value stays as typed instead.
    pressDefaultButton();
    return true;
  }
  return false;
}

void VocabularyBox::pressDefaultButton() {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(w)) {
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->isDefault()) {
          button->click();
          return;
        }
      }
      return;
    }
  }
}

void VocabularyBox::keyPressEvent(QKeyEvent* event) {
  // Keys reach the box, not its line edit, when the box has the focus (the
  // line edit hands its focus on to the box); the box passes them on to
  // the line edit past its event filter.
  if (handleKey(event)) return;
  QComboBox::keyPressEvent(event);
}

bool VocabularyBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::KeyPress &&
      handleKey(static_cast<QKeyEvent*>(event)))
    return true;
  return QComboBox::eventFilter(watched, event);
}

}  // namespace qorv
