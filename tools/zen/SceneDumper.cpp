#include "zen/SceneDumper.h"

#include <cinttypes>
#include <cstdarg>

#include "engine/anim/Controller.h"
#include "engine/core/Object.h"
#include "engine/particles/IntervalParticleSystemController.h"
#include "engine/particles/NodeParticleSystem.h"
#include "engine/particles/ParticleSystem.h"
#include "engine/particles/PointEmitter.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/TrianglesEmitter.h"
#include "engine/scene/BaseTexture.h"
#include "engine/scene/Buffer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/FPCamera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Image.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/SpriteEffect.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/DarkmapNormalmapTexture1DLEffect.h"
#include "engine/scene/GlossReflectiveCubeTextureEffect.h"
#include "engine/scene/GlossmapTexture1DLEffect.h"
#include "engine/scene/LightmapTexture1DLEffect.h"
#include "engine/scene/NormalmapLightmapTexture1DLEffect.h"
#include "engine/scene/NormalmapTexture1DL1PLEffect.h"
#include "engine/scene/NormalmapTexture1DLEffect.h"
#include "engine/scene/ParallaxLightmapTexture1DLEffect.h"
#include "engine/scene/ParallaxTexture1DLEffect.h"
#include "engine/scene/Texture1DL1PLEffect.h"
#include "engine/scene/Texture1DLEffect.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/CloudsEffect.h"
#include "engine/scene/FlatWater1DLEffect.h"
#include "engine/scene/GrassEffect.h"
#include "engine/scene/ReflectiveQuietFlatWaterEffect.h"
#include "engine/scene/ReflectiveRefractiveQuietFlatWaterEffect.h"
#include "engine/scene/VolumeImage.h"
#include "engine/scene/VolumeTexture.h"
#include "engine/scene/ProjectedCausticEffect.h"
#include "engine/scene/ShadowmapEffect.h"
#include "engine/anim/RenderShadowmapEffectController.h"
#include "engine/sound/SoundNode.h"
#include "engine/sound/SoundNode2.h"
#include "engine/text/Font.h"
#include "engine/text/LearnSystem.h"
#include "engine/text/TextureFont.h"
#include "engine/text/TextureFont2.h"
#include "zen/AnimationDump.h"

namespace zen::tool {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string Vec(const Vector3& v)
{
    return Format("(%g, %g, %g)", v.x, v.y, v.z);
}

std::string Vec(const Vector4& v)
{
    return Format("(%g, %g, %g, %g)", v.x, v.y, v.z, v.w);
}

std::string TransformText(const Transform& t)
{
    if (t.isIdentity)
        return " local=identity";
    std::string text = " translation=" + Vec(t.translation);
    if (!(t.rotation == Quaternion{}))
        text += " rotation=" + Vec(Vector4{t.rotation.x, t.rotation.y, t.rotation.z, t.rotation.w});
    if (!(t.scale == Vector3{1, 1, 1}))
        text += " scale=" + Vec(t.scale);
    return text;
}

const char* kLightTypes[] = {"fixed-directional", "directional", "point", "spot"};

}  // namespace

void SceneDumper::Dump(Object* root)
{
    if (!root) {
        Line(0, "(null)");
        return;
    }
    DumpObject(root, "", 0);
}

void SceneDumper::Line(int depth, const std::string& text)
{
    std::fprintf(m_out, "%*s%s\n", depth * 2, "", text.c_str());
}

std::string SceneDumper::Reference(Object* object)
{
    if (!object)
        return "null";
    const auto found = m_numbers.find(object);
    if (found != m_numbers.end())
        return Format("#%d", found->second);
    return Format("%s \"%s\"", object->GetRtti()->Name().CStr(), object->Name().CStr());
}

void SceneDumper::DumpObject(Object* object, const std::string& label, int depth)
{
    if (!object) {
        Line(depth, label + "(empty)");
        return;
    }
    const auto found = m_numbers.find(object);
    if (found != m_numbers.end()) {
        Line(depth, label + Format("-> #%d", found->second));
        return;
    }
    const int number = static_cast<int>(m_numbers.size()) + 1;
    m_numbers[object] = number;
    Line(depth, label + Format("#%d %s \"%s\"", number, object->GetRtti()->Name().CStr(), object->Name().CStr()) +
                    Fields(object));
    DumpParts(object, depth + 1);
}

