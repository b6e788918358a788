#include "engine/scene/RenderStateBlock.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(RenderStateBlock, Object, kStartupSceneClasses)

namespace {

// Calls `field` on every field of the state in stream order; the same walk saves and loads.
template <class State, class Field>
void VisitFields(State& s, Field&& field)
{
    field(s.alphaBlendEnable);
    field(s.srcBlend);
    field(s.destBlend);
    field(s.alphaTestEnable);
    field(s.alphaFunc);
    field(s.alphaRef);
    field(s.cullEnable);
    field(s.cullMode);
    field(s.fogEnable);
    field(s.fogStart);
    field(s.fogEnd);
    field(s.fogDensity);
    field(s.fogColor);
    field(s.fogMode);
    field(s.fogPerPixel);
    field(s.diffuse);
    field(s.ambient);
    field(s.specular);
    field(s.emissive);
    field(s.power);
    field(s.shadeMode);
    field(s.wireframe);
    field(s.depthEnable);
    field(s.depthWrite);
    field(s.depthFunc);
    field(s.stencilEnable);
    field(s.stencilFunc);
    field(s.stencilRef);
    field(s.stencilFail);
    field(s.stencilDepthFail);
    field(s.stencilPass);
    field(s.twoSidedStencil);
    field(s.ccwStencilFunc);
    field(s.ccwStencilFail);
    field(s.ccwStencilDepthFail);
    field(s.ccwStencilPass);
    for (auto& stage : s.stages) {
        field(stage.magFilter);
        field(stage.minMipFilter);
        field(stage.addressU);
        field(stage.addressV);
        field(stage.addressW);
        field(stage.borderColor);
        field(stage.combineMode);
        field(stage.textureFactor);
        field(stage.colorOp);
        field(stage.alphaOp);
        for (auto& arg : stage.colorArg)
            field(arg);
        for (auto& arg : stage.alphaArg)
            field(arg);
        for (auto& mod : stage.colorArgMod)
            field(mod);
        for (auto& mod : stage.alphaArgMod)
            field(mod);
        field(stage.reserved);
    }
    field(s.pointSprites);
}

struct Writer {
    Stream& stream;
    void operator()(const bool& value) { (void)stream.WriteBool(value); }
    void operator()(const int32_t& value) { (void)stream.WriteInt(value); }
    void operator()(const float& value) { (void)stream.WriteFloat(value); }
    void operator()(const Vector4& value) { (void)stream.WriteVector4(value); }
};

struct Reader {
    Stream& stream;
    void operator()(bool& value) { (void)stream.ReadBool(value); }
    void operator()(int32_t& value) { (void)stream.ReadInt(value); }
    void operator()(float& value) { (void)stream.ReadFloat(value); }
    void operator()(Vector4& value) { (void)stream.ReadVector4(value); }
};

}  // namespace

RenderStateBlock::~RenderStateBlock()
{
    if (Renderer* renderer = BoundRenderer())
        renderer->ReleaseRenderState(this);
}

RenderState& RenderStateBlock::Edit()
{
    SetDirty(true);
    return m_state;
}

void RenderStateBlock::Set(const RenderState& state)
{
    if (state == m_state)
        return;
    m_state = state;
    SetDirty(true);
}

Result RenderStateBlock::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return ParentSaveFailed();
    // The stream's state is sticky: one test after all fields covers the group.
    VisitFields(m_state, Writer{stream});
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить блок состояний рендеринга. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result RenderStateBlock::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return ParentLoadFailed();
    RenderState state;
    VisitFields(state, Reader{stream});
    // The state is taken only whole and valid: the renderer indexes its tables with it.
    if (stream.State() != kSuccess || !state.IsValid()) {
        Error("Невозможно загрузить блок состояний рендеринга. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Set(state);
    SetDirty(true);
    return kSuccess;
}

}  // namespace zen
