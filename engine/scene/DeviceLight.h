#pragma once
#include <cstdint>

#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

namespace zen {

// A light as a fixed-function device takes it, made by Light::ToDeviceLight for the renderer's
// PushLight. The fields follow the usual device light record (type, colours, position,
// direction, range, falloff, attenuation, cone angles); a back end maps the type with its own
// table. Positions and directions are in world space, angles in radians.
struct DeviceLight {
    enum Type : int32_t { kPoint = 1, kSpot = 2, kDirectional = 3 };

    Type type = kDirectional;
    Vector4 diffuse{0, 0, 0, 1};
    Vector4 specular{0, 0, 0, 1};
    Vector4 ambient{0, 0, 0, 1};
    Vector3 position{};
    Vector3 direction{0, 0, 1};  // Unit length for directional and spot lights.
    float range = 0;             // Distance beyond which the light does nothing.
    float falloff = 1;           // Spot: brightness falloff from the inner to the outer cone.
    float attenuation0 = 1;      // Constant, linear and quadratic distance attenuation.
    float attenuation1 = 0;
    float attenuation2 = 0;
    float innerCone = 0;         // Spot: full angle of the inner cone.
    float outerCone = 0;         // Spot: full angle of the outer cone.
};

}  // namespace zen
