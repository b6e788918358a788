#include "engine/anim/NormalmapTextureController.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Image.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NormalmapTextureController, Controller, kStartupOtherClasses)

bool NormalmapTextureController::Generate(Image& image, bool)
{
    if (image.Format() != Image::kA8 || !image.Data())
        return false;
    const uint32_t width = image.Width();
    const uint32_t height = image.Height();
    const uint32_t bytes = m_keepHeight ? 4 : 3;
    std::unique_ptr<uint8_t[]> block = NewBlock(bytes * width * height);
    if (!block)
        return true;
    const uint8_t* src = image.Data();
    uint8_t* out = block.get();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const float h0 = src[size_t(y) * width + x] / 255.0f;
            const float hr = src[size_t(y) * width + (x + 1) % width] / 255.0f;
            const float hd = src[size_t((y + 1) % height) * width + x] / 255.0f;
            const float dx = (h0 - hr) * m_bump;
            const float dy = (h0 - hd) * m_bump;
            const float q = 1.0f / std::sqrt(dx * dx + dy * dy + 1.0f);
            *out++ = LowByte(q * dx * 127.0f + 128.0f);
            *out++ = LowByte(q * dy * 127.0f + 128.0f);
            *out++ = LowByte(q * 127.0f + 128.0f);
            if (m_keepHeight)
                *out++ = LowByte(h0 * 255.0f);
        }
    const uint32_t format = m_keepHeight ? Image::kR8G8B8A8 : Image::kR8G8B8;
    if (image.SetPixels(format, width, height, std::move(block)) != kSuccess)
        return false;
    return true;
}

Result NormalmapTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteFloat(m_bump);
    stream.WriteBool(m_keepHeight);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить коэффициент бампа. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result NormalmapTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    stream.ReadFloat(m_bump);
    stream.ReadBool(m_keepHeight);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить коэффициент бампа. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