std::string SceneDumper::Fields(Object* object)
{
    std::string text;
    if (object->IsDerivedFrom(&Controller::TYPE))
        text += static_cast<Controller*>(object)->IsActive() ? " active" : " inactive";
    if (object->IsDerivedFrom(&Node::TYPE)) {
        auto* node = static_cast<Node*>(object);
        if (node->Parent())
            text += " parent=" + Reference(node->Parent());
        text += TransformText(node->LocalTransform());
        if (!node->UpdatesWorldBound())
            text += " fixed-bound";
    }
    if (object->IsDerivedFrom(&SceneNode::TYPE)) {
        auto* scene = static_cast<SceneNode*>(object);
        text += Format(" slots=%u increment=%u", scene->ChildCount(), scene->ChildIncrement());
        if (scene->EffectCount() > 0)
            text += Format(" effects=%u", scene->EffectCount());
    }
    if (object->IsDerivedFrom(&ShadowmapEffect::TYPE)) {
        auto* shadow = static_cast<ShadowmapEffect*>(object);
        text += Format(" map=%u bias=%g shadow=", shadow->MapSize(), shadow->Bias()) + Vec(shadow->ShadowColor());
    }
    if (object->IsDerivedFrom(&ProjectedCausticEffect::TYPE)) {
        auto* caustic = static_cast<ProjectedCausticEffect*>(object);
        text += " color=" + Vec(caustic->Color()) + Format(" scale=%g speed=%g", caustic->Scale(), caustic->Speed());
        if (caustic->Receivers().Count() > 0)
            text += Format(" receivers=%u", caustic->Receivers().Count());
    }
    if (object->IsDerivedFrom(&RenderShadowmapEffectController::TYPE)) {
        auto* controller = static_cast<RenderShadowmapEffectController*>(object);
        if (controller->Casters().Count() > 0)
            text += Format(" casters=%u", controller->Casters().Count());
    }
    if (object->IsDerivedFrom(&Camera::TYPE)) {
        auto* camera = static_cast<Camera*>(object);
        text += Format(" fov=%g near=%g far=%g", camera->Fov(), camera->Near(), camera->Far());
    }
    if (object->IsDerivedFrom(&FPCamera::TYPE)) {
        auto* camera = static_cast<FPCamera*>(object);
        text += Format(" parameters=(%g, %g, %s)", camera->FirstParameter(), camera->SecondParameter(),
                       camera->Flag() ? "true" : "false");
    }
    if (object->IsDerivedFrom(&Light::TYPE)) {
        auto* light = static_cast<Light*>(object);
        const int32_t type = light->GetType();
        text += Format(" type=%s", type >= 0 && type <= 3 ? kLightTypes[type] : "unknown");
        text += " diffuse=" + Vec(light->Diffuse());
        if (light->AttenuationEnabled())
            text += " attenuation=" + Vec(light->Attenuation());
        if (type == Light::kSpot)
            text += Format(" spot-angle=%g falloff=%g", light->SpotAngle(), light->Falloff());
    }
    if (object->IsDerivedFrom(&SoundNode::TYPE)) {
        auto* sound = static_cast<SoundNode*>(object);
        text += Format(" file=\"%s\"%s%s%s volume=%d min-distance=%g", sound->FileName().CStr(),
                       sound->IsPositional() ? " positional" : "", sound->Loops() ? " loop" : "",
                       sound->IsPlaying() ? " playing" : "", sound->Volume(), sound->MinDistance());
    }
    if (object->IsDerivedFrom(&SoundNode2::TYPE)) {
        auto* sound = static_cast<SoundNode2*>(object);
        text += Format(" files=(\"%s\", \"%s\")%s volume=%d min-distance=%g interval=%g+-%g",
                       sound->FileNameA().CStr(), sound->FileNameB().CStr(), sound->IsPositional() ? " positional" : "",
                       sound->Volume(), sound->MinDistance(), sound->IntervalBase(), sound->IntervalRandom());
    }
    if (object->IsDerivedFrom(&Buffer::TYPE))
        text += Format(" count=%u", static_cast<Buffer*>(object)->GetCount());
    if (object->IsDerivedFrom(&ParticleSystem::TYPE)) {
        auto* system = static_cast<ParticleSystem*>(object);
        const ParticleSystem::Parameters& p = system->GetParameters();
        text += Format(" pool=%d interval=%g+-%g burst=%d+-%d speed=%g+-%g lifetime=%g+-%g size=%g+-%g..%g+-%g",
                       system->MaxParticles(), p.intervalBase, p.intervalRandom, p.burstBase, p.burstRandom,
                       p.speedBase, p.speedRandom, p.lifetimeBase, p.lifetimeRandom, p.startSizeBase,
                       p.startSizeRandom, p.endSizeBase, p.endSizeRandom);
        text += " color=" + Vec(p.startColorBase) + ".." + Vec(p.endColorBase);
        if (!(p.accelerationBase == Vector3{}))
            text += " acceleration=" + Vec(p.accelerationBase);
    }
    if (object->IsDerivedFrom(&PointEmitter::TYPE)) {
        auto* emitter = static_cast<PointEmitter*>(object);
        text += Format(" angles=%g..%g", emitter->MinAngle(), emitter->MaxAngle());
    }
    if (object->IsDerivedFrom(&SphereVolumeEmitter::TYPE))
        text += Format(" radius=%g", static_cast<SphereVolumeEmitter*>(object)->Radius());
    if (object->IsDerivedFrom(&IntervalParticleSystemController::TYPE)) {
        auto* controller = static_cast<IntervalParticleSystemController*>(object);
        text += Format(" period=%g on=%g", controller->Period(), controller->OnTime());
    }
    if (object->IsDerivedFrom(&Image::TYPE)) {
        auto* image = static_cast<Image*>(object);
        if (!image->FileName().IsEmpty())
            text += Format(" file=\"%s\"", image->FileName().CStr());
        text += Format(" size=%ux%u", image->Width(), image->Height());
        if (image->IsDerivedFrom(&VolumeImage::TYPE))
            text += Format("x%u", image->Depth());
        text += Format(" format=%u%s", image->Format(), image->Data() ? "" : " no-pixels");
    }
    if (object->IsDerivedFrom(&BaseTexture::TYPE))
        text += Format(" mip-levels=%d", static_cast<BaseTexture*>(object)->MipLevels());
    if (object->IsDerivedFrom(&SphereBoundingVolume::TYPE)) {
        auto* sphere = static_cast<SphereBoundingVolume*>(object);
        text += " center=" + Vec(sphere->GetCenter()) + Format(" radius=%g", sphere->Radius());
    }
    if (object->IsDerivedFrom(&Font::TYPE)) {
        auto* font = static_cast<Font*>(object);
        text += Format(" max-chars=%u scale=(%g, %g) spacing=%g colour=", font->MaxChars(), font->ScaleX(),
                       font->ScaleY(), font->Spacing()) +
                Vec(font->Colour());
    }
    if (object->IsDerivedFrom(&TextureFont2::TYPE))
        text += Format(" params=\"%s\"", static_cast<TextureFont2*>(object)->ParameterFile().CStr());
    if (object->IsDerivedFrom(&LearnSystem::TYPE)) {
        auto* learn = static_cast<LearnSystem*>(object);
        text += Format(" config=\"%s\" textures=%u fonts=%u styles=%u messages=%u activators=%u",
                       learn->ConfigFile().CStr(), learn->TextureCount(), learn->FontCount(),
                       static_cast<unsigned>(learn->Styles().size()), static_cast<unsigned>(learn->Messages().size()),
                       static_cast<unsigned>(learn->Activators().size()));
    }
    text += AnimationFields(object, [this](Object* part) { return Reference(part); });
    if (m_showWorld && object->IsDerivedFrom(&Node::TYPE)) {
        const Transform& world = static_cast<Node*>(object)->WorldTransform();
        text += world.isIdentity ? std::string(" world=identity") : " world:" + TransformText(world);
    }
    return text;
}

