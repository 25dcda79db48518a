#pragma once

#include <QLabel>

namespace qorv {

/// A label that stands for a link: blue (on a dark theme its link colour,
/// readable on the background), the hand pointer, the link as its tooltip,
/// and a click or Space reported to its owner. It takes the focus by Tab,
/// shows a focus frame then, and is a link to a screen reader, which can
/// follow it too.
class LinkLabel final : public QLabel {
  Q_OBJECT

 public:
  LinkLabel(const QString& text, const QString& link, QWidget* parent);
  const QString& link() const { return m_link; }
  /// What a click does.
  void follow();

 signals:
  void clicked(const QString& link);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void followPalette();

  QString m_link;
};

}  // namespace qorv
