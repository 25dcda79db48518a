#include "ui/searchenginedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/generatorsettings.h"
#include "ui/controls.h"
#include "ui/text.h"

namespace qorv {

namespace {

constexpr int kCheckBoxTop = 49;
constexpr int kCheckBoxStep = 23;

}  // namespace

SearchEngineDialog::SearchEngineDialog(GeneratorSettings& settings, QWidget* parent)
    : FixedDialog(parent, QStringLiteral("Pre vyhľadávače"), QSize(330, 285), false),
      m_settings(settings) {
  setObjectName(QStringLiteral("searchEngineDialog"));
  m_schemaLabel = named(placeLabel(QStringLiteral("Schéma:"), this, 14, 17), "m_schemaLabel");
  m_schemaBox = labelled(m_schemaLabel, named(new QComboBox(this), "m_schemaBox"));
  m_schemaBox->setGeometry(70, 14, 130, 21);
  m_schemaBox->addItem(QStringLiteral("0.84"));
  m_schemaBox->addItem(QStringLiteral("0.9 (sitemaps.org)"));

  const auto checkBox = [this](const QString& caption, int row, const char* memberName) {
    auto* box = captioned(named(new QCheckBox(caption, this), memberName));
    box->setGeometry(14, kCheckBoxTop + row * kCheckBoxStep, 302, 17);
    return box;
  };
  m_encodeNonAsciiCheckBox =
      checkBox(QStringLiteral("Kódovať písmená mimo ASCII (%XX)"), 0, "m_encodeNonAsciiCheckBox");
  m_splitIndexCheckBox =
      checkBox(QStringLiteral("Nad limit rozdeliť do viacerých súborov s indexom"), 1,
               "m_splitIndexCheckBox");
  m_gzipCheckBox =
      checkBox(QStringLiteral("Zapísať aj komprimované kópie (.gz)"), 2, "m_gzipCheckBox");
  m_robotsTxtCheckBox =
      checkBox(QStringLiteral("Doplniť riadok Sitemap do robots.txt"), 3, "m_robotsTxtCheckBox");

  m_leaveOutGroup =
      named(new QGroupBox(QStringLiteral("Vynechať zo sitemapy"), this), "m_leaveOutGroup");
  m_leaveOutGroup->setGeometry(14, 145, 302, 84);
  m_obeyRobotsCheckBox =
      captioned(named(new QCheckBox(QStringLiteral("Dodržať robots.txt"), m_leaveOutGroup),
                      "m_obeyRobotsCheckBox"));
  m_obeyRobotsCheckBox->setGeometry(14, 24, 140, 17);
  m_obeyRobotsCheckBox->setToolTip(
      QStringLiteral("Vynechať stránky, ktoré robots.txt v lokálnom adresári webu zakazuje"));
  m_robotsAgentLabel =
      named(placeLabel(QStringLiteral("Robot:"), m_leaveOutGroup, 162, 25), "m_robotsAgentLabel");
  m_robotsAgentEdit =
      labelled(m_robotsAgentLabel, named(new QLineEdit(m_leaveOutGroup), "m_robotsAgentEdit"));
  m_robotsAgentEdit->setGeometry(206, 22, 82, 21);
  m_robotsAgentEdit->setToolTip(
      QStringLiteral("Meno robota, ktorého skupina pravidiel v robots.txt platí; * je "
                     "ľubovoľný robot"));
  m_excludeLabel = named(placeLabel(QStringLiteral("Vylúčiť cesty:"), m_leaveOutGroup, 14, 55),
                         "m_excludeLabel");
  m_excludeEdit = labelled(m_excludeLabel, named(new QLineEdit(m_leaveOutGroup), "m_excludeEdit"));
  m_excludeEdit->setGeometry(100, 52, 188, 21);
  m_excludeEdit->setToolTip(QStringLiteral(
      "Cesty vzhľadom na lokálny adresár webu, oddelené \";\".\n"
      "* zastupuje ľubovoľné znaky v jednom mene, ? jeden znak, ** ľubovoľné zložky.\n"
      "Vzor bez \"/\" platí v každej hĺbke, vzor s \"/\" od lokálneho adresára;\n"
      "\"/\" na konci označuje zložku, do ktorej sa ani nevstúpi. Veľké a malé písmená\n"
      "sa rozlišujú.\n"
      "Príklad: 404.html;drafts/;tags/;**/print-*.html"));

  m_okButton = captioned(named(new QPushButton(QStringLiteral("OK"), this), "m_okButton"));
  m_okButton->setGeometry(235, 241, 83, 25);
  m_okButton->setDefault(true);
  m_okButton->setAutoDefault(true);

  setTabOrder(m_schemaBox, m_encodeNonAsciiCheckBox);
  setTabOrder(m_encodeNonAsciiCheckBox, m_splitIndexCheckBox);
  setTabOrder(m_splitIndexCheckBox, m_gzipCheckBox);
  setTabOrder(m_gzipCheckBox, m_robotsTxtCheckBox);
  setTabOrder(m_robotsTxtCheckBox, m_obeyRobotsCheckBox);
  setTabOrder(m_obeyRobotsCheckBox, m_robotsAgentEdit);
  setTabOrder(m_robotsAgentEdit, m_excludeEdit);
  setTabOrder(m_excludeEdit, m_okButton);

  showSettings();

  // Each control is its setting: every change goes through at once.
  connect(m_schemaBox, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!m_showing) m_settings.schema = index == 1 ? SitemapSchema::V09 : SitemapSchema::V084;
  });
  const auto bind = [this](QCheckBox* box, bool GeneratorSettings::*setting) {
    connect(box, &QCheckBox::toggled, this, [this, setting](bool on) {
      if (!m_showing) m_settings.*setting = on;
    });
  };
  bind(m_encodeNonAsciiCheckBox, &GeneratorSettings::encodeNonAscii);
  bind(m_splitIndexCheckBox, &GeneratorSettings::splitIndex);
  bind(m_gzipCheckBox, &GeneratorSettings::gzip);
  bind(m_robotsTxtCheckBox, &GeneratorSettings::robotsTxt);
  bind(m_obeyRobotsCheckBox, &GeneratorSettings::obeyRobots);
  // The robot's name means something only while robots.txt is obeyed.
  connect(m_obeyRobotsCheckBox, &QCheckBox::toggled, m_robotsAgentEdit, &QWidget::setEnabled);
  const auto bindText = [this](QLineEdit* edit, std::string GeneratorSettings::*setting) {
    connect(edit, &QLineEdit::textChanged, this, [this, setting](const QString& text) {
      if (!m_showing) m_settings.*setting = text.toStdString();
    });
  };
  bindText(m_robotsAgentEdit, &GeneratorSettings::robotsAgent);
  bindText(m_excludeEdit, &GeneratorSettings::excludePatterns);
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void SearchEngineDialog::showSettings() {
  m_showing = true;
  m_schemaBox->setCurrentIndex(m_settings.schema == SitemapSchema::V09 ? 1 : 0);
  m_encodeNonAsciiCheckBox->setChecked(m_settings.encodeNonAscii);
  m_splitIndexCheckBox->setChecked(m_settings.splitIndex);
  m_gzipCheckBox->setChecked(m_settings.gzip);
  m_robotsTxtCheckBox->setChecked(m_settings.robotsTxt);
  m_obeyRobotsCheckBox->setChecked(m_settings.obeyRobots);
  m_robotsAgentEdit->setText(toQString(m_settings.robotsAgent));
  m_robotsAgentEdit->setEnabled(m_settings.obeyRobots);
  m_excludeEdit->setText(toQString(m_settings.excludePatterns));
  m_showing = false;
}

}  // namespace qorv
