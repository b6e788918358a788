#pragma once

// Engine classes, managers and modules add their functions to the engine's start and stop
// lists from static initialisers. The resulting order is observable (log lines at start and
// stop, managers ready before modules register), so each contribution names its place with a
// static-initialisation priority instead of relying on the link order of files.
#define ZEN_STARTUP(tier) __attribute__((init_priority(tier)))

namespace zen {

// Priorities (GCC allows 101..65535; lower runs earlier). Gaps leave room for later layers.
enum StartupTier : int {
    kStartupObject = 1000,         // ZEN.Object's Initialize is the first function of all.
    kStartupCoreClasses = 1100,    // Core and scene classes of the first units: buffers, spatial, geometry.
    kStartupFileManager = 2000,
    kStartupInputManager = 2010,
    kStartupModuleManager = 2020,
    kStartupCodecManager = 2030,
    kStartupSceneClasses = 3000,   // Image, node and effect classes.
    kStartupFontManager = 3100,
    kStartupSoundManager = 3200,
    kStartupOtherClasses = 4000,   // Everything else: cameras, lights, particles, controllers, ...
    kStartupModules = 5000,        // Module registrations (post-initialise), one tier each:
    kStartupModuleDirectX9 = 5000,
    kStartupModuleBmp = 5001,
    kStartupModuleJpg = 5002,
    kStartupModuleTga = 5003,
    kStartupModuleCube = 5004,
    kStartupModuleStr = 5005,
    kStartupModuleRar2 = 5006,
    kStartupModuleTesting = 5100,  // Modules that exist only for tests and tools.
};

}  // namespace zen
