#include "app/SettingsStore.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <string>

#include "app/Saver.h"
#include "app/SettingsFile.h"
#include "engine/core/MessageLog.h"
#include "platform/Platform.h"

namespace brightfold {
namespace {

// Reads a leading decimal integer the way "%d" does (leading white space, an optional sign,
// digits), saturating instead of overflowing. False when the text does not start with one.
bool ParseLeadingInt(std::string_view text, int32_t& out)
{
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
        return false;
    int64_t value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
        value = std::min<int64_t>(value * 10 + (text[at] - '0'), int64_t{1} << 32);
    value = negative ? -value : value;
    out = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    return true;
}

}  // namespace

SettingsStore::SettingsStore(Saver& saver) : m_saver(saver) {}

bool SettingsStore::LoadResourceCopy(int id, std::vector<uint8_t>& out)
{
    const void* data = nullptr;
    uint32_t size = 0;
    if (platform::FindMediaResource(id, &data, &size) != platform::ResourceLookup::kFound) {
        zen::Error("Невозможно загрузить ресурс ID[%d].", id);
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.assign(bytes, bytes + size);
    return true;
}

int SettingsStore::LoadDefaults()
{
    std::vector<uint8_t> resource;
    if (!LoadResourceCopy(kDefaultsResource, resource)) {
        zen::Info("Ресурс настроек не загружен.");
        return 1;
    }
    zen::Info("Ресурс настроек загружен.");
    const std::string text(resource.begin(), resource.end());
    SettingsFile file(text);
    std::string_view line;
    while (file.NextLine(line)) {
        std::string_view key, value;
        SettingsFile::SplitEntry(line, key, value);
        if (key == "RegistryPath")
            m_registryPath = zen::String(value);
        else if (key == "main_web_site_url")
            m_webSite = zen::String(value);
        for (const UserSettingField& field : kUserSettingFields) {
            if (key != field.key)
                continue;
            if (field.flag) {
                int32_t number = 0;
                (void)ParseLeadingInt(value, number);
                m_defaults.*field.flag = number != 0;
            } else {
                (void)ParseLeadingInt(value, m_defaults.*field.number);
            }
        }
        if (m_saver.ParseExtraSetting(zen::String(key), zen::String(value)) != 0) {
            zen::Error("Неудачна обработка параметра [%s].", std::string(line).c_str());
            return 1;
        }
    }
    return 0;
}

int SettingsStore::ApplyDefaults()
{
    m_settings = m_defaults;
    return m_saver.OnDefaultsApplied();
}

int SettingsStore::ReadRegistry()
{
    platform::SettingsKey key = nullptr;
    bool created = false;
    const long status =
        platform::OpenOrCreateSettingsKey(m_registryPath.Std(), platform::kSettingsReadAccess, &key, &created);
    if (status != 0) {
        zen::Error("Неудачна попытка открытия пути реестра [%s].", m_registryPath.CStr());
        std::string text;
        if (platform::SystemErrorText(status, text))
            platform::ShowInformationBox(text, "Error");
        return 1;
    }
    if (created) {
        (void)platform::CloseSettingsKey(key);
        zen::Info("Первый запуск скринсейвера. Запись параметров по-умолчанию в реестр...");
        if (WriteRegistry() != 0) {
            zen::Error("Невозможно записать в реестр значения по-умолчанию.");
            return 1;
        }
        zen::Info("Значения параметров по-умолчанию записаны в реестр.");
        return 0;
    }
    for (const UserSettingField& field : kUserSettingFields) {
        uint32_t stored = 0;
        if (!platform::ReadSettingsValue(key, field.key, &stored))
            continue;  // Missing or unreadable: the layer below stays.
        if (field.flag)
            m_settings.*field.flag = stored != 0;
        else
            m_settings.*field.number = static_cast<int32_t>(stored);
    }
    (void)m_saver.ReadExtraSettings(key);
    if (platform::CloseSettingsKey(key) != 0) {
        zen::Error("Неудачна попытка закрытия пути реестра [%s].", m_registryPath.CStr());
        return 1;
    }
    return 0;
}

int SettingsStore::WriteRegistry()
{
    platform::SettingsKey key = nullptr;
    bool created = false;
    if (platform::OpenOrCreateSettingsKey(m_registryPath.Std(), platform::kSettingsWriteAccess, &key, &created) !=
        0) {
        zen::Error("Неудачна попытка открытия пути реестра [%s].", m_registryPath.CStr());
        return 1;
    }
    for (const UserSettingField& field : kUserSettingFields) {
        const uint32_t stored =
            field.flag ? (m_settings.*field.flag ? 1u : 0u) : static_cast<uint32_t>(m_settings.*field.number);
        (void)platform::WriteSettingsValue(key, field.key, stored);
    }
    (void)m_saver.WriteExtraSettings(key);
    (void)platform::FlushSettingsKey(key);
    if (platform::CloseSettingsKey(key) != 0) {
        zen::Error("Неудачна попытка закрытия пути реестра [%s].", m_registryPath.CStr());
        return 1;
    }
    return 0;
}

int SettingsStore::LogSettings()
{
    for (const UserSettingField& field : kUserSettingFields) {
        if (field.flag)
            zen::Info("%s: %s", field.key, m_settings.*field.flag ? "true" : "false");
        else
            zen::Info("%s: %d", field.key, m_settings.*field.number);
    }
    return m_saver.OnSettingsLogged();
}

int SettingsStore::LoadMessages()
{
    std::vector<uint8_t> resource;
    if (!LoadResourceCopy(kMessagesResource, resource)) {
        zen::Info("Ресурс локальных данных не загружен.");
        return 1;
    }
    zen::Info("Ресурс локальных данных загружен.");
    const std::string text(resource.begin(), resource.end());
    SettingsFile file(text);
    std::string_view line;
    while (file.NextLine(line)) {
        std::string_view key, value;
        SettingsFile::SplitEntry(line, key, value);
        (void)m_messages.Insert(zen::String(key), zen::String(value));  // A repeated key keeps its first text.
    }
    return 0;
}

const zen::String* SettingsStore::LookupMessage(const zen::String& key) const
{
    return m_messages.Find(key);
}

}  // namespace brightfold
