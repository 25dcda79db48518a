#include "ui/fixeddialog.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace qorv {

FixedDialog::FixedDialog(QWidget* parent, const QString& caption, QSize clientSize,
                         bool escapeCancels)
    : QDialog(parent, kFixedSizeDialogFlags), m_escapeCancels(escapeCancels) {
  setWindowTitle(caption);
  setFixedSize(clientSize);
}

void FixedDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_placed) return;
  m_placed = true;
  // Only a shown window knows its frame, which is what gets centred.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
  }
}

void FixedDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !m_escapeCancels) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace qorv
