#pragma once
#include <array>
#include <cstdint>

namespace brightfold {

// The thirteen user settings. Flags are one byte in memory and a 32-bit value in the registry.
// The built-in values here are overridden by the default-settings resource, which the registry
// values of the current user override in turn.
struct UserSettings {
    bool showFps = false;
    bool exitOnMouseMove = true;
    bool showTime = true;
    bool useDesktopSettings = true;
    bool music = true;
    bool sfx = true;
    bool hour24 = true;
    int32_t volume = 80;       // Percent; values above 100 count as 100.
    int32_t width = 800;       // Wanted display mode when useDesktopSettings is off.
    int32_t height = 600;
    int32_t colorDepth = 32;
    int32_t antiAliasing = 0;  // Only loaded, logged and saved.
    int32_t gamma = 100;       // Gamma offset handed to the renderer.

    friend bool operator==(const UserSettings&, const UserSettings&) = default;
};

// One row of the settings table: its key (resource and registry), and where it lives. Every
// reader and writer walks this table, so the order (which is also the log's order) is kept
// in one place.
struct UserSettingField {
    const char* key;
    bool UserSettings::*flag;       // Set for flags...
    int32_t UserSettings::*number;  // ...or for numbers.
};

extern const std::array<UserSettingField, 13> kUserSettingFields;

}  // namespace brightfold
