#pragma once
#include "engine/core/Object.h"
#include "engine/core/String.h"
#include "engine/scene/RenderResource.h"

namespace zen {

// A shader program as assembly source ("ZEN.Shader", abstract; VertexShader and PixelShader
// fix the kind). The renderer assembles the text into a device shader on first use and keeps
// it until the source changes or the device goes; a text that does not assemble leaves the
// shader unbound. The texts are constants of the effect classes and are not streamed.
class Shader : public Object, public RenderResource {
    ZEN_DECLARE_CLASS

public:
    ~Shader() override;  // Hands the device shader back (ReleaseShader).

    const String& Source() const { return m_source; }
    // Replaces the program; the device shader is rebuilt on next use.
    void SetSource(const String& source);

    // True for pixel programs ("ps.1.1", "ps_2_0"), false for vertex programs.
    virtual bool IsPixelShader() const = 0;

protected:
    Shader() = default;
    Shader(const String& name, const String& source);

private:
    String m_source;  // Assembly text, e.g. "vs_1_1\ndcl_position v0\n...".
};

}  // namespace zen
