#pragma once
#include "engine/core/Object.h"
#include "engine/scene/RenderResource.h"
#include "engine/scene/RenderState.h"

namespace zen {

// The render state of one pass as a scene object ("ZEN.RenderStateBlock"): a RenderState that
// the renderer records once into a device state block and replays whenever the pass is bound.
// Every change goes through Edit or Set, which mark the block dirty so that the renderer
// records it again. Stream form: every field of the state in declaration order (booleans as
// one byte, enumerations as int32, colours as four float32); a value outside its enumeration
// fails the load.
class RenderStateBlock : public Object, public RenderResource {
    ZEN_DECLARE_CLASS

public:
    RenderStateBlock() = default;
    ~RenderStateBlock() override;  // Hands the recorded device state back (ReleaseRenderState).

    const RenderState& State() const { return m_state; }
    // The state for changing; the block is marked dirty.
    RenderState& Edit();
    // Replaces the state; marks the block dirty only when something differs.
    void Set(const RenderState& state);

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    RenderState m_state;
};

}  // namespace zen
