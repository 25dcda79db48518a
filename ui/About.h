#pragma once

#include <QLabel>
#include <functional>

#include "ui/fixeddialog.h"

class QPushButton;

namespace qorv {

/// A label that opens a link when clicked: blue, the hand pointer, and
/// the link as its tooltip.
class LinkLabel final : public QLabel {
 public:
  LinkLabel(const QString& text, const QString& link, QWidget* parent);
  const QString& link() const { return m_link; }
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString m_link;
};

/// The About box: icon, name, full version, "Freeware" and the maker's
/// two links, which open on the desktop while the box stays open.
class AboutDialog final : public FixedDialog {
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  void showVersion();
  void openMailLink();
  void openWebLink();

  QFrame* m_panel;
  QLabel* m_iconLabel;
  QLabel* m_productNameLabel;
  QLabel* m_versionLabel;
  QLabel* m_freewareLabel;
  QLabel* m_mailCaptionLabel;
  LinkLabel* m_mailLink;
  QLabel* m_webCaptionLabel;
  LinkLabel* m_webLink;
  QPushButton* m_okButton;
};

/// The maker's addresses, placeholders under a reserved example domain.
inline const QString kMakerMail = QStringLiteral("info@example.com");
inline const QString kMakerWeb = QStringLiteral("https://example.com");

extern AboutDialog* AboutBox;

}  // namespace qorv
