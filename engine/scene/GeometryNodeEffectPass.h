#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/VertexLayout.h"
#include "engine/scene/Pass.h"
#include "engine/scene/PixelShader.h"
#include "engine/scene/VertexShader.h"

namespace zen {

class GeometryNode;
class GeometryNodeEffect;

// A pass of a geometry-node effect ("ZEN.GeometryNodeEffectPass"). Its effect configures it
// once (CreatePasses): the geometry buffers it feeds to the device, in stream order, and its
// shaders (none: the fixed-function pipeline). Prepare copies the effect's settings into the
// render state; Apply binds the current geometry's buffers, the shaders, the transforms
// (device transforms for fixed function, constants c0-c7 for shaders) and then lets the effect
// bind its textures and constants.
//
// Shader constants shared by the effect programs: c0-c3 world x view x projection, c4-c7
// world x view, one row per register (the clip position is x*c0 + y*c1 + z*c2 + w*c3); c8 and
// above belong to the effect.
class GeometryNodeEffectPass : public Pass {
    ZEN_DECLARE_CLASS

public:
    static constexpr uint32_t kWorldViewProjectionRegister = 0;
    static constexpr uint32_t kWorldViewRegister = 4;
    static constexpr uint32_t kEffectRegister = 8;  // First register the effect's own values use.
    static constexpr uint32_t kSkinPaletteRegister = 24;  // The bone palette of skinned draws.

    // `effect` owns the pass through its technique (a plain back-pointer).
    explicit GeometryNodeEffectPass(GeometryNodeEffect* effect = nullptr);

    // A pass of `effect` that reads the positions and runs the two programs (source texts; the
    // names identify them in the renderer's log), or the fixed-function pipeline when both
    // texts are null. Null when out of memory.
    static Ptr<GeometryNodeEffectPass> Create(GeometryNodeEffect* effect, const char* vertexName,
                                              const char* vertexProgram, const char* pixelName,
                                              const char* pixelProgram);

    GeometryNodeEffect* Effect() const { return m_effect; }
    void DetachEffect() { m_effect = nullptr; }  // The effect is going.

    // Configuration
    // Appends an input: the geometry's buffer of kind `source` (`set` for texture coordinates)
    // in the next stream. When the geometry lacks a required input, Apply fails and the pass
    // is not drawn; an optional one is left out. kInvalidArgument for a bad source or set,
    // kFailure when the pass has kMaxElements inputs already.
    Result AddInput(VertexElement::Source source, uint32_t set = 0, bool required = true);
    uint32_t InputCount() const { return m_inputCount; }
    void SetShaders(VertexShader* vertexShader, PixelShader* pixelShader);
    VertexShader* GetVertexShader() const { return m_vertexShader.Get(); }
    PixelShader* GetPixelShader() const { return m_pixelShader.Get(); }
    bool UsesShaders() const { return m_vertexShader || m_pixelShader; }
    // A vertex program that also skins (vs_2_0 reading BLENDWEIGHT and BLENDINDICES and the
    // palette, SkinPalette): drawn instead of the plain one for a node whose skin leaves the
    // deformation to the programs. Such a draw reads the skin's weights and indices after the
    // pass's inputs, sets c0-c7 without the node's world transform (the palette carries the
    // vertices into the world) and writes the palette from kSkinPaletteRegister.
    void SetSkinnedVertexShader(VertexShader* vertexShader);
    VertexShader* GetSkinnedVertexShader() const { return m_skinnedVertexShader.Get(); }
    // Whether the last Apply drew skinned (the effect's lighting is then in world space).
    bool IsSkinnedDraw() const { return m_skinnedDraw; }
    // The search visits the pass's shaders too, so their programs can be found without a device.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    // Copies the effect's settings into the render state: wireframe; the material; alpha test
    // (function greater or equal); blending; culling; fog (exponential below or at exponent 2,
    // exponential squared above; vertex fog); each stage's address modes from its wrap flag;
    // then the effect's own states (GeometryNodeEffect::PreparePass).
    void Prepare();
    // Invalidates the device data and prepares the render state again.
    void Invalidate() override;
    Result Apply(Renderer* renderer) override;

    // The geometry buffer an input of `source` and `set` reads from `node`; null when absent.
    static Buffer* SourceBuffer(const GeometryNode& node, uint32_t source, uint32_t set);

private:
    struct Input {
        uint8_t source;
        uint8_t set;
        bool required;
    };

    // Builds the layout of `node`'s buffers; false when a required one is missing or empty.
    bool BuildLayout(const GeometryNode& node, VertexLayout& layout, bool skinned) const;
    void BindStreams(Renderer& renderer, const GeometryNode& node) const;
    void BindTransforms(Renderer& renderer, const GeometryNode& node, bool skinned) const;

    GeometryNodeEffect* m_effect;  // Not owned (see the constructor).
    Ptr<VertexShader> m_vertexShader;
    Ptr<PixelShader> m_pixelShader;
    Ptr<VertexShader> m_skinnedVertexShader;
    bool m_skinnedDraw = false;
    Input m_inputs[VertexLayout::kMaxElements] = {};
    uint32_t m_inputCount = 0;
};

}  // namespace zen
