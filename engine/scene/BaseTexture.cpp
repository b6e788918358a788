#include "engine/scene/BaseTexture.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(BaseTexture, Object, kStartupOtherClasses)

BaseTexture::~BaseTexture()
{
    if (Renderer* renderer = BoundRenderer())
        renderer->ReleaseTexture(this);
}

void BaseTexture::UpdateForFrame(double time)
{
    if (const Renderer* renderer = Renderer::Current()) {
        const uint32_t frame = renderer->FrameNumber() + 1;
        if (m_updatedFrame == frame)
            return;
        m_updatedFrame = frame;
    }
    Update(time);
}

void BaseTexture::Update(double time)
{
    UpdateControllers(time);
}

void BaseTexture::ReleaseDeviceCopy()
{
    if (Renderer* renderer = BoundRenderer())
        renderer->ReleaseTexture(this);
    Reset();
}

Result BaseTexture::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteInt(m_mipLevels) != kSuccess) {
        Error("Невозможно сохранить количество мип-мэпов текстуры. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result BaseTexture::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return ParentLoadFailed();
    if (stream.ReadInt(m_mipLevels) != kSuccess) {
        Error("Невозможно загрузить количество мип-мэпов текстуры. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
