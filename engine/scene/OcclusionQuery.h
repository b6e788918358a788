#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/scene/RenderResource.h"

namespace zen {

// A measurement of how many pixels a draw leaves visible ("ZEN.OcclusionQuery"): the renderer
// mirrors it as a device query, made on the first BeginOcclusionQuery. The frame never waits
// for the answer: EndOcclusionQuery stores the count when the device already has it, and until
// then the count of the last completed measurement stays. Not streamed.
class OcclusionQuery : public Object, public RenderResource {
    ZEN_DECLARE_CLASS

public:
    OcclusionQuery() = default;
    ~OcclusionQuery() override;  // Hands the device query back (ReleaseQuery).

    // Pixels that passed the depth test between the last completed begin and end; 0 before.
    uint32_t VisiblePixels() const { return m_visiblePixels; }
    void SetVisiblePixels(uint32_t pixels) { m_visiblePixels = pixels; }  // For renderers.

private:
    uint32_t m_visiblePixels = 0;
};

}  // namespace zen
