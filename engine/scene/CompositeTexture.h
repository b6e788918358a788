#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeTexture.h"

namespace zen {

// A volume texture whose slices are assembled from a list of flat source images
// ("ZEN.CompositeTexture"). The volume image keeps its width, height and format and gets one
// slice per source the first time the image is asked for without marking it dirty (the
// renderer's upload): each slice is a nearest-neighbour copy of its source, scaled to the
// volume's width and height. A source of another format, or one without pixels, gives a slice
// of zeros (with a warning). Only the volume image is streamed (as for a volume texture); the
// source list is built in code.
class CompositeTexture : public VolumeTexture {
    ZEN_DECLARE_CLASS

public:
    CompositeTexture() = default;
    CompositeTexture(const String& name, VolumeImage* image);

    // Sources. Changing the list makes the next GetImage(false) compose again.
    // kSuccess; kInvalidArgument for null; kOutOfMemory when the list cannot grow.
    Result AddSourceImage(Image* image);
    uint32_t SourceImageCount() const { return m_sources.Count(); }
    Image* GetSourceImage(uint32_t index) const;  // Null past the end.
    void RemoveSourceImages();

    // With `markDirty`: forgets the composition and marks the texture for upload (the caller
    // is about to write into the slices). Without: composes first when not yet composed.
    VolumeImage* GetImage(bool markDirty) override;
    // As for a volume texture; the new image is composed on its next use.
    void SetImage(VolumeImage* image) override;
    bool IsComposed() const { return m_composed; }

    // The texture, its controllers, its volume image, then the sources.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

private:
    // Rebuilds the volume image's slices from the sources. Leaves m_composed false when there
    // is no volume image or its pixels cannot be allocated (logged).
    void Compose();

    Array<Ptr<Image>> m_sources{4, 4};  // Counted references, in slice order.
    bool m_composed = false;
};

}  // namespace zen
