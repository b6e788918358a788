#include "engine/text/TextureFont2.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Startup.h"
#include "engine/core/Stream.h"
#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"
#include "engine/scene/Texture.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TextureFont2, Font, kStartupOtherClasses)

void TextureFont2::SetTexture(Texture* texture)
{
    MeshFont::SetTexture(texture);
    if (!m_parameterFile.IsEmpty())
        (void)ReadParameterFile();
}

void TextureFont2::SetParameterFile(const String& name)
{
    m_parameterFile = name;
    (void)ReadParameterFile();
}

Result TextureFont2::ReadParameterFile()
{
    const Texture* texture = GetTexture();
    const Image* image = texture ? texture->GetImage() : nullptr;
    if (!image || image->Width() == 0 || image->Height() == 0 || m_parameterFile.IsEmpty())
        return kInvalidArgument;
    File* file = FileManager::FindFile(m_parameterFile);
    if (!file) {
        Warning("Создание шрифта [%s] неудачно: не загружен файл параметров [%s].", Name().CStr(),
                m_parameterFile.CStr());
        return kFailure;
    }
    if (file->Open(File::kRead) != kSuccess) {
        Warning("Создание шрифта [%s] неудачно: невозможно открыть файл параметров [%s].", Name().CStr(),
                m_parameterFile.CStr());
        return kFailure;
    }
    const uint8_t* bytes = file->Data();
    const uint32_t size = bytes ? file->GetSize() : 0;
    (void)m_metrics.Parse(reinterpret_cast<const char*>(bytes), size, image->Width(), image->Height());
    (void)file->Close();
    return kSuccess;
}

uint32_t TextureFont2::DrawString(float x, float y, float z, const char* text)
{
    Vector3* positions = m_mesh.Positions();
    Vector2* coordinates = m_mesh.Coordinates();
    if (!text || !positions || !coordinates)
        return 0;
    const FontMetrics& f = m_metrics;
    const float bottom = y - f.baseShift * m_scaleY;
    const float top = bottom + f.lineHeight * m_scaleY;
    float pen = x;
    uint32_t slot = 0;
    for (uint32_t i = 0; text[i] && i < m_maxChars; ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (!f.present[c])
            continue;
        float advance = 0;
        if (c == FontMetrics::kSpace) {
            advance = f.metrics[c][FontMetrics::kGlyphWidth] * m_scaleX;
        } else {
            const float left = pen - f.xOffset * m_scaleX + f.metrics[c][FontMetrics::kPreSpace];
            const float right = left + f.metrics[c][FontMetrics::kCellWidth] * m_scaleX;
            const float* r = f.texRect[c];
            Vector3* v = positions + 4 * slot;
            Vector2* t = coordinates + 4 * slot;
            v[0] = Vector3{left, bottom, z};
            v[1] = Vector3{right, bottom, z};
            v[2] = Vector3{right, top, z};
            v[3] = Vector3{left, top, z};
            t[0] = Vector2{r[FontMetrics::kULeft], r[FontMetrics::kVBottom]};
            t[1] = Vector2{r[FontMetrics::kURight], r[FontMetrics::kVBottom]};
            t[2] = Vector2{r[FontMetrics::kURight], r[FontMetrics::kVTop]};
            t[3] = Vector2{r[FontMetrics::kULeft], r[FontMetrics::kVTop]};
            ++slot;
            advance = f.metrics[c][FontMetrics::kGlyphWidth] * m_scaleX + f.metrics[c][FontMetrics::kPostSpace];
        }
        pen += advance + m_spacing;
    }
    m_mesh.Draw(slot);
    return slot;
}

Result TextureFont2::Save(Stream& stream)
{
    if (MeshFont::Save(stream) != kSuccess)
        return kFailure;
    if (stream.WriteString(m_parameterFile) != kSuccess) {
        Error("Невозможно сохранить файл настроек шрифта. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result TextureFont2::Load(Stream& stream)
{
    Ptr<Texture> texture;
    if (LoadTexture(stream, texture) != kSuccess)
        return kFailure;
    String parameterFile;
    if (stream.ReadString(parameterFile) != kSuccess) {
        Error("Невозможно загрузить файл настроек шрифта. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_parameterFile = parameterFile;
    MeshFont::SetTexture(texture.Get());
    (void)ReadParameterFile();
    return kSuccess;
}

}  // namespace zen
