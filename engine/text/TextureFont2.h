#pragma once
#include <cstdint>

#include "engine/core/String.h"
#include "engine/text/Font.h"
#include "engine/text/FontMesh.h"
#include "engine/text/FontMetrics.h"

namespace zen {

class Texture;

// A font drawn from a glyph texture and a parameter file with per-character metrics
// ("ZEN.TextureFont2"; the file's format is in FontMetrics). The glyph tables are read when
// both the texture (with its image) and the file name are known; a missing or unreadable file
// leaves the font without glyphs (a warning), so every character is skipped.
// Stream form after the font fields: the texture (link), then the parameter file name (String).
class TextureFont2 : public Font {
    ZEN_DECLARE_CLASS

public:
    TextureFont2();
    ~TextureFont2() override;

    void SetMaxChars(uint32_t count) override;
    void SetColour(const Vector4& colour) override;
    void DrawText(float x, float y, float z, const char* format, ...) override
        __attribute__((format(printf, 5, 6)));
    // The same for text that is already formatted; the quads built (characters drawn).
    uint32_t DrawString(float x, float y, float z, const char* text);

    Texture* GetTexture() const;
    // Sets the glyph texture and, with a parameter file name, reads the file again.
    void SetTexture(Texture* texture);
    const String& ParameterFile() const { return m_parameterFile; }
    void SetParameterFile(const String& name);
    // Reads the parameter file from the file tree (see the class comment); kSuccess when the
    // tables were read, kInvalidArgument when texture or name is missing, kFailure (a warning)
    // when the file is missing or cannot be opened.
    Result ReadParameterFile();

    const FontMetrics& Metrics() const { return m_metrics; }
    // Screen width of character c: 0 without a glyph; for the space its glyph width x scaleX
    // + spacing; otherwise glyph width x scaleX + postSpace + spacing.
    float CharWidth(uint8_t c) const { return m_metrics.CharWidth(c, m_scaleX, m_spacing); }
    const FontMesh& GetMesh() const { return m_mesh; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    FontMesh m_mesh;
    String m_parameterFile;
    FontMetrics m_metrics;
};

}  // namespace zen
