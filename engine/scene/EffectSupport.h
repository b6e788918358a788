#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/core/Stream.h"
#include "engine/core/Vector4.h"
#include "engine/scene/BaseTexture.h"
#include "engine/scene/Light.h"
#include "engine/scene/RenderState.h"

namespace zen {

class GeometryNodeEffect;
class Texture;
class Object;
class Rtti;
class String;

// What the catalogue effects share beyond their programs: the checks that keep bad input from
// being drawn, the fixed-function stage set-ups of the fallbacks, and the save and load steps
// of their links with their messages. Static helpers only.
class EffectSupport {
public:
    // kSuccess when `texture` is there with an image; otherwise `effect` reports a missing
    // texture (once), naming `what` ("текстура", "карта нормалей", ...), and kFailure.
    static Result CheckTexture(GeometryNodeEffect& effect, const BaseTexture* texture, const char* what = "текстура");

    // The relief factor N . (0.5, 0.5, 1) of a normal map (texels n x 0.5 + 0.5, 8-bit RGB or
    // RGBA) averaged over its texels: what the unlit relief effects scale the plain texture by
    // when they fall back to the fixed-function pipeline. 1 (a flat map) without an image.
    static float ReliefMean(const Texture* normalMap);

    // Fixed function, lit: stage 0 texture x lit colour, stage 1 x `color` (specular is added
    // by the pipeline after the stages).
    static void PrepareLitStages(RenderState& state, const Vector4& color);
    // Stage `stage` combines `op` of its texture with the result so far.
    static void PrepareStage(RenderState& state, uint32_t stage, int32_t op);

    // Search helpers for the linked objects (null-safe).
    static Object* FindIn(Object* object, const String& name);
    static void CollectIn(Object* object, const Rtti* type, Array<Object*>& out);

    // One link with its message ("Невозможно сохранить <what>. Имя[%s] ID[%d]" / "Невозможно
    // загрузить <what>. ID[%d] Имя[%s]"); kFailure after the message.
    static Result SaveLink(const Object& owner, Stream& stream, Object* link, const char* what);
    template <class T>
    static Result LoadLink(const Object& owner, Stream& stream, Ptr<T>& out, const char* what)
    {
        Ptr<T> value;
        if (stream.ReadObject(value) != kSuccess)
            return LoadFailed(owner, what);
        out = value;
        return kSuccess;
    }
    // A texture-coordinate set (int32, 0-7) with its message.
    static Result SaveSet(const Object& owner, Stream& stream, uint32_t set, const char* what);
    static Result LoadSet(const Object& owner, Stream& stream, uint32_t& out, const char* what);
    // The light of the 1DL effects: "источник света".
    static Result SaveLight(const Object& owner, Stream& stream, Light* light)
    {
        return SaveLink(owner, stream, light, "источник света");
    }
    static Result LoadLight(const Object& owner, Stream& stream, Ptr<Light>& out)
    {
        return LoadLink(owner, stream, out, "источник света");
    }
    // Float values written one after another, the stream tested once (one message).
    static Result SaveFloats(const Object& owner, Stream& stream, const float* values, uint32_t count,
                             const char* what);
    static Result LoadFloats(const Object& owner, Stream& stream, float* values, uint32_t count, const char* what);
    // The two-layer effects' (clouds, lava) fields after their Base's: the parameters, the
    // aggregate ({u, v}, scale, three of their own), as six of those floats; loaded ones go
    // through SetParameters.
    template <class Base, class E>
    static Result SaveLayerParameters(E& effect, Stream& stream, const char* what)
    {
        if (effect.Base::Save(stream) != kSuccess)
            return effect.ParentSaveFailed();
        const auto& [velocity, scale, a, b, c] = effect.GetParameters();
        const float values[6] = {velocity[0], velocity[1], scale, a, b, c};
        return SaveFloats(effect, stream, values, 6, what);
    }
    template <class Base, class E>
    static Result LoadLayerParameters(E& effect, Stream& stream, const char* what)
    {
        float v[6] = {};
        if (effect.Base::Load(stream) != kSuccess)
            return effect.ParentLoadFailed();
        if (LoadFloats(effect, stream, v, 6, what) != kSuccess)
            return kFailure;
        effect.SetParameters(typename E::Parameters{{v[0], v[1]}, v[2], v[3], v[4], v[5]});
        return kSuccess;
    }

private:
    static Result LoadFailed(const Object& owner, const char* what);
};

}  // namespace zen
