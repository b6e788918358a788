#pragma once
#include <cstdint>
#include "engine/core/Link.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/scene/GeometryNode.h"

namespace zen {

class Camera;

// The reflections a bright source leaves in a camera lens ("ZEN.LensFlares"): `count` quads on
// the screen along the line from the source's screen position through the screen centre, the
// first at the source and the last at its mirror image, each a step smaller than the one
// before. They fade out as the source nears the edge of the screen and vanish when it leaves
// it or passes behind the camera. The quads are rebuilt every frame just beyond the camera's
// near plane, so they cover what the scene drew.
// Stream form after the geometry node, as one group: count (int32, 0-8), colour (4 x float32),
// size (float32, the first reflection's height as a fraction of the screen height), then eight
// links: the source node, the aim node (may be null), then six further nodes kept for the
// reflections' own use (null).
// A source that is a flare casts nothing while the last occlusion measurement saw none of it
// (where the device measures). With an aim node the source shines along that node's +z axis
// (a lamp's beam): the reflections show only while the camera lies near that axis.
class LensFlares : public GeometryNode {
    ZEN_DECLARE_CLASS

public:
    static constexpr int32_t kMaxReflections = 8;
    static constexpr uint32_t kLinks = 8;

    LensFlares() = default;

    int32_t GetPrimitiveType() const override { return kTriangles; }
    void Update(double time) override;
    // Never culled: the reflections lie wherever the camera looks.
    void UpdateModelBound() override;
    void Draw(Renderer* renderer) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    int32_t Count() const { return m_count; }
    void SetCount(int32_t count) { m_count = count; }
    const Vector4& Color() const { return m_color; }
    void SetColor(const Vector4& color) { m_color = color; }
    float Size() const { return m_size; }
    void SetSize(float size) { m_size = size; }
    Node* Source() const { return m_links[0].Get(); }
    void SetSource(Node* source) { m_links[0] = source; }
    Node* AimNode() const { return m_links[1].Get(); }
    void SetAimNode(Node* aim) { m_links[1] = aim; }

    // The screen position (x, y in -1..1 when on screen) of reflection `index` of `count` for
    // a source at `source`, and its fade for that source position (1 well inside the screen,
    // 0 at and beyond the edge).
    static void ReflectionCentre(float sourceX, float sourceY, int32_t index, int32_t count, float& x, float& y);
    static float Fade(float sourceX, float sourceY);
    // How much a source aimed along an axis dazzles a camera seen at `cosine` of the angle
    // off that axis: 1 near the axis, easing to 0 about fifteen degrees off.
    static float Aim(float cosine);
    // The fade the last Update found (0 without a source in view).
    float CurrentFade() const { return m_fade; }

protected:
    void DrawPrimitives(Renderer* renderer) override;

private:
    void Rebuild(const Camera& camera);

    int32_t m_count = 4;
    Vector4 m_color{1, 1, 1, 0.5f};
    float m_size = 0.2f;
    Link<Node> m_links[kLinks];  // Scene nodes, linked: the scene holds these flares too.
    float m_fade = 0;
    uint32_t m_quads = 0;  // Quads built this frame.
};

}  // namespace zen
