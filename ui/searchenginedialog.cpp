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

constexpr int kWidth = 330;
constexpr int kLeft = 14;
constexpr int kCheckBoxTop = 49;
constexpr int kCheckBoxStep = 23;
constexpr int kCheckBoxHeight = 17;
constexpr int kCheckBoxRows = 4;

// Groups stand one under the other below the check boxes, as wide as they
// are, each as tall as its rows; a row is a text box's height.
constexpr int kGroupGap = 10;
constexpr int kGroupWidth = kWidth - 2 * kLeft;
constexpr int kGroupFirstRow = 24;
constexpr int kGroupRowStep = 27;
constexpr int kGroupRowHeight = 21;
constexpr int kGroupBottom = 10;
constexpr int kFieldLeft = 100;

constexpr int groupHeight(int rows) {
  return kGroupFirstRow + (rows - 1) * kGroupRowStep + kGroupRowHeight + kGroupBottom;
}
constexpr int rowTop(int row) { return kGroupFirstRow + row * kGroupRowStep; }

// The rows of "Adresy", top down.
constexpr int kDropExtensionRow = 0;
constexpr int kHreflangRow = 1;
constexpr int kStylesheetRow = 2;
constexpr int kWriteStylesheetRow = 3;
constexpr int kAddressRows = 4;
constexpr int kAddressTop =
    kCheckBoxTop + (kCheckBoxRows - 1) * kCheckBoxStep + kCheckBoxHeight + kGroupGap;
constexpr int kAddressBottom = kAddressTop + groupHeight(kAddressRows);

// The rows of "Vynechať zo sitemapy": robots.txt and the robot beside it,
// the exclude patterns, then the rules that read each page's head.
constexpr int kRobotsRow = 0;
constexpr int kExcludeRow = 1;
constexpr int kSkipNoindexRow = 2;
constexpr int kSkipRedirectsRow = 3;
constexpr int kUseCanonicalRow = 4;
constexpr int kLeaveOutRows = 5;
constexpr int kLeaveOutTop = kAddressBottom + kGroupGap;
constexpr int kLeaveOutBottom = kLeaveOutTop + groupHeight(kLeaveOutRows);

// "Dátum zmeny": the source of the dates alone, under what is left out.
constexpr int kLastmodTop = kLeaveOutBottom + kGroupGap;
constexpr int kLastmodBottom = kLastmodTop + groupHeight(1);
constexpr int kLastmodSourceWidth = 180;
constexpr int kRobotsAgentLabelLeft = 162;
constexpr int kRobotsAgentLeft = 206;

// OK in the bottom right corner, below the last group.
constexpr QSize kButtonSize(83, 25);
constexpr int kButtonGap = 11;
constexpr int kButtonRight = 12;
constexpr int kButtonBottom = 19;
constexpr int kButtonTop = kLastmodBottom + kButtonGap;
constexpr QSize kSize(kWidth, kButtonTop + kButtonSize.height() + kButtonBottom);

}  // namespace

