#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Camera;
class TextureEffect;
class Triangles;
struct Vector2;
struct Vector3;

// The drawing half of a texture font: a triangle mesh with four vertices and six indices per
// character slot, the blended texture effect that carries the glyph texture and the colour, and
// the orthographic camera that maps (0, 0)-(1, 1) onto the screen. The font writes the quads of
// one string into the slots and calls Draw; slots a longer earlier string used are collapsed
// so they draw nothing.
class FontMesh {
public:
    // Most character slots a font may ask for; beyond it the buffers' sizes would not fit.
    static constexpr uint32_t kMaxSlots = 65536;

    FontMesh();
    ~FontMesh();
    FontMesh(const FontMesh&) = delete;
    FontMesh& operator=(const FontMesh&) = delete;

    // Makes the mesh (when missing) with buffers for `slots` characters, the index buffer
    // filled once (slot i, b = 4i: b, b+2, b+1, b, b+3, b+2), and the effect (when missing),
    // set on the mesh and blended. `fontName` and `fontId` name the font in the log.
    // kSuccess; kOutOfMemory (logged) when a part cannot be made: the mesh then has no slots.
    Result Build(uint32_t slots, const String& fontName, int32_t fontId);

    uint32_t Slots() const { return m_slots; }
    Vector3* Positions();     // 4 x Slots(); null without a mesh.
    Vector2* Coordinates();   // 4 x Slots().
    TextureEffect* Effect() const { return m_effect.Get(); }
    Triangles* Mesh() const { return m_mesh.Get(); }

    // Draws the first `used` slots through the font camera with the current renderer, then
    // makes the camera that was current before current again. Flushes the renderer's deferred
    // queue first, so what was queued is drawn under its own camera.
    void Draw(uint32_t used);

private:
    Ptr<Triangles> m_mesh;
    Ptr<Camera> m_camera;
    Ptr<TextureEffect> m_effect;
    uint32_t m_slots = 0;
    uint32_t m_drawn = 0;  // Slots the previous Draw used; collapsed when the next uses fewer.
};

}  // namespace zen
