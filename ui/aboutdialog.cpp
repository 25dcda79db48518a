#include "ui/aboutdialog.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QPushButton>
#include <QUrl>

#include "platform/productversiontext.h"
#include "ui/controls.h"
#include "ui/linklabel.h"
#include "ui/programicon.h"
#include "ui/text.h"
#include "ui/uiservices.h"

namespace qorv {

namespace {

/// A panel with a lowered outer and a raised inner edge.
class BevelPanel final : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
  }
};

}  // namespace

AboutDialog::AboutDialog(const std::optional<ProductVersion>& version, const UiServices& services,
                         QWidget* parent)
    : FixedDialog(parent, QStringLiteral("O programe"), QSize(298, 220), false),
      m_services(services) {
  setObjectName(QStringLiteral("aboutDialog"));
  m_panel = named(new BevelPanel(this), "m_panel");
  m_panel->setGeometry(7, 8, 282, 168);
  m_iconLabel = named(new QLabel(m_panel), "m_iconLabel");
  m_iconLabel->setGeometry(15, 8, 42, 42);
  m_iconLabel->setPixmap(programIcon().pixmap(42, 42));
  m_iconLabel->setScaledContents(true);
  m_productNameLabel =
      named(placeLabel(QStringLiteral("Quorvex"), m_panel, 70, 7), "m_productNameLabel");
  m_versionLabel =
      named(placeLabel(QStringLiteral("Verzia ") + toQString(fullProductVersionText(version)),
                       m_panel, 70, 21),
            "m_versionLabel");
  m_freewareLabel =
      named(placeLabel(QStringLiteral("Freeware"), m_panel, 70, 49), "m_freewareLabel");
  m_mailCaptionLabel =
      named(placeLabel(QStringLiteral("e-mail:"), m_panel, 70, 91), "m_mailCaptionLabel");
  // The links show in full: they are sized to their text, not cut.
  m_mailLink =
      labelled(m_mailCaptionLabel,
               named(new LinkLabel(kMakerMail, QStringLiteral("mailto:") + kMakerMail, m_panel),
                     "m_mailLink"));
  m_mailLink->move(112, 91);
  m_mailLink->adjustSize();
  m_webCaptionLabel =
      named(placeLabel(QStringLiteral("www:"), m_panel, 70, 105), "m_webCaptionLabel");
  m_webLink =
      labelled(m_webCaptionLabel, named(new LinkLabel(kMakerWeb, kMakerWeb, m_panel), "m_webLink"));
  m_webLink->move(112, 105);
  m_webLink->adjustSize();
  connect(m_mailLink, &LinkLabel::clicked, this, &AboutDialog::openLink);
  connect(m_webLink, &LinkLabel::clicked, this, &AboutDialog::openLink);

  m_okButton = captioned(named(new QPushButton(QStringLiteral("OK"), this), "m_okButton"));
  m_okButton->setGeometry(111, 187, 75, 25);
  m_okButton->setDefault(true);
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
  setTabOrder(m_okButton, m_mailLink);
  setTabOrder(m_mailLink, m_webLink);
}

void AboutDialog::showEvent(QShowEvent* event) {
  FixedDialog::showEvent(event);
  // The box opens on OK, as it did before the links took the focus, also
  // when it was closed from one of them.
  m_okButton->setFocus(Qt::OtherFocusReason);
}

void AboutDialog::openLink(const QString& link) { m_services.openUrl(QUrl(link)); }

}  // namespace qorv
