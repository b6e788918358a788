#include "engine/anim/SinTextureController.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <numbers>

#include "engine/core/MessageLog.h"
#include "engine/scene/Texture.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SinTextureController, Controller, kStartupOtherClasses)

uint8_t SinTextureController::SineByte(uint32_t x, uint32_t width, float exponent)
{
    const double wave = (std::sin(2.0 * std::numbers::pi * x / width) + 1.0) / 2.0;
    const double value = 255.0 * std::pow(wave, static_cast<double>(exponent));
    if (!(value > 0))
        return 0;
    return value >= 255.0 ? 255 : static_cast<uint8_t>(value);
}

void SinTextureController::FillColumns(Object* owner, ColumnByte column, float exponent)
{
    if (!owner || !owner->IsDerivedFrom(&Texture::TYPE))
        return;
    Texture& texture = static_cast<Texture&>(*owner);
    Image* image = texture.GetImage();
    if (!image)
        return;
    const uint32_t width = image->Width();
    const uint32_t height = image->Height();
    const uint32_t pixelBytes = Image::BytesPerPixel(image->Format());
    const uint32_t size = image->GetDataSize();
    if (width == 0 || height == 0 || size == 0)
        return;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size]);
    if (!pixels) {
        Error("Недостаточно памяти для создания текстуры. Имя[%s] ID[%d]", texture.Name().CStr(), texture.ID());
        return;
    }
    // One row computed, then copied: the value depends on the column only.
    const uint32_t rowBytes = width * pixelBytes;
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t value = column(x, width, exponent);
        for (uint32_t b = 0; b < pixelBytes; ++b)
            pixels[x * pixelBytes + b] = value;
    }
    for (uint32_t y = 1; y < height; ++y)
        std::copy(pixels.get(), pixels.get() + rowBytes, pixels.get() + static_cast<size_t>(y) * rowBytes);
    if (image->SetPixels(image->Format(), width, height, std::move(pixels)) != kSuccess)
        return;
    texture.SetDirty();
}

void SinTextureController::Update(double)
{
    if (!m_active || m_done)
        return;
    FillColumns(m_owner, &SineByte, m_exponent);
    m_done = true;
}

}  // namespace zen
