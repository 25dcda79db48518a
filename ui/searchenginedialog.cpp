#include "ui/searchenginedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "core/generatorsettings.h"
#include "ui/controls.h"

namespace qorv {

namespace {

constexpr int kCheckBoxTop = 49;
constexpr int kCheckBoxStep = 23;

}  // namespace

SearchEngineDialog::SearchEngineDialog(GeneratorSettings& settings, QWidget* parent)
    : FixedDialog(parent, QStringLiteral("Pre vyhľadávače"), QSize(330, 190), false),
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

  m_okButton = captioned(named(new QPushButton(QStringLiteral("OK"), this), "m_okButton"));
  m_okButton->setGeometry(235, 146, 83, 25);
  m_okButton->setDefault(true);
  m_okButton->setAutoDefault(true);

  setTabOrder(m_schemaBox, m_encodeNonAsciiCheckBox);
  setTabOrder(m_encodeNonAsciiCheckBox, m_splitIndexCheckBox);
  setTabOrder(m_splitIndexCheckBox, m_gzipCheckBox);
  setTabOrder(m_gzipCheckBox, m_robotsTxtCheckBox);
  setTabOrder(m_robotsTxtCheckBox, m_okButton);

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
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void SearchEngineDialog::showSettings() {
  m_showing = true;
  m_schemaBox->setCurrentIndex(m_settings.schema == SitemapSchema::V09 ? 1 : 0);
  m_encodeNonAsciiCheckBox->setChecked(m_settings.encodeNonAscii);
  m_splitIndexCheckBox->setChecked(m_settings.splitIndex);
  m_gzipCheckBox->setChecked(m_settings.gzip);
  m_robotsTxtCheckBox->setChecked(m_settings.robotsTxt);
  m_showing = false;
}

}  // namespace qorv
