#include "ui/settingsdialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/generatorsettings.h"
#include "ui/controls.h"
#include "ui/text.h"
#include "ui/vocabularybox.h"

namespace qorv {

namespace {

QGroupBox* makeGroup(const QString& caption, QWidget* parent, QRect geometry) {
  auto* group = new QGroupBox(caption, parent);
  group->setGeometry(geometry);
  return group;
}

}  // namespace

SettingsDialog::SettingsDialog(GeneratorSettings& settings, QWidget* parent)
    : FixedDialog(parent, QStringLiteral("Nastavenie"), QSize(622, 392), false),
      m_settings(settings) {
  setObjectName(QStringLiteral("settingsDialog"));
  m_siteMapGroup =
      named(makeGroup(QStringLiteral(" Mapa webu "), this, {14, 21, 281, 351}), "m_siteMapGroup");
  m_folderScanGroup =
      named(makeGroup(QStringLiteral(" Prehľadávanie zložiek "), m_siteMapGroup, {14, 28, 253, 92}),
            "m_folderScanGroup");
  m_fileMaskLabel = named(placeLabel(QStringLiteral("Maska súborov"), m_folderScanGroup, 14, 28),
                          "m_fileMaskLabel");
  m_fileMaskEdit =
      labelled(m_fileMaskLabel, named(new QLineEdit(m_folderScanGroup), "m_fileMaskEdit"));
  m_fileMaskEdit->setGeometry(112, 25, 121, 21);
  m_indexFileLabel = named(placeLabel(QStringLiteral("Indexový súbor"), m_folderScanGroup, 14, 57),
                           "m_indexFileLabel");
  m_indexFileEdit =
      labelled(m_indexFileLabel, named(new QLineEdit(m_folderScanGroup), "m_indexFileEdit"));
  m_indexFileEdit->setGeometry(112, 54, 121, 21);

  const auto tagGroup = [this](const QString& caption, int top, VocabularyBox*& changefreq,
                               VocabularyBox*& priority, QLabel*& changefreqLabel,
                               QLabel*& priorityLabel) {
    QGroupBox* group = makeGroup(caption, m_siteMapGroup, {14, top, 253, 92});
    changefreqLabel = placeLabel(QStringLiteral("tag \"changefreq\""), group, 14, 28);
    changefreq = labelled(changefreqLabel, new VocabularyBox(kChangefreqVocabulary, group));
    changefreq->setGeometry(112, 25, 120, 21);
    priorityLabel = placeLabel(QStringLiteral("tag \"priority\""), group, 14, 56);
    priority = labelled(priorityLabel, new VocabularyBox(kPriorityVocabulary, group));
    priority->setGeometry(112, 54, 120, 21);
    return group;
  };
  m_rootTagsGroup = named(
      tagGroup(QStringLiteral(" Prednastavenie pre titulnú stránku (root) "), 133,
               m_rootChangefreqBox, m_rootPriorityBox, m_rootChangefreqLabel, m_rootPriorityLabel),
      "m_rootTagsGroup");
  m_otherTagsGroup = named(
      tagGroup(QStringLiteral(" Prednastavenie pre ostatné stránky "), 238, m_otherChangefreqBox,
               m_otherPriorityBox, m_otherChangefreqLabel, m_otherPriorityLabel),
      "m_otherTagsGroup");
  named(m_rootChangefreqBox, "m_rootChangefreqBox");
  named(m_rootPriorityBox, "m_rootPriorityBox");
  named(m_otherChangefreqBox, "m_otherChangefreqBox");
  named(m_otherPriorityBox, "m_otherPriorityBox");
  named(m_rootChangefreqLabel, "m_rootChangefreqLabel");
  named(m_rootPriorityLabel, "m_rootPriorityLabel");
  named(m_otherChangefreqLabel, "m_otherChangefreqLabel");
  named(m_otherPriorityLabel, "m_otherPriorityLabel");

  m_generationGroup =
      named(makeGroup(QStringLiteral(" Generovanie Tessaly "), this, {315, 21, 295, 253}),
            "m_generationGroup");
  m_lastmodFormatGroup = named(
      makeGroup(QStringLiteral(" Formát tagu \"lastmod\" "), m_generationGroup, {14, 28, 267, 113}),
      "m_lastmodFormatGroup");
  m_shortLastmodRadio = captioned(named(
      new QRadioButton(QStringLiteral("krátky"), m_lastmodFormatGroup), "m_shortLastmodRadio"));
  m_shortLastmodRadio->setGeometry(14, 28, 78, 17);
  m_shortLastmodExample =
      named(placeLabel(QStringLiteral("(2005-12-31)"), m_lastmodFormatGroup, 105, 29),
            "m_shortLastmodExample");
  m_longLastmodRadio = captioned(
      named(new QRadioButton(QStringLiteral("dlhý"), m_lastmodFormatGroup), "m_longLastmodRadio"));
  m_longLastmodRadio->setGeometry(14, 49, 78, 17);
  m_longLastmodExample = named(
      placeLabel(QStringLiteral("(2005-12-31T12:00:00+00:00)"), m_lastmodFormatGroup, 105, 50),
      "m_longLastmodExample");
  // The samples beside the two forms take no focus: a screen reader hears
  // them with their radio buttons.
  m_shortLastmodRadio->setAccessibleDescription(m_shortLastmodExample->text());
  m_longLastmodRadio->setAccessibleDescription(m_longLastmodExample->text());
  m_timeZoneLabel = named(placeLabel(QStringLiteral("Časové pásmo"), m_lastmodFormatGroup, 14, 77),
                          "m_timeZoneLabel");
  m_timeZoneBox =
      labelled(m_timeZoneLabel,
               named(new VocabularyBox(kTimeZoneList, m_lastmodFormatGroup), "m_timeZoneBox"));
  // Wide enough for the list's last entry, "automaticky", as well.
  m_timeZoneBox->setGeometry(105, 74, 110, 21);
  m_compactCheckBox = captioned(named(
      new QCheckBox(QStringLiteral("Generovať úsporne (neodsadzovať tagy)"), m_generationGroup),
      "m_compactCheckBox"));
  m_compactCheckBox->setGeometry(14, 161, 267, 17);

  m_okButton = captioned(named(new QPushButton(QStringLiteral("OK"), this), "m_okButton"));
  m_okButton->setGeometry(527, 348, 83, 25);
  m_okButton->setDefault(true);
  m_okButton->setAutoDefault(true);

  setTabOrder(m_fileMaskEdit, m_indexFileEdit);
  setTabOrder(m_indexFileEdit, m_rootChangefreqBox);
  setTabOrder(m_rootChangefreqBox, m_rootPriorityBox);
  setTabOrder(m_rootPriorityBox, m_otherChangefreqBox);
  setTabOrder(m_otherChangefreqBox, m_otherPriorityBox);
  setTabOrder(m_otherPriorityBox, m_shortLastmodRadio);
  setTabOrder(m_shortLastmodRadio, m_longLastmodRadio);
  setTabOrder(m_longLastmodRadio, m_timeZoneBox);
  setTabOrder(m_timeZoneBox, m_compactCheckBox);
  setTabOrder(m_compactCheckBox, m_okButton);

  showSettings();

  // Each control is its setting: every change goes through at once.
  connect(m_fileMaskEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!m_showing) m_settings.fileMask = text.toStdString();
  });
  connect(m_indexFileEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!m_showing) m_settings.indexFile = text.toStdString();
  });
  const auto bind = [this](VocabularyBox* box, VocabularyChoice& choice) {
    connect(box, &VocabularyBox::choiceChanged, this, [&choice](const QString& text, int index) {
      choice.setTyped(text.toStdString(), index);
    });
  };
  bind(m_rootChangefreqBox, m_settings.rootChangefreq);
  bind(m_rootPriorityBox, m_settings.rootPriority);
  bind(m_otherChangefreqBox, m_settings.otherChangefreq);
  bind(m_otherPriorityBox, m_settings.otherPriority);
  bind(m_timeZoneBox, m_settings.timeZone);
  connect(m_shortLastmodRadio, &QRadioButton::toggled, this, [this](bool on) {
    if (!m_showing) m_settings.dateOnlyLastmod = on;
  });
  connect(m_compactCheckBox, &QCheckBox::toggled, this, [this](bool on) {
    if (!m_showing) m_settings.compact = on;
  });
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void SettingsDialog::showSettings() {
  m_showing = true;
  m_fileMaskEdit->setText(toQString(m_settings.fileMask));
  m_indexFileEdit->setText(toQString(m_settings.indexFile));
  m_rootChangefreqBox->showChoice(m_settings.rootChangefreq.text(),
                                  m_settings.rootChangefreq.index());
  m_rootPriorityBox->showChoice(m_settings.rootPriority.text(), m_settings.rootPriority.index());
  m_otherChangefreqBox->showChoice(m_settings.otherChangefreq.text(),
                                   m_settings.otherChangefreq.index());
  m_otherPriorityBox->showChoice(m_settings.otherPriority.text(), m_settings.otherPriority.index());
  m_timeZoneBox->showChoice(m_settings.timeZone.text(), m_settings.timeZone.index());
  m_shortLastmodRadio->setChecked(m_settings.dateOnlyLastmod);
  m_longLastmodRadio->setChecked(!m_settings.dateOnlyLastmod);
  m_compactCheckBox->setChecked(m_settings.compact);
  m_showing = false;
}

}  // namespace qorv
