#include "engine/text/TextureFont.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Startup.h"
#include "engine/core/Stream.h"
#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TextureFont, Font, kStartupOtherClasses)

TextureFont::TextureFont()
{
    SetMaxChars(m_maxChars);
    SetColour(m_colour);
}

TextureFont::~TextureFont() = default;

void TextureFont::SetMaxChars(uint32_t count)
{
    Font::SetMaxChars(count);
    if (m_mesh.Build(count, Name(), ID()) != kSuccess)
        Font::SetMaxChars(0);
}

void TextureFont::SetColour(const Vector4& colour)
{
    Font::SetColour(colour);
    if (TextureEffect* effect = m_mesh.Effect())
        effect->SetColor(colour);
}

Texture* TextureFont::GetTexture() const
{
    return m_mesh.Effect() ? m_mesh.Effect()->GetTexture() : nullptr;
}

void TextureFont::SetTexture(Texture* texture)
{
    if (TextureEffect* effect = m_mesh.Effect())
        effect->SetTexture(texture);
}

void TextureFont::DrawText(float x, float y, float z, const char* format, ...)
{
    if (!format || m_maxChars == 0)
        return;
    std::unique_ptr<char[]> text(new (std::nothrow) char[m_maxChars + 1]);
    if (!text) {
        Error("Недостаточно памяти для создания строки текста TextureFont. Имя[%s] ID[%d].", Name().CStr(), ID());
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text.get(), m_maxChars + 1, format, arguments);
    va_end(arguments);
    (void)DrawString(x, y, z, text.get());
}

uint32_t TextureFont::DrawString(float x, float y, float z, const char* text)
{
    Vector3* positions = m_mesh.Positions();
    Vector2* coordinates = m_mesh.Coordinates();
    if (!text || !positions || !coordinates)
        return 0;
    float pen = x;
    uint32_t slot = 0;
    for (; text[slot] && slot < m_maxChars; ++slot) {
        const uint32_t k = static_cast<uint8_t>(text[slot]);
        const float uLeft = static_cast<float>(k % 16) / 16, uRight = static_cast<float>(k % 16 + 1) / 16;
        const float vTop = static_cast<float>(k / 16) / 16, vBottom = static_cast<float>(k / 16 + 1) / 16;
        Vector3* v = positions + 4 * slot;
        Vector2* t = coordinates + 4 * slot;
        v[0] = Vector3{pen, y - m_scaleY, z};
        v[1] = Vector3{pen + m_scaleX, y - m_scaleY, z};
        v[2] = Vector3{pen + m_scaleX, y, z};
        v[3] = Vector3{pen, y, z};
        t[0] = Vector2{uLeft, vBottom};
        t[1] = Vector2{uRight, vBottom};
        t[2] = Vector2{uRight, vTop};
        t[3] = Vector2{uLeft, vTop};
        pen += m_scaleX + m_spacing;
    }
    m_mesh.Draw(slot);
    return slot;
}

Result TextureFont::Save(Stream& stream)
{
    if (Font::Save(stream) != kSuccess) {
        Error("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.WriteObject(GetTexture()) != kSuccess) {
        Error("Невозможно сохранить текстуру шрифта. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result TextureFont::Load(Stream& stream)
{
    if (Font::Load(stream) != kSuccess) {
        Error("Невозможно загрузить родительские данные. ID[%d]", ID());
        return kFailure;
    }
    Ptr<Texture> texture;
    if (stream.ReadObject(texture) != kSuccess) {
        Error("Невозможно загрузить текстуру шрифта. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    SetTexture(texture.Get());
    return kSuccess;
}

}  // namespace zen
