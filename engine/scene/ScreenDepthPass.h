#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/Pass.h"
#include "engine/scene/PixelShader.h"
#include "engine/scene/VertexShader.h"

namespace zen {

// The pass a depth-of-field effect draws its scene again with (the renderer's override pass):
// each opaque geometry node's positions, indices and transforms, whatever its own effect, into a
// colour target that then holds the view depth of every pixel. The depth is divided by the
// camera's far distance and packed into two 8-bit channels (red the coarse 255ths, green the
// remainder), so the composite reads it back to about 1/65000 of the range from an ordinary
// R8G8B8A8 texture: no depth-texture format the device may lack. Where nothing was drawn the
// target keeps its clear colour, (1, 0, 0): as far as the camera sees. Shader model 2. Not
// streamed.
class ScreenDepthPass : public Pass {
    ZEN_DECLARE_CLASS

public:
    ScreenDepthPass();

    // kFailure without a current geometry holding positions or without a camera.
    Result Apply(Renderer* renderer) override;
    // Visits the two programs too, so they can be found without a device.
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    // Decodes what the pixel program wrote (channels as 0-1 values) into depth / far.
    static float Unpack(float red, float green) { return red + green / 255.0f; }

    static const char* const kVertexProgram;
    static const char* const kPixelProgram;

private:
    Ptr<VertexShader> m_vertexShader;
    Ptr<PixelShader> m_pixelShader;
};

}  // namespace zen
