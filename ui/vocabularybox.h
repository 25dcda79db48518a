#pragma once

#include <QComboBox>
#include <functional>

#include "core/generatorsettings.h"

namespace qorv {

/// An editable drop-down box over a fixed vocabulary, completing what the
/// user types: after each typed character the first entry that begins with
/// the typed text (ignoring case) is selected, and the box holds the typed
/// characters as typed followed by the rest of that entry, highlighted. No
/// match, or a deletion, leaves no entry selected. The list never grows,
/// and Enter does not rewrite the text: it presses the dialog's default
/// button.
class VocabularyBox final : public QComboBox {
 public:
  VocabularyBox(Vocabulary vocabulary, QWidget* parent);

  /// The text in the box and the selected entry (-1 for none), after every
  /// change the user makes.
  std::function<void(const std::string& text, int index)> onChange;

  /// Shows a value without reporting it as a change.
  void showChoice(const std::string& text, int index);
  std::string text() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void completeTypedText(const QString& text);
  void reportChoice();

  bool m_updating = false;
  bool m_deleting = false;
};

}  // namespace qorv
