#pragma once
#include "engine/scene/Shader.h"

namespace zen {

// A pixel program ("ZEN.PixelShader"): assembly text beginning "ps.1.1" or "ps_2_0".
class PixelShader : public Shader {
    ZEN_DECLARE_CLASS

public:
    PixelShader() = default;
    PixelShader(const String& name, const String& source) : Shader(name, source) {}

    bool IsPixelShader() const override { return true; }
};

}  // namespace zen
