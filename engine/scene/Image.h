#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Object.h"
#include "engine/core/String.h"

namespace zen {

class File;

// A picture in memory ("ZEN.Image"): width × height pixels of one format, rows bottom-up (row 0
// is the bottom row), pixels packed with no row padding. Images are decoded from a file of the
// file tree by the image codec for its extension, or made empty with given dimensions (render
// targets, generated textures). Only the file name or the dimensions are streamed, never the
// pixels: an image with a file name is decoded again when loaded. Every size is checked against
// the limits below before anything is allocated, so a corrupt file or scene cannot ask for
// more memory than one large texture needs.
class Image : public Object {
    ZEN_DECLARE_CLASS
public:
    // Pixel formats and their byte layout in memory.
    enum Format : uint32_t {
        kR8G8B8 = 0,        // 3 bytes: R, G, B.
        kR8G8B8A8 = 1,      // 4 bytes: R, G, B, A.
        kA8 = 2,            // 1 byte: one channel (grey or alpha).
        kA16B16G16R16 = 3,  // 8 bytes: four 16-bit channels.
    };
    static constexpr uint32_t kFormatCount = 4;

    // Limits on what any image may hold: a side of at most kMaxDimension pixels, at most
    // kMaxDepth slices and at most kMaxDataSize bytes of pixels.
    static constexpr uint32_t kMaxDimension = 16384;
    static constexpr uint32_t kMaxDepth = 16384;
    static constexpr uint32_t kMaxDataSize = 256u * 1024u * 1024u;

    // Bytes per pixel of `format`; 0 for a value that is no format.
    static uint32_t BytesPerPixel(uint32_t format);
    // True when the format exists and the dimensions lie within the limits; `size` then holds
    // the pixel bytes (0 when any dimension is 0). Nothing is logged.
    [[nodiscard]] static bool ComputeDataSize(uint32_t format, uint32_t width, uint32_t height, uint32_t depth,
                                              uint32_t& size);

    // Construction
    Image();  // No file, format R8G8B8, 0 × 0, no pixels.
    // An empty image of the given size (pixels zeroed). When the size is beyond the limits or
    // cannot be allocated, the error is logged and the image stays 0 × 0 with no pixels.
    Image(const String& name, uint32_t format, uint32_t width, uint32_t height);
    // Remembers the file's path as the file name, takes the file's name when `name` is empty,
    // and decodes the file (LoadFromFile); a failed decode leaves no pixels, logged.
    Image(File* file, const String& name);
    ~Image() override;

    // Persistence: the file name, and only when it is empty the dimensions and format.
    [[nodiscard]] Result Save(Stream& stream) override;
    [[nodiscard]] Result Load(Stream& stream) override;

    // Bytes of pixels: bytes per pixel × width × height (× depth for volumes).
    virtual uint32_t GetDataSize() const;

    // Decodes `file` with the registered image codec for its extension, replacing dimensions,
    // format and pixels. kSuccess; kInvalidArgument for a null file or no codec (a warning);
    // kFailure when the codec refuses the file (logged; the image is unchanged).
    Result LoadFromFile(File* file);

    // Pixels. SetPixels replaces dimensions, format and pixel block in one step, taking
    // ownership of `pixels` (GetDataSize bytes for the new dimensions; null only when that size
    // is 0). kInvalidArgument, with nothing changed, for an unknown format, a size beyond the
    // limits or a missing block. Allocate does the same with a new zeroed block (kOutOfMemory
    // when it cannot be had).
    [[nodiscard]] Result SetPixels(uint32_t format, uint32_t width, uint32_t height,
                                   std::unique_ptr<uint8_t[]> pixels);
    [[nodiscard]] Result Allocate(uint32_t format, uint32_t width, uint32_t height);
    uint8_t* Data() { return m_data.get(); }
    const uint8_t* Data() const { return m_data.get(); }

    // Access
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint32_t Format() const { return m_format; }
    virtual uint32_t Depth() const { return 1; }  // Slices; a plain image has one.
    const String& FileName() const { return m_fileName; }
    void SetFileName(const String& fileName) { m_fileName = fileName; }

protected:
    // The work of the (file, name) constructors, run from the most derived constructor's body so
    // that the codec sees the final type (a CUBE file needs a volume image).
    void InitializeFromFile(File* file);
    // The common part of SetPixels for flat and volume images (depth 1 for flat ones).
    Result Replace(uint32_t format, uint32_t width, uint32_t height, uint32_t depth, std::unique_ptr<uint8_t[]> pixels);
    // Depth is kept by VolumeImage; a flat image accepts only 1.
    virtual void SetDepth(uint32_t depth) { (void)depth; }
    virtual bool IsVolume() const { return false; }

private:
    String m_fileName;                  // Path in the file tree; empty for images made in memory.
    uint32_t m_width = 0;               // Pixels.
    uint32_t m_height = 0;              // Pixels.
    uint32_t m_format = kR8G8B8;        // Always one of Format.
    std::unique_ptr<uint8_t[]> m_data;  // GetDataSize() bytes, or null when that is 0 or unset.
};

}  // namespace zen
