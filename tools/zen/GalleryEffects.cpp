#include "zen/GalleryEffects.h"

#include "engine/scene/DarkmapNormalmapTexture1DLEffect.h"
#include "engine/scene/GlossReflectiveCubeTextureEffect.h"
#include "engine/scene/GlossmapTexture1DLEffect.h"
#include "engine/scene/LightmapTexture1DLEffect.h"
#include "engine/scene/LightmapTextureEffect.h"
#include "engine/scene/NormalmapLightmapTexture1DLEffect.h"
#include "engine/scene/NormalmapTexture1DL1PLEffect.h"
#include "engine/scene/NormalmapTexture1DLEffect.h"
#include "engine/scene/NormalmapTextureEffect.h"
#include "engine/scene/ParallaxLightmapTexture1DLEffect.h"
#include "engine/scene/ParallaxTexture1DLEffect.h"
#include "engine/scene/ReflectiveCubeTextureEffect.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture1DL1PLEffect.h"
#include "engine/scene/Texture1DLEffect.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/VelvetTexture1DLEffect.h"
#include "zen/GalleryNatureEffects.h"
#include "engine/anim/RenderShadowmapEffectController.h"
#include "engine/scene/ProjectedCausticEffect.h"
#include "engine/scene/ShadowmapEffect.h"

namespace zen::tool {
namespace {

const Vector4 kSpecular{0.6f, 0.6f, 0.6f, 1};
constexpr float kPower = 24.0f;

// Both meshes under one node, drawn with `effect`.
Ptr<Node> Hold(GeometryNodeEffect* effect, Triangles* ball, Triangles* floor)
{
    Ptr<SceneNode> holder = new SceneNode();
    holder->SetName(String("Subject"));
    (void)ball->SetEffect(effect);
    (void)floor->SetEffect(effect);
    (void)holder->AttachChild(ball);
    (void)holder->AttachChild(floor);
    return holder;
}

// Bright material, white ambient response (the lights give the ambient level).
template <class T>
Ptr<T> Lit(const char* name)
{
    Ptr<T> effect = new T();
    effect->SetName(String(name));
    effect->SetMaterial(Vector4{0.9f, 0.9f, 0.9f, 1}, Vector4{1, 1, 1, 1}, kSpecular, Vector4{0, 0, 0, 1}, kPower);
    return effect;
}

Ptr<Node> MakeTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<TextureEffect> effect = new TextureEffect();
    effect->SetName(String("TextureEffect"));
    effect->SetTexture(a.base);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<Texture1DLEffect> effect = Lit<Texture1DLEffect>("Texture1DL");
    effect->SetTexture(a.base);
    effect->SetLight(a.sun);
    return Hold(effect.Get(), ball, floor);
}

// Blue-grey fog of density 0.08: half the colour is fog at about 8.7 units.
Ptr<Node> MakeTexture1DLFog(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<Texture1DLEffect> effect = Lit<Texture1DLEffect>("Texture1DLFog");
    effect->SetTexture(a.base);
    effect->SetLight(a.sun);
    effect->SetFog(true, Vector4{0.2f, 0.3f, 0.6f, 1}, 0.08f, 2.0f);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeTexture1DL1PL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<Texture1DL1PLEffect> effect = Lit<Texture1DL1PLEffect>("Texture1DL1PL");
    effect->SetTexture(a.base);
    effect->SetLight(a.sun);
    effect->SetPointLight(a.lamp);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeNormalmapTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<NormalmapTextureEffect> effect = new NormalmapTextureEffect();
    effect->SetName(String("NormalmapTexture"));
    effect->SetTexture(a.base);
    effect->SetNormalMap(a.normal);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeNormalmapTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<NormalmapTexture1DLEffect> effect = Lit<NormalmapTexture1DLEffect>("NormalmapTexture1DL");
    effect->SetTexture(a.base);
    effect->SetNormalMap(a.normal);
    effect->SetLight(a.sun);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeLightmapTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<LightmapTextureEffect> effect = new LightmapTextureEffect();
    effect->SetName(String("LightmapTexture"));
    effect->SetTexture(a.base);
    effect->SetLightmap(a.light);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeLightmapTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<LightmapTexture1DLEffect> effect = Lit<LightmapTexture1DLEffect>("LightmapTexture1DL");
    effect->SetTexture(a.base);
    effect->SetLightmap(a.light);
    effect->SetLight(a.sun);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeReflectiveCubeTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<ReflectiveCubeTextureEffect> effect = new ReflectiveCubeTextureEffect();
    effect->SetName(String("ReflectiveCubeTexture"));
    effect->SetTexture(a.base);
    effect->SetCubeMap(a.sky);
    effect->SetReflectivity(0.7f);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeGlossReflectiveCubeTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<GlossReflectiveCubeTextureEffect> effect = new GlossReflectiveCubeTextureEffect();
    effect->SetName(String("GlossReflectiveCubeTexture"));
    effect->SetTexture(a.base);
    effect->SetCubeMap(a.sky);
    effect->SetGlossMap(a.gloss);
    effect->SetReflectivity(0.6f);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeVelvetTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<VelvetTexture1DLEffect> effect = Lit<VelvetTexture1DLEffect>("VelvetTexture1DL");
    effect->SetTexture(a.base);
    effect->SetLight(a.sun);
    return Hold(effect.Get(), ball, floor);
}

// The light map serves as the dark map.
Ptr<Node> MakeDarkmapNormalmapTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<DarkmapNormalmapTextureEffect> effect = new DarkmapNormalmapTextureEffect();
    effect->SetName(String("DarkmapNormalmapTexture"));
    effect->SetTexture(a.base);
    effect->SetNormalMap(a.normal);
    effect->SetDarkmap(a.light);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeDarkmapNormalmapTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<DarkmapNormalmapTexture1DLEffect> effect = Lit<DarkmapNormalmapTexture1DLEffect>("DarkmapNormalmapTexture1DL");
    effect->SetTexture(a.base);
    effect->SetNormalMap(a.normal);
    effect->SetDarkmap(a.light);
    effect->SetLight(a.sun);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeParallaxTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<ParallaxTextureEffect> effect = new ParallaxTextureEffect();
    effect->SetName(String("ParallaxTexture"));
    effect->SetTexture(a.base);
    effect->SetNormalMap(a.normal);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeParallaxTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<ParallaxTexture1DLEffect> effect = Lit<ParallaxTexture1DLEffect>("ParallaxTexture1DL");
    effect->SetTexture(a.base);
    effect->SetNormalMap(a.normal);
    effect->SetLight(a.sun);
    return Hold(effect.Get(), ball, floor);
}

