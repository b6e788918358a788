#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/core/Vector4.h"
#include "engine/scene/Light.h"

namespace zen {

class GeometryNode;
class GeometryNodeEffect;
class Renderer;
class Stream;

// The lights of a lit effect and the constants its programs read: one directional light (1DL)
// and, for the 1DL1PL effects, one point light. Lighting is computed in the node's model space
// (the light direction, eye and point-light positions are carried there once per draw), as the
// fixed-function pipeline does it: ambient + diffuse x max(N.L, 0) + specular x (N.H)^power
// with the half vector H, the specular term only where N.L > 0; the whole scaled by the
// effect's colour except the specular part.
//
// Vertex constants (after the shared matrices c0-c7):
//   c8  diffuse product (material x light x colour; w: material alpha x colour alpha)
//   c9  x: fog scale, -density x log2(e) (the fog factor is 2^(view depth x c9.x)); y 0, z 1, w 0.5
//   c10 ambient product + emissive, times the colour (w 0)
//   c11 added to the specular output (0: reserved for glow)
//   c12 x: specular power; y 0, z 1, w 0.5
//   c13 specular product (w 0)
//   c14 point-light diffuse product, c15 point-light specular product
//   c16 unit vector towards the directional light, model space
//   c17 eye position, model space (w 1)
//   c18 point-light position, model space (w 1)
//   c19 point-light attenuation (constant, linear, quadratic, 0)
//   c20 and above: the effect's own
// Pixel constants of the per-pixel programs: c0 diffuse product, c1 ambient product, c2
// (power, 0, 1, 0.5), c3 specular product, c4 point diffuse, c5 point specular, c6 point
// attenuation; c7 is the programs' own (0, 1, 2, -1), c8 and above the effect's own.
class EffectLighting {
public:
    static constexpr uint32_t kFirstVertexRegister = 8;
    static constexpr uint32_t kVertexRegisterCount = 12;      // c8-c19.
    static constexpr uint32_t kFirstFreeVertexRegister = 20;
    static constexpr uint32_t kPixelRegisterCount = 7;        // c0-c6.
    static constexpr uint32_t kFirstFreePixelRegister = 8;

    Light* Directional() const { return m_directional.Get(); }
    void SetDirectional(Light* light) { m_directional = light; }
    Light* Point() const { return m_point.Get(); }
    void SetPoint(Light* light) { m_point = light; }

    // kSuccess when the directional light (and, with `point`, the point light) is there and of
    // its kind: the directional one kFixedDirectional or kDirectional, the point one kPoint.
    // Otherwise the effect reports the problem (once) and kFailure.
    Result Check(GeometryNodeEffect& effect, bool point) const;

    // The constants above for `node` seen from the renderer's camera, the colour `color`
    // scaling the lit result. `pixel` also writes the per-pixel programs' constants. With
    // `worldSpace` (a skinned draw, whose vertices the palette carries into the world) the
    // directions and positions stay in world space instead of the node's model space.
    void WriteConstants(Renderer& renderer, const GeometryNodeEffect& effect, const Vector4& color,
                        const GeometryNode& node, bool point, bool pixel, bool worldSpace = false) const;
    // The values without a renderer (what WriteConstants writes): vertex c8-c19, pixel c0-c6.
    void ComputeConstants(const GeometryNodeEffect& effect, const Vector4& color, const GeometryNode& node,
                          const Vector4* eye, bool point, Vector4 (&vertex)[kVertexRegisterCount],
                          Vector4 (&pixel)[kPixelRegisterCount], bool worldSpace = false) const;

    // Fixed function: the lights on the renderer's state stack (the pass's caller pops them).
    Result PushLights(Renderer& renderer, bool point) const;

    // The light links as the lit effects stream and search them: the directional light, then
    // (with `point`) the point light, each a link with its own message. Load sets the lights
    // only when every link was read.
    Object* FindByName(const String& name) const;
    void CollectByType(const Rtti* type, Array<Object*>& out) const;
    Result Save(const Object& owner, Stream& stream, bool point) const;
    Result Load(const Object& owner, Stream& stream, bool point);

private:
    Ptr<Light> m_directional;
    Ptr<Light> m_point;  // Only the 1DL1PL effects use it.
};

}  // namespace zen
