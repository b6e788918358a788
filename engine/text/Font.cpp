#include "engine/text/Font.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Startup.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(Font, Object, kStartupOtherClasses)

Font::Font() = default;

Font::~Font() = default;

void Font::SetMaxChars(uint32_t count)
{
    m_maxChars = count;
}

void Font::SetColour(const Vector4& colour)
{
    m_colour = colour;
}

void Font::SetScale(float scaleX, float scaleY)
{
    m_scaleX = scaleX;
    m_scaleY = scaleY;
}

Result Font::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteUInt(m_maxChars);
    stream.WriteFloat(m_scaleY);
    stream.WriteFloat(m_scaleX);
    stream.WriteFloat(m_spacing);
    if (stream.WriteVector4(m_colour) != kSuccess) {
        Error("Невозможно сохранить данные шрифта. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Font::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t maxChars = 0;
    float scaleY = 0, scaleX = 0, spacing = 0;
    Vector4 colour;
    stream.ReadUInt(maxChars);
    stream.ReadFloat(scaleY);
    stream.ReadFloat(scaleX);
    stream.ReadFloat(spacing);
    if (stream.ReadVector4(colour) != kSuccess) {
        Error("Невозможно загрузить данные шрифта. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_scaleY = scaleY;
    m_scaleX = scaleX;
    m_spacing = spacing;
    SetMaxChars(maxChars);
    SetColour(colour);
    return kSuccess;
}

}  // namespace zen