// The maps and lights the catalogue's effects link to (a light already listed in the scene
// shows as a reference).
void SceneDumper::DumpEffectLinks(Object* object, int depth)
{
    const struct {
        const Rtti* type;
        const char* label;
        Object* (*get)(Object*);
    } links[] = {
        {&Texture1DLEffect::TYPE, "light: ", [](Object* o) -> Object* { return static_cast<Texture1DLEffect*>(o)->GetLight(); }},
        {&Texture1DL1PLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<Texture1DL1PLEffect*>(o)->GetLight(); }},
        {&Texture1DL1PLEffect::TYPE, "point-light: ",
         [](Object* o) -> Object* { return static_cast<Texture1DL1PLEffect*>(o)->GetPointLight(); }},
        {&NormalmapTextureEffect::TYPE, "normal-map: ",
         [](Object* o) -> Object* { return static_cast<NormalmapTextureEffect*>(o)->GetNormalMap(); }},
        {&NormalmapTexture1DLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<NormalmapTexture1DLEffect*>(o)->GetLight(); }},
        {&ParallaxTexture1DLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<ParallaxTexture1DLEffect*>(o)->GetLight(); }},
        {&DarkmapNormalmapTextureEffect::TYPE, "dark-map: ",
         [](Object* o) -> Object* { return static_cast<DarkmapNormalmapTextureEffect*>(o)->GetDarkmap(); }},
        {&DarkmapNormalmapTexture1DLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<DarkmapNormalmapTexture1DLEffect*>(o)->GetLight(); }},
        {&LightmapTextureEffect::TYPE, "light-map: ",
         [](Object* o) -> Object* { return static_cast<LightmapTextureEffect*>(o)->GetLightmap(); }},
        {&LightmapTexture1DLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<LightmapTexture1DLEffect*>(o)->GetLight(); }},
        {&ReflectiveCubeTextureEffect::TYPE, "cube-map: ",
         [](Object* o) -> Object* { return static_cast<ReflectiveCubeTextureEffect*>(o)->GetCubeMap(); }},
        {&GlossReflectiveCubeTextureEffect::TYPE, "gloss-map: ",
         [](Object* o) -> Object* { return static_cast<GlossReflectiveCubeTextureEffect*>(o)->GetGlossMap(); }},
        {&ReflectiveQuietFlatWaterEffect::TYPE, "reflection: ",
         [](Object* o) -> Object* { return static_cast<ReflectiveQuietFlatWaterEffect*>(o)->GetReflection(); }},
        {&ReflectiveRefractiveQuietFlatWaterEffect::TYPE, "reflection: ",
         [](Object* o) -> Object* { return static_cast<ReflectiveRefractiveQuietFlatWaterEffect*>(o)->GetReflection(); }},
        {&ReflectiveRefractiveQuietFlatWaterEffect::TYPE, "refraction: ",
         [](Object* o) -> Object* { return static_cast<ReflectiveRefractiveQuietFlatWaterEffect*>(o)->GetRefraction(); }},
        {&FlatWaterEffect::TYPE, "cube-map: ", [](Object* o) -> Object* { return static_cast<FlatWaterEffect*>(o)->GetCubeMap(); }},
        {&FlatWaterEffect::TYPE, "refraction: ",
         [](Object* o) -> Object* { return static_cast<FlatWaterEffect*>(o)->GetRefraction(); }},
        {&FlatWaterEffect::TYPE, "reflection: ",
         [](Object* o) -> Object* { return static_cast<FlatWaterEffect*>(o)->GetReflection(); }},
        {&FlatWater1DLEffect::TYPE, "light: ", [](Object* o) -> Object* { return static_cast<FlatWater1DLEffect*>(o)->GetLight(); }},
        {&CloudsEffect::TYPE, "texture: ", [](Object* o) -> Object* { return static_cast<CloudsEffect*>(o)->GetEffectTexture(); }},
        {&GrassEffect::TYPE, "light: ", [](Object* o) -> Object* { return static_cast<GrassEffect*>(o)->GetLight(); }},
        {&NormalmapLightmapTextureEffect::TYPE, "normal-map: ",
         [](Object* o) -> Object* { return static_cast<NormalmapLightmapTextureEffect*>(o)->GetNormalMap(); }},
        {&NormalmapLightmapTexture1DLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<NormalmapLightmapTexture1DLEffect*>(o)->GetLight(); }},
        {&ParallaxLightmapTextureEffect::TYPE, "normal-map: ",
         [](Object* o) -> Object* { return static_cast<ParallaxLightmapTextureEffect*>(o)->GetNormalMap(); }},
        {&ParallaxLightmapTexture1DLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<ParallaxLightmapTexture1DLEffect*>(o)->GetLight(); }},
        {&GlossmapTextureEffect::TYPE, "gloss-map: ",
         [](Object* o) -> Object* { return static_cast<GlossmapTextureEffect*>(o)->GetGlossMap(); }},
        {&GlossmapTexture1DLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<GlossmapTexture1DLEffect*>(o)->GetLight(); }},
        {&NormalmapTexture1DL1PLEffect::TYPE, "light: ",
         [](Object* o) -> Object* { return static_cast<NormalmapTexture1DL1PLEffect*>(o)->GetLight(); }},
        {&NormalmapTexture1DL1PLEffect::TYPE, "point-light: ",
         [](Object* o) -> Object* { return static_cast<NormalmapTexture1DL1PLEffect*>(o)->GetPointLight(); }},
        {&ShadowmapEffect::TYPE, "light: ", [](Object* o) -> Object* { return static_cast<ShadowmapEffect*>(o)->GetLight(); }},
        {&ProjectedCausticEffect::TYPE, "caustic: ",
         [](Object* o) -> Object* { return static_cast<ProjectedCausticEffect*>(o)->GetCaustic(); }},
    };
    for (const auto& link : links)
        if (object->IsDerivedFrom(link.type))
            if (Object* linked = link.get(object))
                DumpObject(linked, link.label, depth);
}

