#pragma once
#include <cstdint>

#include "engine/core/String.h"
#include "engine/text/FontMetrics.h"
#include "engine/text/MeshFont.h"

namespace zen {

// A font drawn from a glyph texture and a parameter file with per-character metrics
// ("ZEN.TextureFont2"; the file's format is in FontMetrics). The glyph tables are read when
// both the texture (with its image) and the file name are known; a missing or unreadable file
// leaves the font without glyphs (a warning), so every character is skipped.
// Stream form after the font fields: the texture (link), then the parameter file name (String).
class TextureFont2 : public MeshFont {
    ZEN_DECLARE_CLASS

public:
    TextureFont2() = default;

    uint32_t DrawString(float x, float y, float z, const char* text) override;
    // Sets the glyph texture and, with a parameter file name, reads the file again.
    void SetTexture(Texture* texture) override;
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

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    String m_parameterFile;
    FontMetrics m_metrics;
};

}  // namespace zen
