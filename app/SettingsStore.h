#pragma once
#include <cstdint>
#include <vector>

#include "app/UserSettings.h"
#include "engine/core/HashMap.h"
#include "engine/core/String.h"

namespace brightfold {

class Saver;

// The saver's settings and interface texts. Three layers: the built-in values of UserSettings,
// the default-settings resource (239), and the current user's registry values; the first run
// writes the defaults to the registry. The interface texts come from resource 229. The
// saver's virtual hooks (ParseExtraSetting, ReadExtraSettings, ...) are called at the points a
// derived saver may extend. Every operation returns 0 on success and 1 on failure, logged.
class SettingsStore {
public:
    static constexpr int kDefaultsResource = 239;
    static constexpr int kMessagesResource = 229;

    explicit SettingsStore(Saver& saver);

    int LoadDefaults();   // Resource 239 -> defaultSettings, registryPath, webSite.
    int ApplyDefaults();  // settings = defaultSettings, then the saver's OnDefaultsApplied.
    int ReadRegistry();   // Overlays the registry values, or writes the defaults on first run.
    int WriteRegistry();  // Saves settings as thirteen 32-bit values.
    int LogSettings();    // Thirteen log lines, then the saver's OnSettingsLogged.
    int LoadMessages();   // Resource 229 -> the message table.

    // Exact, case-sensitive key; null when absent. A key defined twice keeps its first text.
    const zen::String* LookupMessage(const zen::String& key) const;
    // A copy of MEDIADATA resource `id`; false (logged) when it cannot be found or loaded.
    static bool LoadResourceCopy(int id, std::vector<uint8_t>& out);

    const zen::String& RegistryPath() const { return m_registryPath; }
    const zen::String& WebSite() const { return m_webSite; }
    const UserSettings& Defaults() const { return m_defaults; }
    UserSettings& Current() { return m_settings; }
    const UserSettings& Current() const { return m_settings; }

private:
    Saver& m_saver;  // The owner; its hooks extend loading and saving.
    zen::String m_registryPath{"Software\\Brightfold\\Test Screensaver"};
    zen::String m_webSite;
    UserSettings m_defaults;   // Built-in values, then the resource's; changed by nothing after.
    UserSettings m_settings;   // What the program reads; changed only by the settings dialog.
    zen::HashMap<zen::String, zen::String> m_messages{32};
};

}  // namespace brightfold
