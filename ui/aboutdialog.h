#pragma once

#include <QString>
#include <optional>

#include "platform/productversion.h"
#include "ui/fixeddialog.h"

class QFrame;
class QLabel;
class QPushButton;

namespace qorv {

class LinkLabel;
struct UiServices;

/// The maker's addresses, placeholders under a reserved example domain.
inline const QString kMakerMail = QStringLiteral("info@example.com");
inline const QString kMakerWeb = QStringLiteral("https://example.com");

/// The About box: icon, name, full version, "Freeware" and the maker's
/// two links, which open on the desktop while the box stays open.
class AboutDialog final : public FixedDialog {
  Q_OBJECT

 public:
  AboutDialog(const std::optional<ProductVersion>& version, const UiServices& services,
              QWidget* parent);

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void openLink(const QString& link);

 private:
  const UiServices& m_services;

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

}  // namespace qorv
