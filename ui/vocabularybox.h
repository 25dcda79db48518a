#pragma once

#include <QComboBox>
#include <string>

#include "core/generatorsettings.h"

class QKeyEvent;

namespace qorv {

/// An editable drop-down box over a fixed vocabulary, completing what the
/// user types (see `completeEdit`): after each typed character the box holds
/// the typed characters followed by the rest of the first entry that begins
/// with them, highlighted, and that entry is selected. No match leaves no
/// entry selected. Backspace removes the highlighted rest (or else the
/// character before the cursor) and Delete the highlighted text (or else
/// the character after it); after either the box completes nothing and no
/// entry is selected. The list never grows, and Enter does not rewrite the
/// text: it presses the dialog's default button.
class VocabularyBox final : public QComboBox {
  Q_OBJECT

 public:
  VocabularyBox(Vocabulary vocabulary, QWidget* parent);

  /// Shows a value without reporting it as a change.
  void showChoice(const std::string& text, int index);
  std::string text() const;

 signals:
  /// The text in the box and the selected entry (-1 for none), after every
  /// change the user makes.
  void choiceChanged(const QString& text, int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool handleKey(QKeyEvent* key);
  void pressDefaultButton();
  void completeTypedText(const QString& typed);
  void reportChoice();

  Vocabulary m_vocabulary;
  bool m_updating = false;
  bool m_removing = false;
};

}  // namespace qorv
