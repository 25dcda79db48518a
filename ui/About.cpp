#include "ui/About.h"

#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "platform/productversiontext.h"
#include "ui/controls.h"
#include "ui/programicon.h"
#include "ui/qorvapp.h"

namespace qorv {

AboutDialog* AboutBox = nullptr;

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

void openLink(const QString& link) {
  Application::instance()->context().services.openUrl(QUrl(link));
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, const QString& link, QWidget* parent)
    : QLabel(text, parent), m_link(link) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
  setPalette(palette);
  setCursor(Qt::PointingHandCursor);
  setToolTip(link);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick)
    onClick();
}

AboutDialog::AboutDialog(QWidget* parent)
    : FixedDialog(parent, QStringLiteral("O programe"), QSize(298, 220), false) {
  m_panel = new BevelPanel(this);
  m_panel->setGeometry(7, 8, 282, 168);
  m_iconLabel = new QLabel(m_panel);
  m_iconLabel->setGeometry(15, 8, 42, 42);
  m_iconLabel->setPixmap(qorv::programIcon().pixmap(42, 42));
  m_iconLabel->setScaledContents(true);
  m_productNameLabel = placeLabel(QStringLiteral("Quorvex"), m_panel, 70, 7);
  m_versionLabel = placeLabel(QString(), m_panel, 70, 21);
  m_freewareLabel = placeLabel(QStringLiteral("Freeware"), m_panel, 70, 49);
  m_mailCaptionLabel = placeLabel(QStringLiteral("e-mail:"), m_panel, 70, 91);
  // The links show in full: they are sized to their text, not cut.
  m_mailLink = new LinkLabel(kMakerMail, QStringLiteral("mailto:") + kMakerMail, m_panel);
  m_mailLink->move(112, 91);
  m_mailLink->adjustSize();
  m_webCaptionLabel = placeLabel(QStringLiteral("www:"), m_panel, 70, 105);
  m_webLink = new LinkLabel(kMakerWeb, kMakerWeb, m_panel);
  m_webLink->move(112, 105);
  m_webLink->adjustSize();
  m_mailLink->onClick = guarded([this] { openMailLink(); });
  m_webLink->onClick = guarded([this] { openWebLink(); });

  m_okButton = new QPushButton(QStringLiteral("OK"), this);
  m_okButton->setGeometry(111, 187, 75, 25);
  m_okButton->setDefault(true);
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
  showVersion();
}

void AboutDialog::showVersion() {
  const std::string version = fullProductVersionText(Application::instance()->context().version);
  m_versionLabel->setText(QStringLiteral("Verzia ") + QString::fromStdString(version));
  m_versionLabel->adjustSize();
}

void AboutDialog::openMailLink() { openLink(m_mailLink->link()); }
void AboutDialog::openWebLink() { openLink(m_webLink->link()); }

}  // namespace qorv
