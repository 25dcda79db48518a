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

TEditBox* EditBox = nullptr;

namespace {

/// The short date format as the picker's display format, so that the
/// picker and the row's date text show a date alike.
QString PickerDateFormat(const TLocaleFormats& formats) {
  QString format;
  for (const char c : formats.ShortDateFormat) {
    if (c == '/')
      format += QString::fromStdString(formats.DateSeparator);
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
class TPicker final : public Picker {
 public:
  using Picker::Picker;

 protected:
  bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

void ShowMessage(QWidget* parent, const QString& text) {
  TQorvApplication::Instance()->Context().Services.ShowMessage(parent, text);
}

}  // namespace

TEditBox::TEditBox(QWidget* parent)
    : TFixedDialog(parent, QStringLiteral("Editácia"), QSize(341, 283), true) {
  GroupBox2 = new QGroupBox(QStringLiteral(" Nastavenie tagov "), this);
  GroupBox2->setGeometry(14, 91, 316, 134);
  Label3 = PlaceLabel(QStringLiteral("lastmod"), GroupBox2, 14, 31);
  DateTimePicker1 = new TPicker<QDateEdit>(GroupBox2);
  DateTimePicker1->setGeometry(77, 28, 113, 21);
  DateTimePicker1->setCalendarPopup(true);
  DateTimePicker1->setMinimumDate(QDate(1, 1, 1));
  DateTimePicker1->setMaximumDate(QDate(9999, 12, 31));
  DateTimePicker2 = new TPicker<QTimeEdit>(GroupBox2);
  DateTimePicker2->setGeometry(203, 28, 78, 21);
  DateTimePicker2->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  Label4 = PlaceLabel(QStringLiteral("changefreq"), GroupBox2, 14, 67);
  ComboBox1 = new TVocabularyBox(ChangefreqVocabulary, GroupBox2);
  ComboBox1->setGeometry(77, 64, 113, 21);
  Label5 = PlaceLabel(QStringLiteral("priority"), GroupBox2, 14, 102);
  ComboBox2 = new TVocabularyBox(PriorityVocabulary, GroupBox2);
  ComboBox2->setGeometry(77, 99, 113, 21);

  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setGeometry(170, 243, 75, 25);
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Storno"), this);
  CancelBtn->setGeometry(257, 243, 75, 25);

  GroupBox1 = new QGroupBox(QStringLiteral(" Url "), this);
  GroupBox1->setGeometry(14, 14, 316, 64);
  Edit1 = new QLineEdit(GroupBox1);
  Edit1->setGeometry(14, 21, 288, 21);
  Edit1->setReadOnly(true);
  QPalette palette = Edit1->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  Edit1->setPalette(palette);

  setTabOrder(DateTimePicker1, DateTimePicker2);
  setTabOrder(DateTimePicker2, ComboBox1);
  setTabOrder(ComboBox1, ComboBox2);
  setTabOrder(ComboBox2, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
  setTabOrder(CancelBtn, Edit1);

  connect(OKBtn, &QPushButton::clicked, this, Guarded([this] {
            OKBtnClick();
            accept();
          }));
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TEditBox::Fill(std::size_t row) {
  const TPageEntry& entry = Form1->Pages().Item(row);
  const TLocaleFormats& formats = Form1->Formats();
  try {
    const TDate date = ReadDateText(entry.DateText, formats, LocalNow().Date.Year);
    const TTimeOfDay time = ReadTimeText(entry.TimeText, formats);
    DateTimePicker1->setDisplayFormat(PickerDateFormat(formats));
    DateTimePicker1->setDate(QDate(date.Year, date.Month, date.Day));
    DateTimePicker2->setTime(QTime(time.Hour, time.Minute, time.Second));
  } catch (const EConvertError&) {
    return false;
  }
  const QString url = QString::fromStdString(entry.Url);
  Edit1->setText(url);
  Edit1->setCursorPosition(0);
  Edit1->setToolTip(url);
  ComboBox1->ShowChoice(entry.Changefreq, FindIgnoreCase(ChangefreqVocabulary, entry.Changefreq));
  ComboBox2->ShowChoice(entry.Priority, FindIgnoreCase(PriorityVocabulary, entry.Priority));
  return true;
}

void TEditBox::EditRow(std::optional<std::size_t> row) {
  if (!row || !Form1 || *row >= Form1->Pages().Count() || !Fill(*row)) {
    ShowMessage(parentWidget(), QStringLiteral("Nie je vybraná stránka."));
    return;
  }
  m_row = row;
  exec();
  m_row.reset();
}

void TEditBox::OKBtnClick() {
  if (!m_row || !Form1) return;
  const TLocaleFormats& formats = Form1->Formats();
  const QDate date = DateTimePicker1->date();
  const QTime time = DateTimePicker2->time();
  Form1->Pages().SetRowDetails(
      *m_row, FormatDateText({date.year(), date.month(), date.day()}, formats),
      FormatLongTimeText({time.hour(), time.minute(), time.second()}, formats), ComboBox1->Text(),
      ComboBox2->Text());
}

}  // namespace qorv
