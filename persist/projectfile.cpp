#include "persist/projectfile.h"

#include <string_view>

#include "core/projectsettings.h"

namespace qorv {

namespace {

/// The folder part of `path`, ending in "/"; empty for a name alone.
std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string windowText(const ProjectInputs& inputs, WindowText text) {
  return text == WindowText::Folder ? inputs.localFolder() : inputs.siteUrl();
}

void setWindowText(ProjectInputs& inputs, WindowText text, const std::string& value) {
  if (text == WindowText::Folder) {
    inputs.setLocalFolder(value);
  } else {
    inputs.setSiteUrl(value);
  }
}

/// The entry's value as the file keeps it.
std::string storedText(const SettingValue& value, const GeneratorSettings& settings,
                       const ProjectInputs& inputs) {
  return std::visit(
      Overloaded{
          [&](const WindowTextValue& text) { return windowText(inputs, text.text); },
          [&](const TextValue& text) {
            const std::string& kept = settings.*text.member;
            return text.stored ? text.stored(kept) : kept;
          },
          [&](const FlagValue& flag) { return std::string(settings.*flag.member ? "1" : "0"); },
          [&](const VocabularyValue& choice) {
            return std::to_string((settings.*choice.member).index());
          },
          [&](const ChoiceValue& choice) { return std::to_string(choice.get(settings)); },
      },
      value);
}

}  // namespace

ProjectFile::ProjectFile(GeneratorSettings& settings, ProjectInputs& inputs)
    : m_settings(settings), m_inputs(inputs) {}

void ProjectFile::startNew() {
  for (const ProjectSetting& setting : kProjectSettings) {
    if (const auto* text = std::get_if<WindowTextValue>(&setting.value);
        text && !setting.keptByNewProject)
      setWindowText(m_inputs, text->text, std::string(text->defaultText));
  }
  m_inputs.clearPages();
  m_settings.resetForNewProject();
}

void ProjectFile::open(const IniStore& store) {
  const GeneratorSettings defaults;
  for (const ProjectSetting& setting : kProjectSettings) {
    const std::string_view key = setting.key;
    std::visit(
        Overloaded{
            [&](const WindowTextValue& text) {
              setWindowText(m_inputs, text.text, store.readString(kSection, key, text.defaultText));
            },
            [&](const TextValue& text) {
              m_settings.*text.member = store.readString(kSection, key, defaults.*text.member);
            },
            [&](const FlagValue& flag) {
              m_settings.*flag.member = store.readBool(kSection, key, defaults.*flag.member);
            },
            [&](const VocabularyValue& choice) {
              (m_settings.*choice.member)
                  .setIndex(store.readInteger(kSection, key, (defaults.*choice.member).index()));
            },
            [&](const ChoiceValue& choice) {
              const int fallback = choice.get(defaults);
              const int number = store.readInteger(kSection, key, fallback);
              const bool known =
                  number >= 0 && static_cast<std::size_t>(number) < choice.words.size();
              choice.set(m_settings, known ? number : fallback);
            },
        },
        setting.value);
  }
}

void ProjectFile::open(const std::string& path) {
  open(IniFile(path));
  m_settings.lastmodMemoryBase.folder = folderOf(path);
}

void ProjectFile::save(IniStore& store) const {
  const GeneratorSettings defaults;
  for (const ProjectSetting& setting : kProjectSettings) {
    const std::string value = storedText(setting.value, m_settings, m_inputs);
    if (setting.saving == Saving::WhenNotDefault) {
      const auto* text = std::get_if<WindowTextValue>(&setting.value);
      const std::string defaultValue =
          text ? std::string(text->defaultText) : storedText(setting.value, defaults, m_inputs);
      if (value == defaultValue && !store.hasKey(kSection, setting.key)) continue;
    }
    store.writeString(kSection, setting.key, value);
  }
}

void ProjectFile::save(const std::string& path) const {
  // A crash while saving must leave the earlier project whole.
  writeAtOnce(path, [this](IniStore& store) { save(store); });
}

}  // namespace qorv
