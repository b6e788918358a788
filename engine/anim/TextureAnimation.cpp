#include "engine/anim/TextureAnimation.h"

#include <new>

#include "engine/anim/TextureKeyframe.h"
#include "engine/core/ReferenceVisitor.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TextureAnimation, Animation, kStartupOtherClasses)

Keyframe* TextureAnimation::NewKeyframe() const { return new (std::nothrow) TextureKeyframe(); }

Keyframe::Kind TextureAnimation::KeyframeKind() const { return TextureKeyframe::kKind; }

void TextureAnimation::VisitReferences(ReferenceVisitor& visitor)
{
    Animation::VisitReferences(visitor);
    for (uint32_t i = 0; i < KeyframeCount(); ++i)
        visitor(static_cast<TextureKeyframe*>(GetKeyframe(i))->texture);
}

}  // namespace zen