void SceneDumper::DumpParts(Object* object, int depth)
{
    for (uint32_t i = object->ControllerCount(); i-- > 0;)
        DumpObject(object->GetController(i), "controller: ", depth);
    DumpAnimationParts(object, [&](Object* part, const std::string& label) { DumpObject(part, label, depth); });
    if (object->IsDerivedFrom(&GeometryNode::TYPE)) {
        auto* geometry = static_cast<GeometryNode*>(object);
        if (geometry->GetEffect())
            DumpObject(geometry->GetEffect(), "effect: ", depth);
        const struct {
            const char* label;
            Object* buffer;
        } buffers[] = {{"vertices: ", geometry->Vertices()}, {"point-sizes: ", geometry->PointSizes()},
                       {"colors: ", geometry->Colors()},     {"normals: ", geometry->Normals()},
                       {"tangents: ", geometry->Tangents()}};
        for (const auto& part : buffers)
            if (part.buffer)
                DumpObject(part.buffer, part.label, depth);
        for (uint32_t set = 0; set < GeometryNode::kTexCoordSets; ++set)
            if (Buffer* coords = geometry->TexCoords(set))
                DumpObject(coords, Format("texcoords[%u]: ", set), depth);
        if (geometry->Indices())
            DumpObject(geometry->Indices(), "indices: ", depth);
        if (auto* bound = geometry->LocalBound(); bound && bound->IsDerivedFrom(&SphereBoundingVolume::TYPE)) {
            auto* sphere = static_cast<SphereBoundingVolume*>(bound);
            Line(depth, "local-bound: center=" + Vec(sphere->GetCenter()) + Format(" radius=%g", sphere->Radius()));
        }
    }
    // Particles: the emitter and what it emits from, the model of node particles.
    if (object->IsDerivedFrom(&ParticleSystem::TYPE))
        DumpObject(static_cast<ParticleSystem*>(object)->GetEmitter(), "emitter: ", depth);
    if (object->IsDerivedFrom(&TrianglesEmitter::TYPE))
        DumpObject(static_cast<TrianglesEmitter*>(object)->GetTriangles(), "triangles: ", depth);
    if (object->IsDerivedFrom(&NodeParticleSystem::TYPE))
        DumpObject(static_cast<NodeParticleSystem*>(object)->Model(), "model: ", depth);
    if (object->IsDerivedFrom(&SpriteEffect::TYPE))
        DumpObject(static_cast<SpriteEffect*>(object)->GetTexture(), "texture: ", depth);
    // Pictures: the texture of a texture effect, the image of each texture.
    if (object->IsDerivedFrom(&TextureEffect::TYPE))
        DumpObject(static_cast<TextureEffect*>(object)->GetTexture(), "texture: ", depth);
    DumpEffectLinks(object, depth);
    if (object->IsDerivedFrom(&Texture::TYPE))
        DumpObject(static_cast<Texture*>(object)->GetImage(), "image: ", depth);
    if (object->IsDerivedFrom(&TextureFont2::TYPE))
        DumpObject(static_cast<TextureFont2*>(object)->GetTexture(), "texture: ", depth);
    if (object->IsDerivedFrom(&TextureFont::TYPE))
        DumpObject(static_cast<TextureFont*>(object)->GetTexture(), "texture: ", depth);
    if (object->IsDerivedFrom(&CubeTexture::TYPE))
        DumpObject(static_cast<CubeTexture*>(object)->GetImage(false), "image: ", depth);
    if (object->IsDerivedFrom(&VolumeTexture::TYPE))
        DumpObject(static_cast<VolumeTexture*>(object)->GetImage(false), "image: ", depth);
    if (object->IsDerivedFrom(&SceneNode::TYPE)) {
        auto* scene = static_cast<SceneNode*>(object);
        for (uint32_t i = 0; i < scene->EffectCount(); ++i)
            DumpObject(scene->GetEffect(i), "effect: ", depth);
        for (uint32_t i = 0; i < scene->ChildCount(); ++i)
            DumpObject(scene->GetChild(i), Format("[%u] ", i), depth);
    }
}

}  // namespace zen::tool
