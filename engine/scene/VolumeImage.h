#pragma once
#include <cstdint>
#include <memory>

#include "engine/scene/Image.h"

namespace zen {

// A stack of equally sized slices ("ZEN.VolumeImage"), stored one after another, each laid out
// like a flat image (rows bottom-up). Volume textures sample it in three dimensions; a cube map
// is a volume image of depth 6 with one slice per face, in the order the CUBE file holds them.
class VolumeImage : public Image {
    ZEN_DECLARE_CLASS
public:
    VolumeImage();  // 0 × 0 × 0, no pixels.
    // An empty volume (pixels zeroed); beyond the limits or out of memory: logged, left empty.
    VolumeImage(const String& name, uint32_t format, uint32_t width, uint32_t height, uint32_t depth);
    // As Image(file, name): decodes the file (a CUBE file gives six slices).
    VolumeImage(File* file, const String& name);

    uint32_t Depth() const override { return m_depth; }
    // Bytes per slice: bytes per pixel × width × height.
    uint32_t GetSliceSize() const;
    uint8_t* Slice(uint32_t index);  // Null past the last slice or without pixels.

    // As Image::SetPixels and Allocate, with a depth.
    [[nodiscard]] Result SetPixels(uint32_t format, uint32_t width, uint32_t height, uint32_t depth,
                                   std::unique_ptr<uint8_t[]> pixels);
    [[nodiscard]] Result Allocate(uint32_t format, uint32_t width, uint32_t height, uint32_t depth);
    using Image::Allocate;
    using Image::SetPixels;

protected:
    void SetDepth(uint32_t depth) override { m_depth = depth; }
    bool IsVolume() const override { return true; }

private:
    uint32_t m_depth = 0;  // Slices.
};

}  // namespace zen
