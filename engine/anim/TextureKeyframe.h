#pragma once
#include "engine/anim/Keyframe.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Texture.h"

namespace zen {

// A key of a texture animation: the texture shown from this key to the next (a counted
// reference; null shows none). Field after the time: the texture as an object link.
class TextureKeyframe : public Keyframe {
public:
    static constexpr Kind kKind = kTexture;
    Kind GetKind() const override { return kKind; }

    // The texture.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    Ptr<Texture> texture;

protected:
    Result SaveFields(Stream& stream) override;
    Result LoadFields(Stream& stream) override;
};

}  // namespace zen
