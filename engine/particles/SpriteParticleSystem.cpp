#include "engine/particles/SpriteParticleSystem.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Vector2Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SpriteParticleSystem, ParticleSystem, kStartupOtherClasses)

namespace {

// Texture coordinates of a particle's six quad vertices, (0, 0) at the top left as the camera
// sees it: bottom left, top left, bottom right; top left, top right, bottom right. Both
// triangles run clockwise on the screen, the front faces of the default culling.
constexpr Vector2 kQuadCoords[6] = {{0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {1, 1}};

}  // namespace

bool SpriteParticleSystem::RendererHasPointSprites()
{
    const Renderer* renderer = Renderer::Current();
    return renderer && renderer->GetCapabilities().pointSprites;
}

void SpriteParticleSystem::CreateBuffers()
{
    m_pointSprites = RendererHasPointSprites();
    m_buffersMade = true;
    SetDrawCount(0);
    const uint32_t pool = static_cast<uint32_t>(MaxParticles());
    const uint32_t vertices = m_pointSprites ? pool : pool * 6;
    Ptr<Vector3Buffer> positions;
    Ptr<ColorBuffer> colors;
    Ptr<FloatBuffer> sizes;
    Ptr<Vector2Buffer> coords;
    if (vertices > 0) {
        positions = new (std::nothrow) Vector3Buffer(vertices);
        colors = new (std::nothrow) ColorBuffer(vertices);
        if (m_pointSprites)
            sizes = new (std::nothrow) FloatBuffer(vertices);
        else
            coords = new (std::nothrow) Vector2Buffer(vertices);
        Buffer* third = m_pointSprites ? static_cast<Buffer*>(sizes.Get()) : coords.Get();
        if (!positions || !colors || !third || positions->GetCount() != vertices || colors->GetCount() != vertices ||
            third->GetCount() != vertices) {
            Error("Недостаточно памяти для буферов системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
            positions = nullptr;
            colors = nullptr;
            sizes = nullptr;
            coords = nullptr;
        } else if (coords) {
            Vector2* out = coords->Data();
            for (uint32_t i = 0; i < vertices; ++i)
                out[i] = kQuadCoords[i % 6];
        }
    }
    SetVertices(positions.Get());
    SetColors(colors.Get());
    SetPointSizes(sizes.Get());
    (void)SetTexCoords(0, coords.Get());
}

void SpriteParticleSystem::UpdateDrawData()
{
    if (!m_buffersMade || m_pointSprites != RendererHasPointSprites())
        CreateBuffers();
    SetDrawCount(0);
    if (!Vertices() || !Colors())
        return;
    if (m_pointSprites)
        WritePoints();
    else
        WriteQuads();
}

void SpriteParticleSystem::WritePoints()
{
    Vector3Buffer* positionBuffer = Vertices();
    ColorBuffer* colorBuffer = Colors();
    FloatBuffer* sizeBuffer = PointSizes();
    if (!sizeBuffer)
        return;
    Vector3* positions = positionBuffer->Data();
    Vector4* colors = colorBuffer->Data();
    float* sizes = sizeBuffer->Data();
    const uint32_t capacity = positionBuffer->GetCount();
    uint32_t i = 0;
    for (const Particle* particle = LiveList(); particle && i < capacity; particle = particle->next, ++i) {
        positions[i] = particle->position;
        colors[i] = particle->color;
        sizes[i] = particle->size;
    }
    SetDrawCount(i);
    positionBuffer->SetDirty(true);
    colorBuffer->SetDirty(true);
    sizeBuffer->SetDirty(true);
}

void SpriteParticleSystem::WriteQuads()
{
    const Renderer* renderer = Renderer::Current();
    const Camera* camera = renderer ? renderer->GetCamera() : nullptr;
    if (!camera)
        return;
    const Vector3 d1 = (camera->Right() + camera->Up()).Normalized() * 0.5f;
    const Vector3 d2 = (camera->Right() - camera->Up()).Normalized() * 0.5f;
    Vector3Buffer* positionBuffer = Vertices();
    ColorBuffer* colorBuffer = Colors();
    Vector3* positions = positionBuffer->Data();
    Vector4* colors = colorBuffer->Data();
    const uint32_t capacity = positionBuffer->GetCount() / 6;
    uint32_t i = 0;
    for (const Particle* particle = LiveList(); particle && i < capacity; particle = particle->next, ++i) {
        const Vector3& p = particle->position;
        const Vector3 a = d1 * particle->size, b = d2 * particle->size;
        const Vector3 bottomLeft = p - a, topRight = p + a, bottomRight = p + b, topLeft = p - b;
        Vector3* v = positions + i * 6;
        v[0] = bottomLeft;
        v[1] = topLeft;
        v[2] = bottomRight;
        v[3] = topLeft;
        v[4] = topRight;
        v[5] = bottomRight;
        Vector4* c = colors + i * 6;
        c[0] = c[1] = c[2] = c[3] = c[4] = c[5] = particle->color;
    }
    SetDrawCount(i * 2);
    positionBuffer->SetDirty(true);
    colorBuffer->SetDirty(true);
}

}  // namespace zen
