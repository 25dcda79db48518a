#pragma once

#include <QLabel>
#include <functional>

#include "ui/fixeddialog.h"

class QPushButton;

namespace qorv {

/// A label that opens a link when clicked: blue, the hand pointer, and
/// the link as its tooltip.
class TLinkLabel final : public QLabel {
 public:
  TLinkLabel(const QString& text, const QString& link, QWidget* parent);
  const QString& Link() const { return m_link; }
  std::function<void()> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString m_link;
};

/// The About box: icon, name, full version, "Freeware" and the maker's
/// two links, which open on the desktop while the box stays open.
class TAboutBox final : public TFixedDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  void FormCreate();
  void Label4Click();
  void Label5Click();

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Label6;
  QLabel* Comments;
  TLinkLabel* Label4;
  QLabel* Label1;
  TLinkLabel* Label5;
  QPushButton* OKButton;
};

/// The maker's addresses, placeholders under a reserved example domain.
inline const QString kMakerMail = QStringLiteral("info@example.com");
inline const QString kMakerWeb = QStringLiteral("https://example.com");

extern TAboutBox* AboutBox;

}  // namespace qorv
