#include "ui/linklabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "ui/contrast.h"

namespace qorv {

namespace {

/// A link as the desktop's accessibility interface shows it: its role, its
/// name (its label's, else its text) and the press that follows it.
class AccessibleLink final : public QAccessibleWidget {
 public:
  explicit AccessibleLink(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

  QString text(QAccessible::Text kind) const override {
    QString text = QAccessibleWidget::text(kind);
    if (kind == QAccessible::Name && text.isEmpty()) text = label()->text();
    return text;
  }

  QStringList actionNames() const override {
    return QAccessibleWidget::actionNames() << pressAction();
  }

  void doAction(const QString& action) override {
    if (action == pressAction())
      label()->follow();
    else
      QAccessibleWidget::doAction(action);
  }

 private:
  LinkLabel* label() const { return static_cast<LinkLabel*>(widget()); }
};

QAccessibleInterface* accessibleLink(const QString& className, QObject* object) {
  if (className != QLatin1String(LinkLabel::staticMetaObject.className())) return nullptr;
  auto* link = qobject_cast<LinkLabel*>(object);
  return link ? new AccessibleLink(link) : nullptr;
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, const QString& link, QWidget* parent)
    : QLabel(text, parent), m_link(link) {
  static const bool kAccessibleAsLinks = [] {
    QAccessible::installFactory(accessibleLink);
    return true;
  }();
  Q_UNUSED(kAccessibleAsLinks);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  setToolTip(link);
  followPalette();
}

void LinkLabel::follow() { emit clicked(m_link); }

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) follow();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  // Space only: Enter stays with the dialog's default button.
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    follow();
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  frame.backgroundColor = palette().color(backgroundRole());
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

void LinkLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  // Setting the colour raises this event once more, but then finds the
  // colour in place and stops.
  if (event->type() == QEvent::PaletteChange) followPalette();
}

void LinkLabel::followPalette() {
  // Only the text colour is the label's own: the rest still follows the
  // window, whose changes bring the next event.
  QPalette own;
  own.setColor(QPalette::WindowText,
               linkColourOn(palette().color(backgroundRole()), palette().color(QPalette::Link)));
  setPalette(own);
}

}  // namespace qorv
