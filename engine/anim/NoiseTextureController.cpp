#include "engine/anim/NoiseTextureController.h"

#include <cstdlib>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NoiseTextureController, Controller, kStartupOtherClasses)

float NoiseTextureController::Value(uint32_t x, uint32_t y, uint32_t z, uint32_t seed, bool volume)
{
    if (volume)
        return NoiseHash(x + 57u * y + 131u * z + 295u * seed);
    return NoiseHash(x + 57u * y + 131u * seed);
}

bool NoiseTextureController::Generate(Image& image, bool volume)
{
    const uint32_t bytes = Image::BytesPerPixel(image.Format());
    const uint32_t width = image.Width();
    const uint32_t height = image.Height();
    const uint32_t depth = volume ? image.Depth() : 1;
    const uint32_t size = bytes * width * height * depth;  // Within the image limits already.
    std::unique_ptr<uint8_t[]> block = NewBlock(size);
    if (!block)
        return true;
    const float color[4] = {m_color.x, m_color.y, m_color.z, m_color.w};
    const uint32_t seed = static_cast<uint32_t>(std::rand());
    uint8_t* out = block.get();
    for (uint32_t z = 0; z < depth; ++z)
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const double value = Value(x, y, z, seed, volume);
                for (uint32_t c = 0; c < bytes; ++c)
                    *out++ = LowByte(value * color[ColorComponent(c, bytes)] * 255.0);
            }
    Result replaced;
    if (volume)
        replaced = static_cast<VolumeImage&>(image).SetPixels(image.Format(), width, height, depth, std::move(block));
    else
        replaced = image.SetPixels(image.Format(), width, height, std::move(block));
    (void)replaced;  // Same format and size as the image had: always accepted.
    return true;
}

Result NoiseTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteBool(m_regenerate);
    stream.WriteVector4(m_color);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные генерации. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result NoiseTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    stream.ReadBool(m_regenerate);
    stream.ReadVector4(m_color);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные генерации. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
