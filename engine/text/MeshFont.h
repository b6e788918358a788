#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/text/Font.h"
#include "engine/text/FontMesh.h"

namespace zen {

class Texture;

// The part the texture fonts share: their FontMesh (built for maxChars slots, its effect
// carrying the colour and the glyph texture), the formatting of DrawText, and the texture link
// that follows the font fields in their stream form. Not a run-time type of its own: the fonts
// stream as subclasses of ZEN.Font.
class MeshFont : public Font {
public:
    ~MeshFont() override;

    void SetMaxChars(uint32_t count) override;
    void SetColour(const Vector4& colour) override;
    void DrawText(float x, float y, float z, const char* format, ...) override
        __attribute__((format(printf, 5, 6)));
    // The same for text that is already formatted; the quads built (characters drawn).
    virtual uint32_t DrawString(float x, float y, float z, const char* text) = 0;

    Texture* GetTexture() const;
    virtual void SetTexture(Texture* texture);
    const FontMesh& GetMesh() const { return m_mesh; }

    // The font fields, then the texture (link); Load sets the texture through MeshFont's own
    // SetTexture.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    MeshFont();
    // Load's reading alone: the font fields and the texture link, each with its message.
    Result LoadTexture(Stream& stream, Ptr<Texture>& out);

    FontMesh m_mesh;
};

}  // namespace zen
