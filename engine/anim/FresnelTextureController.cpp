#include "engine/anim/FresnelTextureController.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Image.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(FresnelTextureController, Controller, kStartupOtherClasses)

float FresnelTextureController::Reflectance(float c) const
{
    const float sum = m_eta1 + m_eta2;
    // Indices that cancel out have no defined reflectance at normal incidence; treat it as none.
    const float r = sum != 0 ? (m_eta1 - m_eta2) / sum : 0.0f;
    const float r0 = r * r;
    return std::pow(1.0f - c, 5.0f) * (1.0f - r0) + r0;
}

bool FresnelTextureController::Generate(Image& image, bool)
{
    const uint32_t width = image.Width();
    const uint32_t height = image.Height();
    const uint32_t bytes = Image::BytesPerPixel(image.Format());
    std::unique_ptr<uint8_t[]> block = NewBlock(bytes * width * height);
    if (!block)
        return true;
    const uint32_t rowSize = bytes * width;
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t value = LowByte(Reflectance(static_cast<float>(x) / static_cast<float>(width)) * 255.0f);
        for (uint32_t c = 0; c < bytes; ++c)
            block[size_t(x) * bytes + c] = value;
    }
    for (uint32_t y = 1; y < height; ++y)
        std::copy(block.get(), block.get() + rowSize, block.get() + size_t(y) * rowSize);
    if (image.SetPixels(image.Format(), width, height, std::move(block)) != kSuccess)
        return false;
    return true;
}

Result FresnelTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteFloat(m_eta1);
    stream.WriteFloat(m_eta2);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить коэффициенты френеля. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result FresnelTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    stream.ReadFloat(m_eta1);
    stream.ReadFloat(m_eta2);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить коэффициент френеля. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
