#include "engine/text/TextureFont.h"

#include "engine/core/Startup.h"
#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TextureFont, Font, kStartupOtherClasses)

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

}  // namespace zen
