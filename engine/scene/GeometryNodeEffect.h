#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/scene/BaseTexture.h"
#include "engine/scene/Effect.h"
#include "engine/scene/RenderState.h"

namespace zen {

class GeometryNode;
class GeometryNodeEffectPass;

// The base of every effect drawn on a geometry node ("ZEN.GeometryNodeEffect", abstract): the
// settings a pass copies into its render state (material, alpha test, blending, culling, fog,
// texture wrapping; see GeometryNodeEffectPass::Prepare) and a few the subclasses interpret.
// A blended effect also sends its node to the renderer's back-to-front queue. Changing a
// setting prepares the chosen technique's passes again.
//
// Stream form after the Object fields: wrap byte (bit i set when stage i clamps), diffuse,
// ambient, specular, emissive, power, alphaTest, alphaRef, blend byte (bit 0 blended, bit 4
// culling off; read back as blended when any of bits 0-3 is set, culling on below 16),
// srcBlend, destBlend, fogEnable, fogColor, fogDensity, fogExponent, flagC, fogRangeA,
// fogRangeB, texture (link).
class GeometryNodeEffect : public Effect {
    ZEN_DECLARE_CLASS

public:
    static constexpr uint32_t kWrapStages = 8;

    ~GeometryNodeEffect() override;

    // The node whose SetEffect attached this effect last (not owned; cleared when it goes).
    GeometryNode* Owner() const { return m_owner; }
    void OnAttach(Object* owner) override;

    // Hooks of the concrete effects, called by their passes.
    // After Prepare copied the common settings into `state`: the effect's own states.
    virtual void PreparePass(GeometryNodeEffectPass& pass, RenderState& state);
    // After the pass bound streams, indices, shaders and transforms for `node`: the effect's
    // textures and constants. kSuccess lets the pass draw.
    virtual Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node);

    // Bad input met while drawing: a texture the effect needs is missing, a light is missing or
    // of the wrong kind, or the geometry lacks a buffer a pass reads. The node is then not drawn,
    // and each kind of problem is logged once per effect (an error line naming the effect and
    // `detail`), not every frame. Returns kFailure for the pass to hand on.
    enum Problem : uint32_t {
        kProblemMissingBuffer = 1u << 0,
        kProblemMissingTexture = 1u << 1,
        kProblemMissingLight = 1u << 2,
        kProblemWrongLight = 1u << 3,
        kProblemSkin = 1u << 4,  // A skin the vertex program cannot apply.
    };
    Result ReportProblem(Problem problem, const char* detail);
    bool HasReported(Problem problem) const { return (m_reported & problem) != 0; }

    // Settings
    bool Wireframe() const { return m_wireframe; }
    void SetWireframe(bool wireframe);
    const Vector4& Diffuse() const { return m_diffuse; }
    const Vector4& Ambient() const { return m_ambient; }
    const Vector4& Specular() const { return m_specular; }
    const Vector4& Emissive() const { return m_emissive; }
    float Power() const { return m_power; }
    void SetMaterial(const Vector4& diffuse, const Vector4& ambient, const Vector4& specular, const Vector4& emissive,
                     float power);
    bool AlphaTest() const { return m_alphaTest; }
    int32_t AlphaRef() const { return m_alphaRef; }
    // Alpha test "greater or equal" `ref` (0-255) when enabled.
    void SetAlphaTest(bool enable, int32_t ref);
    bool IsBlended() const { return m_blended; }
    int32_t SourceBlend() const { return m_srcBlend; }
    int32_t DestinationBlend() const { return m_destBlend; }
    // Blending with RenderState::BlendFactor values (kInvalidArgument, nothing changed, for
    // others). A blended node is drawn back to front after the opaque ones.
    Result SetBlending(bool blended, int32_t source, int32_t destination);
    bool FogEnabled() const { return m_fogEnable; }
    const Vector4& FogColor() const { return m_fogColor; }
    float FogDensity() const { return m_fogDensity; }
    float FogExponent() const { return m_fogExponent; }
    // Exponential fog at `density` per unit of view depth; an exponent above 2 selects the
    // squared form.
    void SetFog(bool enable, const Vector4& color, float density, float exponent);
    float FogRangeA() const { return m_fogRangeA; }
    float FogRangeB() const { return m_fogRangeB; }
    void SetFogRange(float a, float b);
    bool FlagC() const { return m_flagC; }
    void SetFlagC(bool flag) { m_flagC = flag; }
    // A texture of any kind that subclasses bind as they see fit (stored with the effect).
    BaseTexture* GetEffectTexture() const { return m_texture.Get(); }
    void SetEffectTexture(BaseTexture* texture) { m_texture = texture; }
    bool CullEnabled() const { return m_cullEnable; }
    void SetCullEnabled(bool enable);
    // Stage `stage` (0-7) wraps its coordinates when true, clamps them when false.
    bool Wraps(uint32_t stage) const { return stage < kWrapStages && m_wrap[stage]; }
    void SetWrap(uint32_t stage, bool wrap);

    // The effect, its controllers, then the effect texture.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    void VisitReferences(ReferenceVisitor& visitor) override;  // The texture.

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    GeometryNodeEffect();
    // Prepare on every pass of the chosen technique, after a setting changed.
    void PreparePasses();

private:
    bool m_wireframe = false;
    Vector4 m_diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    Vector4 m_ambient{0.2f, 0.2f, 0.2f, 1.0f};
    Vector4 m_specular{0, 0, 0, 1};
    Vector4 m_emissive{0, 0, 0, 1};
    float m_power = 1.0f;
    bool m_alphaTest = false;
    int32_t m_alphaRef = 1;
    bool m_blended = false;
    int32_t m_srcBlend = RenderState::kBlendSourceAlpha;
    int32_t m_destBlend = RenderState::kBlendInverseSourceAlpha;
    bool m_fogEnable = false;
    Vector4 m_fogColor{1, 1, 1, 1};
    float m_fogDensity = 0.001f;   // Per unit of view depth.
    float m_fogExponent = 2.0f;    // <= 2: exponential fog; above: exponential squared.
    float m_fogRangeA = 0.05f;     // For subclasses.
    float m_fogRangeB = 1.0f;      // For subclasses.
    bool m_flagC = false;          // For subclasses.
    Ptr<BaseTexture> m_texture;    // For subclasses to bind.
    bool m_cullEnable = true;
    bool m_wrap[kWrapStages] = {true, true, true, true, true, true, true, true};
    GeometryNode* m_owner = nullptr;  // Not owned: the node holds this effect.
    uint32_t m_reported = 0;          // Problem bits already logged.
};

}  // namespace zen