SearchEngineDialog::SearchEngineDialog(GeneratorSettings& settings, QWidget* parent)
    : FixedDialog(parent, QStringLiteral("Pre vyhľadávače"), kSize, false), m_settings(settings) {
  setObjectName(QStringLiteral("searchEngineDialog"));
  m_schemaLabel = named(placeLabel(QStringLiteral("Schéma:"), this, 14, 17), "m_schemaLabel");
  m_schemaBox = labelled(m_schemaLabel, named(new QComboBox(this), "m_schemaBox"));
  m_schemaBox->setGeometry(70, 14, 130, 21);
  m_schemaBox->addItem(QStringLiteral("0.84"));
  m_schemaBox->addItem(QStringLiteral("0.9 (sitemaps.org)"));

  const auto checkBox = [this](const QString& caption, int row, const char* memberName) {
    auto* box = captioned(named(new QCheckBox(caption, this), memberName));
    box->setGeometry(kLeft, kCheckBoxTop + row * kCheckBoxStep, kGroupWidth, kCheckBoxHeight);
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

  m_addressGroup = named(new QGroupBox(QStringLiteral("Adresy"), this), "m_addressGroup");
  m_addressGroup->setGeometry(kLeft, kAddressTop, kGroupWidth, groupHeight(kAddressRows));
  const auto groupCheckBox = [](const QString& caption, QGroupBox* group, int row,
                                const char* memberName) {
    auto* box = captioned(named(new QCheckBox(caption, group), memberName));
    box->setGeometry(kLeft, rowTop(row) + 2, kGroupWidth - 2 * kLeft, kCheckBoxHeight);
    return box;
  };
  m_dropExtensionCheckBox = groupCheckBox(QStringLiteral("Bez prípony .html"), m_addressGroup,
                                          kDropExtensionRow, "m_dropExtensionCheckBox");
  m_dropExtensionCheckBox->setToolTip(
      QStringLiteral("Adresa about.html bude …/about, ako ju uvádza server s čistými adresami"));
  m_hreflangCheckBox = groupCheckBox(QStringLiteral("Jazykové verzie (hreflang)"), m_addressGroup,
                                     kHreflangRow, "m_hreflangCheckBox");
  m_stylesheetLabel = named(
      placeLabel(QStringLiteral("Štýl (XSL):"), m_addressGroup, kLeft, rowTop(kStylesheetRow) + 3),
      "m_stylesheetLabel");
  m_stylesheetEdit =
      labelled(m_stylesheetLabel, named(new QLineEdit(m_addressGroup), "m_stylesheetEdit"));
  m_stylesheetEdit->setGeometry(kFieldLeft, rowTop(kStylesheetRow),
                                kGroupWidth - kFieldLeft - kLeft, kGroupRowHeight);
  m_writeStylesheetCheckBox =
      groupCheckBox(QStringLiteral("Zapísať aj sitemap.xsl"), m_addressGroup, kWriteStylesheetRow,
                    "m_writeStylesheetCheckBox");

  m_leaveOutGroup =
      named(new QGroupBox(QStringLiteral("Vynechať zo sitemapy"), this), "m_leaveOutGroup");
  m_leaveOutGroup->setGeometry(kLeft, kLeaveOutTop, kGroupWidth, groupHeight(kLeaveOutRows));
  m_obeyRobotsCheckBox =
      captioned(named(new QCheckBox(QStringLiteral("Dodržať robots.txt"), m_leaveOutGroup),
                      "m_obeyRobotsCheckBox"));
  m_obeyRobotsCheckBox->setGeometry(kLeft, rowTop(kRobotsRow) + 2,
                                    kRobotsAgentLabelLeft - 8 - kLeft, kCheckBoxHeight);
  m_obeyRobotsCheckBox->setToolTip(
      QStringLiteral("Vynechať stránky, ktoré robots.txt v lokálnom adresári webu zakazuje"));
  m_robotsAgentLabel = named(placeLabel(QStringLiteral("Robot:"), m_leaveOutGroup,
                                        kRobotsAgentLabelLeft, rowTop(kRobotsRow) + 3),
                             "m_robotsAgentLabel");
  m_robotsAgentEdit =
      labelled(m_robotsAgentLabel, named(new QLineEdit(m_leaveOutGroup), "m_robotsAgentEdit"));
  m_robotsAgentEdit->setGeometry(kRobotsAgentLeft, rowTop(kRobotsRow),
                                 kGroupWidth - kRobotsAgentLeft - kLeft, kGroupRowHeight);
  m_robotsAgentEdit->setToolTip(
      QStringLiteral("Meno robota, ktorého skupina pravidiel v robots.txt platí; * je "
                     "ľubovoľný robot"));
  m_excludeLabel = named(
      placeLabel(QStringLiteral("Vylúčiť cesty:"), m_leaveOutGroup, kLeft, rowTop(kExcludeRow) + 3),
      "m_excludeLabel");
  m_excludeEdit = labelled(m_excludeLabel, named(new QLineEdit(m_leaveOutGroup), "m_excludeEdit"));
  m_excludeEdit->setGeometry(kFieldLeft, rowTop(kExcludeRow), kGroupWidth - kFieldLeft - kLeft,
                             kGroupRowHeight);
  m_excludeEdit->setToolTip(QStringLiteral(
      "Cesty vzhľadom na lokálny adresár webu, oddelené \";\".\n"
      "* zastupuje ľubovoľné znaky v jednom mene, ? jeden znak, ** ľubovoľné zložky.\n"
      "Vzor bez \"/\" platí v každej hĺbke, vzor s \"/\" od lokálneho adresára;\n"
      "\"/\" na konci označuje zložku, do ktorej sa ani nevstúpi. Veľké a malé písmená\n"
      "sa rozlišujú.\n"
      "Príklad: 404.html;drafts/;tags/;**/print-*.html"));
  m_skipNoindexCheckBox = groupCheckBox(QStringLiteral("Stránky s noindex"), m_leaveOutGroup,
                                        kSkipNoindexRow, "m_skipNoindexCheckBox");
  m_skipNoindexCheckBox->setToolTip(
      QStringLiteral("Vynechať stránky, ktorých hlavička má <meta name=\"robots\" "
                     "content=\"noindex\">"));
  m_skipRedirectsCheckBox =
      groupCheckBox(QStringLiteral("Presmerovania (meta refresh)"), m_leaveOutGroup,
                    kSkipRedirectsRow, "m_skipRedirectsCheckBox");
  m_skipRedirectsCheckBox->setToolTip(
      QStringLiteral("Vynechať stránky, ktoré <meta http-equiv=\"refresh\"> posiela na inú "
                     "adresu"));
  m_useCanonicalCheckBox =
      groupCheckBox(QStringLiteral("Použiť kanonickú adresu stránky"), m_leaveOutGroup,
                    kUseCanonicalRow, "m_useCanonicalCheckBox");
  m_useCanonicalCheckBox->setToolTip(
      QStringLiteral("Uviesť stránku pod adresou z <link rel=\"canonical\">; stránku s "
                     "kanonickou adresou mimo webu vynechať"));

  m_lastmodGroup = named(new QGroupBox(QStringLiteral("Dátum zmeny"), this), "m_lastmodGroup");
  m_lastmodGroup->setGeometry(kLeft, kLastmodTop, kGroupWidth, groupHeight(1));
  m_lastmodSourceBox = named(new QComboBox(m_lastmodGroup), "m_lastmodSourceBox");
  nameAfterGroup(m_lastmodSourceBox, m_lastmodGroup);
  m_lastmodSourceBox->setGeometry(kLeft, rowTop(0), kLastmodSourceWidth, kGroupRowHeight);
  // In the order of LastmodSource.
  m_lastmodSourceBox->addItem(QStringLiteral("Čas súboru"));
  m_lastmodSourceBox->addItem(QStringLiteral("Posledný commit (git)"));
  m_lastmodSourceBox->addItem(QStringLiteral("Pamäť obsahu"));
  m_lastmodSourceBox->addItem(QStringLiteral("Bez dátumu"));

  m_okButton = captioned(named(new QPushButton(QStringLiteral("OK"), this), "m_okButton"));
  m_okButton->setGeometry(
      QRect(QPoint(kWidth - kButtonRight - kButtonSize.width(), kButtonTop), kButtonSize));
  m_okButton->setDefault(true);
  m_okButton->setAutoDefault(true);

  setTabOrder(m_schemaBox, m_encodeNonAsciiCheckBox);
  setTabOrder(m_encodeNonAsciiCheckBox, m_splitIndexCheckBox);
  setTabOrder(m_splitIndexCheckBox, m_gzipCheckBox);
  setTabOrder(m_gzipCheckBox, m_robotsTxtCheckBox);
  setTabOrder(m_robotsTxtCheckBox, m_dropExtensionCheckBox);
  setTabOrder(m_dropExtensionCheckBox, m_hreflangCheckBox);
  setTabOrder(m_hreflangCheckBox, m_stylesheetEdit);
  setTabOrder(m_stylesheetEdit, m_writeStylesheetCheckBox);
  setTabOrder(m_writeStylesheetCheckBox, m_obeyRobotsCheckBox);
  setTabOrder(m_obeyRobotsCheckBox, m_robotsAgentEdit);
  setTabOrder(m_robotsAgentEdit, m_excludeEdit);
  setTabOrder(m_excludeEdit, m_skipNoindexCheckBox);
  setTabOrder(m_skipNoindexCheckBox, m_skipRedirectsCheckBox);
  setTabOrder(m_skipRedirectsCheckBox, m_useCanonicalCheckBox);
  setTabOrder(m_useCanonicalCheckBox, m_lastmodSourceBox);
  setTabOrder(m_lastmodSourceBox, m_okButton);

  showSettings();

  // Each control is its setting: every change goes through at once.
  connect(m_schemaBox, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!m_showing) m_settings.schema = index == 1 ? SitemapSchema::V09 : SitemapSchema::V084;
    // Schema 0.84 has no room for alternates: the box keeps its tick for
    // when the schema changes back.
    m_hreflangCheckBox->setEnabled(index == 1);
  });
  connect(m_lastmodSourceBox, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!m_showing && index >= 0) m_settings.lastmodSource = static_cast<LastmodSource>(index);
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
  bind(m_hreflangCheckBox, &GeneratorSettings::hreflang);
  bind(m_writeStylesheetCheckBox, &GeneratorSettings::writeStylesheet);
  bind(m_obeyRobotsCheckBox, &GeneratorSettings::obeyRobots);
  bind(m_dropExtensionCheckBox, &GeneratorSettings::dropExtension);
  bind(m_skipNoindexCheckBox, &GeneratorSettings::skipNoindex);
  bind(m_skipRedirectsCheckBox, &GeneratorSettings::skipRedirects);
  bind(m_useCanonicalCheckBox, &GeneratorSettings::useCanonical);
  // The robot's name means something only while robots.txt is obeyed.
  connect(m_obeyRobotsCheckBox, &QCheckBox::toggled, m_robotsAgentEdit, &QWidget::setEnabled);
  const auto bindText = [this](QLineEdit* edit, std::string GeneratorSettings::*setting) {
    connect(edit, &QLineEdit::textChanged, this, [this, setting](const QString& text) {
      if (!m_showing) m_settings.*setting = text.toStdString();
    });
  };
  bindText(m_stylesheetEdit, &GeneratorSettings::stylesheet);
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
  m_hreflangCheckBox->setChecked(m_settings.hreflang);
  m_hreflangCheckBox->setEnabled(m_settings.schema == SitemapSchema::V09);
  m_stylesheetEdit->setText(toQString(m_settings.stylesheet));
  m_obeyRobotsCheckBox->setChecked(m_settings.obeyRobots);
  m_robotsAgentEdit->setText(toQString(m_settings.robotsAgent));
  m_robotsAgentEdit->setEnabled(m_settings.obeyRobots);
  m_excludeEdit->setText(toQString(m_settings.excludePatterns));
  m_writeStylesheetCheckBox->setChecked(m_settings.writeStylesheet);
  m_dropExtensionCheckBox->setChecked(m_settings.dropExtension);
  m_skipNoindexCheckBox->setChecked(m_settings.skipNoindex);
  m_skipRedirectsCheckBox->setChecked(m_settings.skipRedirects);
  m_useCanonicalCheckBox->setChecked(m_settings.useCanonical);
  m_lastmodSourceBox->setCurrentIndex(static_cast<int>(m_settings.lastmodSource));
  m_showing = false;
}

}  // namespace qorv