// The light-mapped relief effects: base, normal map and light map (and the sun when lit).
template <class T>
Ptr<Node> MakeRelief(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor, const char* name, bool lit)
{
    Ptr<T> effect = lit ? Lit<T>(name) : Ptr<T>(new T());
    effect->SetName(String(name));
    effect->SetTexture(a.base);
    effect->SetNormalMap(a.normal);
    effect->SetLightmap(a.light);
    if constexpr (requires { effect->SetLight(a.sun); })
        effect->SetLight(a.sun);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeNormalmapLightmapTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return MakeRelief<NormalmapLightmapTextureEffect>(a, ball, floor, "NormalmapLightmapTexture", false);
}

Ptr<Node> MakeNormalmapLightmapTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return MakeRelief<NormalmapLightmapTexture1DLEffect>(a, ball, floor, "NormalmapLightmapTexture1DL", true);
}

Ptr<Node> MakeParallaxLightmapTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return MakeRelief<ParallaxLightmapTextureEffect>(a, ball, floor, "ParallaxLightmapTexture", false);
}

Ptr<Node> MakeParallaxLightmapTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return MakeRelief<ParallaxLightmapTexture1DLEffect>(a, ball, floor, "ParallaxLightmapTexture1DL", true);
}

// The gloss stripes glint under a white highlight.
Ptr<Node> MakeGlossmapTexture(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<GlossmapTextureEffect> effect = Lit<GlossmapTextureEffect>("GlossmapTexture");
    effect->SetTexture(a.base);
    effect->SetGlossMap(a.gloss);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeGlossmapTexture1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<GlossmapTexture1DLEffect> effect = Lit<GlossmapTexture1DLEffect>("GlossmapTexture1DL");
    effect->SetTexture(a.base);
    effect->SetGlossMap(a.gloss);
    effect->SetLight(a.sun);
    return Hold(effect.Get(), ball, floor);
}

Ptr<Node> MakeNormalmapTexture1DL1PL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<NormalmapTexture1DL1PLEffect> effect = Lit<NormalmapTexture1DL1PLEffect>("NormalmapTexture1DL1PL");
    effect->SetTexture(a.base);
    effect->SetNormalMap(a.normal);
    effect->SetLight(a.sun);
    effect->SetPointLight(a.lamp);
    return Hold(effect.Get(), ball, floor);
}

// The scene-node effects' subject: the sphere and floor lit (Texture1DL) by a sun of their own
// shining steeply along (0.5, -1, 0.3), so a shadow of the sphere falls on the floor in view,
// centred near (0.75, -1.5, 5.45). The meshes hang below "Receivers", which carries `effect`;
// the sun sits beside it under "Subject".
Ptr<Node> Receive(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor, SceneNodeEffect* effect)
{
    Ptr<Light> sun = new Light(Light::kDirectional);
    sun->SetName(String("Steep sun"));
    sun->SetColors(Vector4{0.3f, 0.3f, 0.3f, 1}, Vector4{1, 1, 1, 1}, Vector4{1, 1, 1, 1});
    (void)sun->SetDirection(Vector3{0.5f, -1, 0.3f});
    Ptr<Texture1DLEffect> lit = Lit<Texture1DLEffect>("ReceiversLit");
    lit->SetTexture(a.base);
    lit->SetLight(sun.Get());
    Ptr<SceneNode> receivers = new SceneNode();
    receivers->SetName(String("Receivers"));
    (void)ball->SetEffect(lit.Get());
    (void)floor->SetEffect(lit.Get());
    (void)receivers->AttachChild(ball);
    (void)receivers->AttachChild(floor);
    if (effect) {
        if (effect->IsDerivedFrom(&ShadowmapEffect::TYPE))
            static_cast<ShadowmapEffect*>(effect)->SetLight(sun.Get());
        (void)receivers->AddEffect(effect);
    }
    Ptr<SceneNode> holder = new SceneNode();
    holder->SetName(String("Subject"));
    (void)holder->AttachChild(sun.Get());
    (void)holder->AttachChild(receivers.Get());
    return holder;
}

