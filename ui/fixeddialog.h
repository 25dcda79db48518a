#pragma once

#include <QDialog>

namespace qorv {

/// A dialog or message box of fixed size: a title and a close button, and
/// nothing to minimize or maximize it with.
inline constexpr Qt::WindowFlags kFixedSizeDialogFlags =
    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

/// A modal dialog of fixed size. It opens centred on the screen the first
/// time and, later, where it was when it last closed.
class FixedDialog : public QDialog {
  Q_OBJECT

 public:
  /// `escapeCancels`: whether Esc closes the dialog; a dialog without a
  /// cancel button ignores it.
  FixedDialog(QWidget* parent, const QString& caption, QSize clientSize, bool escapeCancels);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool m_escapeCancels;
  bool m_placed = false;
};

}  // namespace qorv
