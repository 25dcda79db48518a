#include "ui/Settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/generatorsettings.h"
#include "ui/controls.h"
#include "ui/qorvapp.h"
#include "ui/vocabularybox.h"

namespace qorv {

TSetBox* SetBox = nullptr;

namespace {

QGroupBox* MakeGroup(const QString& caption, QWidget* parent, QRect geometry) {
  auto* group = new QGroupBox(caption, parent);
  group->setGeometry(geometry);
  return group;
}

}  // namespace

TSetBox::TSetBox(TGeneratorSettings& settings, QWidget* parent)
    : TFixedDialog(parent, QStringLiteral("Nastavenie"), QSize(622, 392), false),
      m_settings(settings) {
  GroupBox5 = MakeGroup(QStringLiteral(" Mapa webu "), this, {14, 21, 281, 351});
  GroupBox6 = MakeGroup(QStringLiteral(" Prehľadávanie zložiek "), GroupBox5, {14, 28, 253, 92});
  Label8 = PlaceLabel(QStringLiteral("Maska súborov"), GroupBox6, 14, 28);
  Edit1 = new QLineEdit(GroupBox6);
  Edit1->setGeometry(112, 25, 121, 21);
  Label9 = PlaceLabel(QStringLiteral("Indexový súbor"), GroupBox6, 14, 57);
  Edit2 = new QLineEdit(GroupBox6);
  Edit2->setGeometry(112, 54, 121, 21);

  const auto tagGroup = [this](const QString& caption, int top, TVocabularyBox*& changefreq,
                               TVocabularyBox*& priority, QLabel*& changefreqLabel,
                               QLabel*& priorityLabel) {
    QGroupBox* group = MakeGroup(caption, GroupBox5, {14, top, 253, 92});
    changefreqLabel = PlaceLabel(QStringLiteral("tag \"changefreq\""), group, 14, 28);
    changefreq = new TVocabularyBox(ChangefreqVocabulary, group);
    changefreq->setGeometry(112, 25, 120, 21);
    priorityLabel = PlaceLabel(QStringLiteral("tag \"priority\""), group, 14, 56);
    priority = new TVocabularyBox(PriorityVocabulary, group);
    priority->setGeometry(112, 54, 120, 21);
    return group;
  };
  GroupBox2 = tagGroup(QStringLiteral(" Prednastavenie pre titulnú stránku (root) "), 133,
                       ComboBox2, ComboBox3, Label4, Label5);
  GroupBox4 = tagGroup(QStringLiteral(" Prednastavenie pre ostatné stránky "), 238, ComboBox4,
                       ComboBox5, Label6, Label7);

  GroupBox1 = MakeGroup(QStringLiteral(" Generovanie Tessaly "), this, {315, 21, 295, 253});
  GroupBox3 = MakeGroup(QStringLiteral(" Formát tagu \"lastmod\" "), GroupBox1, {14, 28, 267, 113});
  RadioButton1 = new QRadioButton(QStringLiteral("krátky"), GroupBox3);
  RadioButton1->setGeometry(14, 28, 78, 17);
  Label1 = PlaceLabel(QStringLiteral("(2005-12-31)"), GroupBox3, 105, 29);
  RadioButton2 = new QRadioButton(QStringLiteral("dlhý"), GroupBox3);
  RadioButton2->setGeometry(14, 49, 78, 17);
  Label2 = PlaceLabel(QStringLiteral("(2005-12-31T12:00:00+00:00)"), GroupBox3, 105, 50);
  Label3 = PlaceLabel(QStringLiteral("Časové pásmo"), GroupBox3, 14, 77);
  ComboBox1 = new TVocabularyBox(TimeZoneList, GroupBox3);
  ComboBox1->setGeometry(105, 74, 78, 21);
  CheckBox1 = new QCheckBox(QStringLiteral("Generovať úsporne (neodsadzovať tagy)"), GroupBox1);
  CheckBox1->setGeometry(14, 161, 267, 17);

  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setGeometry(527, 348, 83, 25);
  OKBtn->setDefault(true);
  OKBtn->setAutoDefault(true);

  setTabOrder(Edit1, Edit2);
  setTabOrder(Edit2, ComboBox2);
  setTabOrder(ComboBox2, ComboBox3);
  setTabOrder(ComboBox3, ComboBox4);
  setTabOrder(ComboBox4, ComboBox5);
  setTabOrder(ComboBox5, RadioButton1);
  setTabOrder(RadioButton1, RadioButton2);
  setTabOrder(RadioButton2, ComboBox1);
  setTabOrder(ComboBox1, CheckBox1);
  setTabOrder(CheckBox1, OKBtn);

  SettingsChanged();

  // Each control is its setting: every change goes through at once.
  connect(Edit1, &QLineEdit::textChanged, this, Guarded([this](const QString& text) {
            if (!m_showing) m_settings.FileMask = text.toStdString();
          }));
  connect(Edit2, &QLineEdit::textChanged, this, Guarded([this](const QString& text) {
            if (!m_showing) m_settings.IndexFile = text.toStdString();
          }));
  const auto bind = [](TVocabularyBox* box, TVocabularyChoice& choice) {
    box->OnChange = [&choice](const std::string& text, int index) { choice.SetTyped(text, index); };
  };
  bind(ComboBox2, m_settings.RootChangefreq);
  bind(ComboBox3, m_settings.RootPriority);
  bind(ComboBox4, m_settings.OtherChangefreq);
  bind(ComboBox5, m_settings.OtherPriority);
  bind(ComboBox1, m_settings.TimeZone);
  connect(RadioButton1, &QRadioButton::toggled, this, Guarded([this](bool on) {
            if (!m_showing) m_settings.TimeShort = on;
          }));
  connect(CheckBox1, &QCheckBox::toggled, this, Guarded([this](bool on) {
            if (!m_showing) m_settings.Compact = on;
          }));
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TSetBox::SettingsChanged() {
  m_showing = true;
  Edit1->setText(QString::fromStdString(m_settings.FileMask));
  Edit2->setText(QString::fromStdString(m_settings.IndexFile));
  ComboBox2->ShowChoice(m_settings.RootChangefreq.Text(), m_settings.RootChangefreq.Index());
  ComboBox3->ShowChoice(m_settings.RootPriority.Text(), m_settings.RootPriority.Index());
  ComboBox4->ShowChoice(m_settings.OtherChangefreq.Text(), m_settings.OtherChangefreq.Index());
  ComboBox5->ShowChoice(m_settings.OtherPriority.Text(), m_settings.OtherPriority.Index());
  ComboBox1->ShowChoice(m_settings.TimeZone.Text(), m_settings.TimeZone.Index());
  RadioButton1->setChecked(m_settings.TimeShort);
  RadioButton2->setChecked(!m_settings.TimeShort);
  CheckBox1->setChecked(m_settings.Compact);
  m_showing = false;
}

}  // namespace qorv
