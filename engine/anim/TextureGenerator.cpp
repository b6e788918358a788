#include "engine/anim/TextureGenerator.h"

#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/scene/Texture.h"
#include "engine/scene/VolumeTexture.h"

namespace zen {

void TextureGenerator::Update(double)
{
    if (!m_active)
        return;
    if (m_done && !GeneratesAgain())
        return;
    Image* image = nullptr;
    bool volume = false;
    if (m_owner && m_owner->IsDerivedFrom(&Texture::TYPE)) {
        Texture* texture = static_cast<Texture*>(m_owner);
        texture->SetDirty();
        image = texture->GetImage();
    } else if (m_owner && AcceptsVolume() && m_owner->IsDerivedFrom(&VolumeTexture::TYPE)) {
        image = static_cast<VolumeTexture*>(m_owner)->GetImage(true);
        volume = true;
    } else {
        m_done = true;
        return;
    }
    if (!image || image->Width() == 0 || image->Height() == 0 || image->Depth() == 0) {
        // Nothing to write into; saying so once is enough.
        Warning("Нет изображения для генерации текстуры. Имя[%s] ID[%d]", m_name.CStr(), ID());
        m_done = true;
        return;
    }
    if (Generate(*image, volume))
        m_done = true;
}

float TextureGenerator::NoiseHash(uint32_t n)
{
    const uint32_t m = (n << 13) ^ n;
    const uint32_t mixed = (m * (m * m * 15731u + 789221u) - 771171059u) & 0x7FFFFFFFu;
    return 1.0f - static_cast<float>(static_cast<double>(mixed) / 1073741824.0);
}

uint8_t TextureGenerator::LowByte(double value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        value = 2147483647.0;
    if (value <= -2147483648.0)
        value = -2147483648.0;
    return static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int32_t>(value)));
}

uint32_t TextureGenerator::ColorComponent(uint32_t byteIndex, uint32_t bytesPerPixel)
{
    return bytesPerPixel > 4 ? byteIndex * 4 / bytesPerPixel : byteIndex;
}

std::unique_ptr<uint8_t[]> TextureGenerator::NewBlock(uint32_t size)
{
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size > 0 ? size : 1]);
    if (!block)
        Error("Недостаточно памяти для генерации текстуры. Имя[%s] ID[%d]", m_name.CStr(), ID());
    return block;
}

}  // namespace zen
