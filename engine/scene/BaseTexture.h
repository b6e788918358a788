#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/scene/RenderResource.h"

namespace zen {

// Base of the textures ("ZEN.BaseTexture", abstract): an image wrapped for the renderer, which
// builds the device texture from it while the resource is dirty and keeps its handle in the
// RenderResource part. Subclasses hold the image: a flat one (Texture), six faces (CubeTexture)
// or slices (VolumeTexture, CompositeTexture). Stream form: mip levels (int32) after the Object
// fields, then the subclass's image link.
class BaseTexture : public Object, public RenderResource {
    ZEN_DECLARE_CLASS

public:
    ~BaseTexture() override;  // Hands the device copy back to its renderer (ReleaseTexture).

    // Runs the attached controllers (generators, render-to-texture) with `time` seconds.
    virtual void Update(double time);
    // Update as the effects that use the texture call it while the scene is updated: once per
    // frame of the current renderer however many effects share the texture (without a renderer,
    // every call).
    void UpdateForFrame(double time);

    // Mip levels of the device texture; 0 means a full chain down to 1 × 1.
    int32_t MipLevels() const { return m_mipLevels; }
    void SetMipLevels(int32_t levels) { m_mipLevels = levels; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    BaseTexture() = default;

    // After the image changed: the renderer that holds a device copy releases it, and the
    // texture is marked dirty so the next use builds it from the new image.
    void ReleaseDeviceCopy();

private:
    int32_t m_mipLevels = 0;
    uint32_t m_updatedFrame = 0;  // 1 + the renderer's frame number of the last UpdateForFrame.
};

}  // namespace zen
