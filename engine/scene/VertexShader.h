#pragma once
#include "engine/scene/Shader.h"

namespace zen {

// A vertex program ("ZEN.VertexShader"): assembly text beginning "vs_1_1" or "vs_2_0".
class VertexShader : public Shader {
    ZEN_DECLARE_CLASS

public:
    VertexShader() = default;
    VertexShader(const String& name, const String& source) : Shader(name, source) {}

    bool IsPixelShader() const override { return false; }
};

}  // namespace zen
