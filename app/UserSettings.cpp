#include "app/UserSettings.h"

namespace brightfold {

const std::array<UserSettingField, 13> kUserSettingFields = {{
    {"ShowFPS", &UserSettings::showFps, nullptr},
    {"ExitOnMouseMove", &UserSettings::exitOnMouseMove, nullptr},
    {"ShowTime", &UserSettings::showTime, nullptr},
    {"UseDesktopSettings", &UserSettings::useDesktopSettings, nullptr},
    {"Music", &UserSettings::music, nullptr},
    {"SFX", &UserSettings::sfx, nullptr},
    {"Hour24", &UserSettings::hour24, nullptr},
    {"Volume", nullptr, &UserSettings::volume},
    {"Width", nullptr, &UserSettings::width},
    {"Height", nullptr, &UserSettings::height},
    {"ColorDepth", nullptr, &UserSettings::colorDepth},
    {"AntiAliasing", nullptr, &UserSettings::antiAliasing},
    {"Gamma", nullptr, &UserSettings::gamma},
}};

}  // namespace brightfold
