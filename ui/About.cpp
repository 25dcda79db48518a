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

TAboutBox* AboutBox = nullptr;

namespace {

/// A panel with a lowered outer and a raised inner edge.
class TBevelPanel final : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
  }
};

void OpenLink(const QString& link) {
  TQorvApplication::Instance()->Context().Services.OpenUrl(QUrl(link));
}

}  // namespace

TLinkLabel::TLinkLabel(const QString& text, const QString& link, QWidget* parent)
    : QLabel(text, parent), m_link(link) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
  setPalette(palette);
  setCursor(Qt::PointingHandCursor);
  setToolTip(link);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
    OnClick();
}

TAboutBox::TAboutBox(QWidget* parent)
    : TFixedDialog(parent, QStringLiteral("O programe"), QSize(298, 220), false) {
  Panel1 = new TBevelPanel(this);
  Panel1->setGeometry(7, 8, 282, 168);
  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setGeometry(15, 8, 42, 42);
  ProgramIcon->setPixmap(qorv::ProgramIcon().pixmap(42, 42));
  ProgramIcon->setScaledContents(true);
  ProductName = PlaceLabel(QStringLiteral("Quorvex"), Panel1, 70, 7);
  Version = PlaceLabel(QString(), Panel1, 70, 21);
  Label6 = PlaceLabel(QStringLiteral("Freeware"), Panel1, 70, 49);
  Comments = PlaceLabel(QStringLiteral("e-mail:"), Panel1, 70, 91);
  // The links show in full: they are sized to their text, not cut.
  Label4 = new TLinkLabel(kMakerMail, QStringLiteral("mailto:") + kMakerMail, Panel1);
  Label4->move(112, 91);
  Label4->adjustSize();
  Label1 = PlaceLabel(QStringLiteral("www:"), Panel1, 70, 105);
  Label5 = new TLinkLabel(kMakerWeb, kMakerWeb, Panel1);
  Label5->move(112, 105);
  Label5->adjustSize();
  Label4->OnClick = Guarded([this] { Label4Click(); });
  Label5->OnClick = Guarded([this] { Label5Click(); });

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setGeometry(111, 187, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  FormCreate();
}

void TAboutBox::FormCreate() {
  const std::string version =
      FullProductVersionText(TQorvApplication::Instance()->Context().Version);
  Version->setText(QStringLiteral("Verzia ") + QString::fromStdString(version));
  Version->adjustSize();
}

void TAboutBox::Label4Click() { OpenLink(Label4->Link()); }
void TAboutBox::Label5Click() { OpenLink(Label5->Link()); }

}  // namespace qorv
