#pragma once

#include <QLabel>

namespace qorv {

/// A label that stands for a link: blue, the hand pointer, the link as its
/// tooltip, and a click reported to its owner.
class LinkLabel final : public QLabel {
  Q_OBJECT

 public:
  LinkLabel(const QString& text, const QString& link, QWidget* parent);
  const QString& link() const { return m_link; }

 signals:
  void clicked(const QString& link);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString m_link;
};

}  // namespace qorv
