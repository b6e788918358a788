#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/render/RendererCapabilities.h"
#include "engine/scene/Pass.h"

namespace zen {

class Effect;

// One way of drawing an effect's look: an ordered list of passes, usable when the device has
// the shader versions the technique names (0: fixed function). The passes are made by the
// effect (Effect::CreatePasses) the first time the technique is found supported, so techniques
// that are never chosen cost nothing on the device. A plain class owned by its effect; not
// streamed.
class Technique {
public:
    // `effect` owns the technique; `index` is its place in the effect's list.
    Technique(Effect* effect, uint32_t index, uint32_t vertexShaderVersion, uint32_t pixelShaderVersion);
    virtual ~Technique();
    Technique(const Technique&) = delete;
    Technique& operator=(const Technique&) = delete;

    // True when `capabilities` (recorded by the renderer) hold the shader versions this
    // technique needs; the passes are made then, once. False also when they cannot be made.
    virtual bool IsSupported(const RendererCapabilities& capabilities);

    // Passes
    uint32_t PassCount() const { return m_passes.Count(); }
    Pass* GetPass(uint32_t index) const { return index < m_passes.Count() ? m_passes[index].Get() : nullptr; }
    // For Effect::CreatePasses: appends `pass` (a counted reference). kInvalidArgument for null.
    Result AddPass(Pass* pass);
    // Invalidate on every pass.
    void Invalidate();
    // Drops the passes; the next IsSupported makes them again.
    void DiscardPasses();

    uint32_t Index() const { return m_index; }
    uint32_t VertexShaderVersion() const { return m_vertexShaderVersion; }  // Major x 10 + minor.
    uint32_t PixelShaderVersion() const { return m_pixelShaderVersion; }

private:
    Effect* m_effect;                 // Not owned: the effect owns this technique.
    uint32_t m_index;
    uint32_t m_vertexShaderVersion;   // 0: no vertex shader needed.
    uint32_t m_pixelShaderVersion;    // 0: no pixel shader needed.
    bool m_passesMade = false;
    Array<Ptr<Pass>> m_passes{1, 1};
};

}  // namespace zen
