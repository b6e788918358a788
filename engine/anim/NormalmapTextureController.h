#pragma once
#include "engine/anim/TextureGenerator.h"

namespace zen {

// Turns its owner texture's grey height image (format A8) into a normal map once
// ("ZEN.NormalmapTextureController"): forward differences to the right and upward neighbours
// (wrapping), scaled by the bump coefficient, packed as n * 127 + 128 in R, G, B, with the height
// kept in alpha when asked. An image of another format is left alone and tried again on the
// next Update. Stream form after the controller block: bump (float32), keep-height flag (byte).
class NormalmapTextureController : public TextureGenerator {
    ZEN_DECLARE_CLASS

public:
    NormalmapTextureController() = default;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    float Bump() const { return m_bump; }
    void SetBump(float bump) { m_bump = bump; }
    bool KeepHeight() const { return m_keepHeight; }
    void SetKeepHeight(bool keep) { m_keepHeight = keep; }

protected:
    bool Generate(Image& image, bool volume) override;

private:
    float m_bump = 5.0f;
    bool m_keepHeight = false;  // A fourth byte holds the source height (format R8G8B8A8).
};

}  // namespace zen
