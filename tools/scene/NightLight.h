#pragma once
#include <algorithm>
#include <cmath>

#include "engine/core/Vector3.h"
#include "tools/art/Color.h"

namespace zen::scene {

// The light of the night the scene is set in, shared by every picture that has light painted
// into it and by the scene's own light, so baked and live shading agree: a low moon over the sea
// ahead and to the left of the headland, a blue-grey sky light, and the warm lamp.
struct NightLight {
    // From the scene towards the moon (unit length; +z is out to sea).
    static Vector3 MoonDirection() { return Vector3{-0.42f, 0.34f, 0.84f}.Normalized(); }
    static constexpr art::Color kMoonlight{0.78f, 0.86f, 1.0f};
    static constexpr art::Color kSkylight{0.20f, 0.25f, 0.36f};
    static constexpr art::Color kLamplight{1.0f, 0.78f, 0.45f};
    // The colour the distance fades into, the sky just above the horizon.
    static constexpr art::Color kHorizon{0.075f, 0.10f, 0.17f};
    // Fog density per metre of view depth: the far shore fades, the headland stays clear.
    static constexpr float kFogDensity = 0.0016f;

    // Moonlight and sky light falling on a surface facing `normal`: a colour to multiply the
    // surface's own colour by.
    static art::Color Shade(const Vector3& normal)
    {
        const float direct = std::max(0.0f, normal.Dot(MoonDirection()));
        const float sky = 0.55f + 0.45f * std::clamp(normal.y, -1.0f, 1.0f);
        return {kSkylight.r * sky + kMoonlight.r * direct, kSkylight.g * sky + kMoonlight.g * direct,
                kSkylight.b * sky + kMoonlight.b * direct};
    }
};

}  // namespace zen::scene
