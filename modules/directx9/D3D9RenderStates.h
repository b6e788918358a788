#pragma once
#include <d3d9.h>

#include "engine/scene/RenderState.h"

namespace zen {

// Writes a RenderState to the device: every field as render, texture-stage and sampler states
// and the material, through tables that map the engine's enumerations to device values (each
// checked against its enumeration's size). The renderer calls it while recording a device
// state block, so one block replays the whole fixed-function state of a pass.
class D3D9RenderStates {
public:
    // `state` must be valid (RenderState::IsValid); invalid fields fall back to their defaults.
    // Point sprites may grow to `maxPointSize` pixels, the device's limit read once with its
    // capabilities (64 when that is unknown, 1 or less).
    static void Write(IDirect3DDevice9* device, const RenderState& state, float maxPointSize);

    // Single mappings, also used for the per-draw overrides.
    static D3DCULL CullMode(bool enable, int32_t mode);
    static D3DCMPFUNC CompareFunc(int32_t func);
    // Four floats 0-1 as a device colour (out-of-range values clamped, NaN as 0).
    static D3DCOLOR PackColor(const Vector4& color);
};

}  // namespace zen