Ptr<Node> MakeReceiversPlain(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return Receive(a, ball, floor, nullptr);
}

Ptr<Node> MakeShadowmap(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<ShadowmapEffect> shadow = new ShadowmapEffect();
    shadow->SetName(String("Shadowmap"));
    Ptr<RenderShadowmapEffectController> controller = new RenderShadowmapEffectController();
    controller->SetName(String("Shadow map"));
    (void)controller->Casters().Add(ball);  // The map holds the sphere alone, sharply.
    (void)shadow->SetController(controller.Get());
    return Receive(a, ball, floor, shadow.Get());
}

// On the floor only: half a picture per world unit, drifting one unit every two seconds.
Ptr<Node> MakeProjectedCaustic(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<ProjectedCausticEffect> caustic = new ProjectedCausticEffect();
    caustic->SetName(String("ProjectedCaustic"));
    caustic->SetCaustic(a.caustic);
    caustic->SetColor(Vector4{0.45f, 0.6f, 0.7f, 1});
    caustic->SetScale(0.5f);
    caustic->SetSpeed(0.5f);
    (void)caustic->Receivers().Add(floor);
    return Receive(a, ball, floor, caustic.Get());
}

}  // namespace

const std::vector<GalleryEffects::Entry>& GalleryEffects::Entries()
{
    static const std::vector<Entry> entries = {
        {"Texture", &MakeTexture},
        {"Texture1DL", &MakeTexture1DL},
        {"Texture1DLFog", &MakeTexture1DLFog},
        {"Texture1DL1PL", &MakeTexture1DL1PL},
        {"NormalmapTexture", &MakeNormalmapTexture},
        {"NormalmapTexture1DL", &MakeNormalmapTexture1DL},
        {"LightmapTexture", &MakeLightmapTexture},
        {"LightmapTexture1DL", &MakeLightmapTexture1DL},
        {"ReflectiveCubeTexture", &MakeReflectiveCubeTexture},
        {"GlossReflectiveCubeTexture", &MakeGlossReflectiveCubeTexture},
        {"VelvetTexture1DL", &MakeVelvetTexture1DL},
        {"ParallaxTexture", &MakeParallaxTexture},
        {"ParallaxTexture1DL", &MakeParallaxTexture1DL},
        {"DarkmapNormalmapTexture", &MakeDarkmapNormalmapTexture},
        {"DarkmapNormalmapTexture1DL", &MakeDarkmapNormalmapTexture1DL},
        {"ReflectiveQuietFlatWater", &GalleryNatureEffects::MakeReflectiveQuietFlatWater},
        {"ReflectiveRefractiveQuietFlatWater", &GalleryNatureEffects::MakeReflectiveRefractiveQuietFlatWater},
        {"FlatWater", &GalleryNatureEffects::MakeFlatWater},
        {"FlatWater1DL", &GalleryNatureEffects::MakeFlatWater1DL},
        {"Clouds", &GalleryNatureEffects::MakeClouds},
        {"CloudsBall", &GalleryNatureEffects::MakeCloudsBall},
        {"Lava", &GalleryNatureEffects::MakeLava},
        {"Grass", &GalleryNatureEffects::MakeGrass},
        {"GrassUnlit", &GalleryNatureEffects::MakeGrassUnlit},
        {"NormalmapLightmapTexture", &MakeNormalmapLightmapTexture},
        {"NormalmapLightmapTexture1DL", &MakeNormalmapLightmapTexture1DL},
        {"ParallaxLightmapTexture", &MakeParallaxLightmapTexture},
        {"ParallaxLightmapTexture1DL", &MakeParallaxLightmapTexture1DL},
        {"GlossmapTexture", &MakeGlossmapTexture},
        {"GlossmapTexture1DL", &MakeGlossmapTexture1DL},
        {"NormalmapTexture1DL1PL", &MakeNormalmapTexture1DL1PL},
        {"ReceiversPlain", &MakeReceiversPlain},
        {"Shadowmap", &MakeShadowmap},
        {"ProjectedCaustic", &MakeProjectedCaustic},
    };
    return entries;
}

}  // namespace zen::tool
