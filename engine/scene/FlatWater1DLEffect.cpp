#include "engine/scene/FlatWater1DLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(FlatWater1DLEffect, FlatWaterEffect, kStartupSceneClasses)

Result FlatWater1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass = CreateWaterPass(technique, true);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void FlatWater1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    // Stage 0: the texture x the colour lit (the colour folded into the material, the device
    // having one texture factor); stage 1: the cube's mean mixed in.
    const Vector4& c = Color();
    for (Vector4* m : {&state.diffuse, &state.ambient, &state.emissive}) {
        m->x *= c.x;
        m->y *= c.y;
        m->z *= c.z;
    }
    state.diffuse.w *= c.w;
    state.stages[0].combineMode = RenderState::kCombineModulate;
    PrepareFixedReflection(state, 1);
}

Result FlatWater1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_lighting.Check(*this, false) != kSuccess || BindWater(pass, renderer, node, true) != kSuccess)
        return kFailure;
    return pass.UsesShaders() ? kSuccess : m_lighting.PushLights(renderer, false);
}

Object* FlatWater1DLEffect::FindByName(const String& name)
{
    if (Object* found = FlatWaterEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void FlatWater1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    FlatWaterEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result FlatWater1DLEffect::Save(Stream& stream)
{
    if (FlatWaterEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result FlatWater1DLEffect::Load(Stream& stream)
{
    if (FlatWaterEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
