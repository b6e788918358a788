#include "engine/text/MeshFont.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

MeshFont::MeshFont()
{
    SetMaxChars(m_maxChars);
    SetColour(m_colour);
}

MeshFont::~MeshFont() = default;

void MeshFont::SetMaxChars(uint32_t count)
{
    Font::SetMaxChars(count);
    if (m_mesh.Build(count, Name(), ID()) != kSuccess)
        Font::SetMaxChars(0);
}

void MeshFont::SetColour(const Vector4& colour)
{
    Font::SetColour(colour);
    if (TextureEffect* effect = m_mesh.Effect())
        effect->SetColor(colour);
}

Texture* MeshFont::GetTexture() const
{
    return m_mesh.Effect() ? m_mesh.Effect()->GetTexture() : nullptr;
}

void MeshFont::SetTexture(Texture* texture)
{
    if (TextureEffect* effect = m_mesh.Effect())
        effect->SetTexture(texture);
}

void MeshFont::DrawText(float x, float y, float z, const char* format, ...)
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

Result MeshFont::Save(Stream& stream)
{
    if (Font::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(GetTexture()) != kSuccess) {
        Error("Невозможно сохранить текстуру шрифта. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result MeshFont::LoadTexture(Stream& stream, Ptr<Texture>& out)
{
    if (Font::Load(stream) != kSuccess)
        return ParentLoadFailed();
    if (stream.ReadObject(out) != kSuccess) {
        Error("Невозможно загрузить текстуру шрифта. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    return kSuccess;
}

Result MeshFont::Load(Stream& stream)
{
    Ptr<Texture> texture;
    if (LoadTexture(stream, texture) != kSuccess)
        return kFailure;
    MeshFont::SetTexture(texture.Get());
    return kSuccess;
}

}  // namespace zen
