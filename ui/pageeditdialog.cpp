#include "ui/pageeditdialog.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "platform/clock.h"
#include "platform/localeformats.h"
#include "platform/qtlocaleformats.h"
#include "ui/controls.h"
#include "ui/text.h"
#include "ui/vocabularybox.h"

namespace qorv {

namespace {

/// Tab leaves a picker for the next control, as in the rest of the dialog;
/// the picker's own fields are reached with the arrow keys and by typing.
template <class Picker>
class TabLeavingPicker final : public Picker {
 public:
  using Picker::Picker;

 protected:
  // Past the picker's own handling on purpose: it would move between the
  // date's fields instead of leaving the picker.
  bool focusNextPrevChild(bool next) override {
    return QWidget::focusNextPrevChild(next);  // NOLINT(bugprone-parent-virtual-call)
  }
};

}  // namespace

PageEditDialog::PageEditDialog(QWidget* parent)
    : FixedDialog(parent, QStringLiteral("Editácia"), QSize(341, 283), true) {
  setObjectName(QStringLiteral("pageEditDialog"));
  m_tagsGroup = named(new QGroupBox(QStringLiteral(" Nastavenie tagov "), this), "m_tagsGroup");
  m_tagsGroup->setGeometry(14, 91, 316, 134);
  m_lastmodLabel =
      named(placeLabel(QStringLiteral("lastmod"), m_tagsGroup, 14, 31), "m_lastmodLabel");
  // The two pickers share the label: each says which half it holds.
  m_dateEdit =
      labelled(m_lastmodLabel, named(new TabLeavingPicker<QDateEdit>(m_tagsGroup), "m_dateEdit"),
               QStringLiteral("dátum"));
  m_dateEdit->setGeometry(77, 28, 113, 21);
  m_dateEdit->setCalendarPopup(true);
  m_dateEdit->setMinimumDate(QDate(1, 1, 1));
  m_dateEdit->setMaximumDate(QDate(9999, 12, 31));
  m_timeEdit =
      labelled(m_lastmodLabel, named(new TabLeavingPicker<QTimeEdit>(m_tagsGroup), "m_timeEdit"),
               QStringLiteral("čas"));
  m_timeEdit->setGeometry(203, 28, 78, 21);
  m_timeEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  m_changefreqLabel =
      named(placeLabel(QStringLiteral("changefreq"), m_tagsGroup, 14, 67), "m_changefreqLabel");
  m_changefreqBox =
      labelled(m_changefreqLabel,
               named(new VocabularyBox(kChangefreqVocabulary, m_tagsGroup), "m_changefreqBox"));
  m_changefreqBox->setGeometry(77, 64, 113, 21);
  m_priorityLabel =
      named(placeLabel(QStringLiteral("priority"), m_tagsGroup, 14, 102), "m_priorityLabel");
  m_priorityBox = labelled(
      m_priorityLabel, named(new VocabularyBox(kPriorityVocabulary, m_tagsGroup), "m_priorityBox"));
  m_priorityBox->setGeometry(77, 99, 113, 21);

  m_okButton = captioned(named(new QPushButton(QStringLiteral("OK"), this), "m_okButton"));
  m_okButton->setGeometry(170, 243, 75, 25);
  m_okButton->setDefault(true);
  m_cancelButton =
      captioned(named(new QPushButton(QStringLiteral("Storno"), this), "m_cancelButton"));
  m_cancelButton->setGeometry(257, 243, 75, 25);

  m_urlGroup = named(new QGroupBox(QStringLiteral(" Url "), this), "m_urlGroup");
  m_urlGroup->setGeometry(14, 14, 316, 64);
  m_urlEdit = named(new QLineEdit(m_urlGroup), "m_urlEdit");
  m_urlEdit->setGeometry(14, 21, 288, 21);
  m_urlEdit->setReadOnly(true);
  nameAfterGroup(m_urlEdit, m_urlGroup);
  QPalette palette = m_urlEdit->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  m_urlEdit->setPalette(palette);

  setTabOrder(m_dateEdit, m_timeEdit);
  setTabOrder(m_timeEdit, m_changefreqBox);
  setTabOrder(m_changefreqBox, m_priorityBox);
  setTabOrder(m_priorityBox, m_okButton);
  setTabOrder(m_okButton, m_cancelButton);
  setTabOrder(m_cancelButton, m_urlEdit);

  connect(m_okButton, &QPushButton::clicked, this, &PageEditDialog::storeRow);
  connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool PageEditDialog::editRow(PageList& pages, std::size_t row, const LocaleFormats& formats) {
  if (row >= pages.size()) return false;
  const std::optional<PageDetails> details =
      readPageDetails(pages.at(row), formats, localNow().date.year);
  if (!details) return false;
  showDetails(pages.at(row), *details, formats);
  m_pages = &pages;
  m_row = row;
  m_formats = &formats;
  // Keys typed right after the edit command go to the date, the first
  // control, not to whichever control had the focus last time.
  m_dateEdit->setFocus(Qt::OtherFocusReason);
  exec();
  m_pages = nullptr;
  m_formats = nullptr;
  return true;
}

void PageEditDialog::showDetails(const PageEntry& row, const PageDetails& details,
                                 const LocaleFormats& formats) {
  m_dateEdit->setDisplayFormat(datePickerFormat(formats));
  m_dateEdit->setDate(QDate(details.date.year, details.date.month, details.date.day));
  m_timeEdit->setTime(QTime(details.time.hour, details.time.minute, details.time.second));
  const QString url = toQString(row.url);
  m_urlEdit->setText(url);
  m_urlEdit->setCursorPosition(0);
  m_urlEdit->setToolTip(url);
  m_changefreqBox->showChoice(details.changefreq,
                              findIgnoreCase(kChangefreqVocabulary, details.changefreq));
  m_priorityBox->showChoice(details.priority,
                            findIgnoreCase(kPriorityVocabulary, details.priority));
}

PageDetails PageEditDialog::editedDetails() const {
  const QDate date = m_dateEdit->date();
  const QTime time = m_timeEdit->time();
  return {{date.year(), date.month(), date.day()},
          {time.hour(), time.minute(), time.second()},
          m_changefreqBox->text(),
          m_priorityBox->text()};
}

void PageEditDialog::storeRow() {
  if (m_pages && m_formats) storePageDetails(*m_pages, m_row, editedDetails(), *m_formats);
  accept();
}

}  // namespace qorv
