#include "ui/Edit.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "core/datetimetext.h"
#include "core/errors.h"
#include "core/generatorsettings.h"
#include "platform/clock.h"
#include "ui/Unit1.h"
#include "ui/controls.h"
#include "ui/qorvapp.h"
#include "ui/vocabularybox.h"

namespace qorv {

PageEditDialog* EditBox = nullptr;

namespace {

/// The short date format as the picker's display format, so that the
/// picker and the row's date text show a date alike.
QString pickerDateFormat(const LocaleFormats& formats) {
  QString format;
  for (const char c : formats.shortDateFormat) {
    if (c == '/')
      format += QString::fromStdString(formats.dateSeparator);
    else if (c == 'D' || c == 'd')
      format += QLatin1Char('d');
    else if (c == 'M' || c == 'm')
      format += QLatin1Char('M');
    else if (c == 'Y' || c == 'y')
      format += QLatin1Char('y');
    else
      format += QLatin1Char(c);
  }
  return format;
}

/// Tab leaves a picker for the next control, as in the rest of the dialog;
/// the picker's own fields are reached with the arrow keys and by typing.
template <class Picker>
class TabLeavingPicker final : public Picker {
 public:
  using Picker::Picker;

 protected:
  bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

void showMessage(QWidget* parent, const QString& text) {
  Application::instance()->context().services.showMessage(parent, text);
}

}  // namespace

PageEditDialog::PageEditDialog(QWidget* parent)
    : FixedDialog(parent, QStringLiteral("Editácia"), QSize(341, 283), true) {
  m_tagsGroup = new QGroupBox(QStringLiteral(" Nastavenie tagov "), this);
  m_tagsGroup->setGeometry(14, 91, 316, 134);
  m_lastmodLabel = placeLabel(QStringLiteral("lastmod"), m_tagsGroup, 14, 31);
  m_dateEdit = new TabLeavingPicker<QDateEdit>(m_tagsGroup);
  m_dateEdit->setGeometry(77, 28, 113, 21);
  m_dateEdit->setCalendarPopup(true);
  m_dateEdit->setMinimumDate(QDate(1, 1, 1));
  m_dateEdit->setMaximumDate(QDate(9999, 12, 31));
  m_timeEdit = new TabLeavingPicker<QTimeEdit>(m_tagsGroup);
  m_timeEdit->setGeometry(203, 28, 78, 21);
  m_timeEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  m_changefreqLabel = placeLabel(QStringLiteral("changefreq"), m_tagsGroup, 14, 67);
  m_changefreqBox = new VocabularyBox(kChangefreqVocabulary, m_tagsGroup);
  m_changefreqBox->setGeometry(77, 64, 113, 21);
  m_priorityLabel = placeLabel(QStringLiteral("priority"), m_tagsGroup, 14, 102);
  m_priorityBox = new VocabularyBox(kPriorityVocabulary, m_tagsGroup);
  m_priorityBox->setGeometry(77, 99, 113, 21);

  m_okButton = new QPushButton(QStringLiteral("OK"), this);
  m_okButton->setGeometry(170, 243, 75, 25);
  m_okButton->setDefault(true);
  m_cancelButton = new QPushButton(QStringLiteral("Storno"), this);
  m_cancelButton->setGeometry(257, 243, 75, 25);

  m_urlGroup = new QGroupBox(QStringLiteral(" Url "), this);
  m_urlGroup->setGeometry(14, 14, 316, 64);
  m_urlEdit = new QLineEdit(m_urlGroup);
  m_urlEdit->setGeometry(14, 21, 288, 21);
  m_urlEdit->setReadOnly(true);
  QPalette palette = m_urlEdit->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  m_urlEdit->setPalette(palette);

  setTabOrder(m_dateEdit, m_timeEdit);
  setTabOrder(m_timeEdit, m_changefreqBox);
  setTabOrder(m_changefreqBox, m_priorityBox);
  setTabOrder(m_priorityBox, m_okButton);
  setTabOrder(m_okButton, m_cancelButton);
  setTabOrder(m_cancelButton, m_urlEdit);

  connect(m_okButton, &QPushButton::clicked, this, guarded([this] {
            storeRow();
            accept();
          }));
  connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool PageEditDialog::fill(std::size_t row) {
  const PageEntry& entry = Form1->pages().at(row);
  const LocaleFormats& formats = Form1->formats();
  try {
    const Date date = readDateText(entry.dateText, formats, localNow().date.year);
    const TimeOfDay time = readTimeText(entry.timeText, formats);
    m_dateEdit->setDisplayFormat(pickerDateFormat(formats));
    m_dateEdit->setDate(QDate(date.year, date.month, date.day));
    m_timeEdit->setTime(QTime(time.hour, time.minute, time.second));
  } catch (const ConvertError&) {
    return false;
  }
  const QString url = QString::fromStdString(entry.url);
  m_urlEdit->setText(url);
  m_urlEdit->setCursorPosition(0);
  m_urlEdit->setToolTip(url);
  m_changefreqBox->showChoice(entry.changefreq,
                              findIgnoreCase(kChangefreqVocabulary, entry.changefreq));
  m_priorityBox->showChoice(entry.priority, findIgnoreCase(kPriorityVocabulary, entry.priority));
  return true;
}

void PageEditDialog::editRow(std::optional<std::size_t> row) {
  if (!row || !Form1 || *row >= Form1->pages().size() || !fill(*row)) {
    showMessage(parentWidget(), QStringLiteral("Nie je vybraná stránka."));
    return;
  }
  m_row = row;
  exec();
  m_row.reset();
}

void PageEditDialog::storeRow() {
  if (!m_row || !Form1) return;
  const LocaleFormats& formats = Form1->formats();
  const QDate date = m_dateEdit->date();
  const QTime time = m_timeEdit->time();
  Form1->pages().setDetails(
      *m_row, formatDateText({date.year(), date.month(), date.day()}, formats),
      formatLongTimeText({time.hour(), time.minute(), time.second()}, formats),
      m_changefreqBox->text(), m_priorityBox->text());
}

}  // namespace qorv
