#include "engine/text/FontMesh.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/RenderState.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen {

FontMesh::FontMesh() = default;

FontMesh::~FontMesh() = default;

Result FontMesh::Build(uint32_t slots, const String& fontName, int32_t fontId)
{
    m_slots = 0;
    m_drawn = 0;
    if (!m_mesh)
        m_mesh = new (std::nothrow) Triangles();
    Ptr<Vector3Buffer> positions;
    Ptr<Vector2Buffer> coordinates;
    Ptr<IntBuffer> indices;
    if (m_mesh && slots <= kMaxSlots) {
        positions = new (std::nothrow) Vector3Buffer(4 * slots);
        coordinates = new (std::nothrow) Vector2Buffer(4 * slots);
        indices = new (std::nothrow) IntBuffer(6 * slots);
    }
    const bool made = m_mesh && positions && coordinates && indices && positions->GetCount() == 4 * slots &&
                      coordinates->GetCount() == 4 * slots && indices->GetCount() == 6 * slots;
    if (!made) {
        Error("Недостаточно памяти для создания геометрии TextureFont. Имя[%s] ID[%d].", fontName.CStr(), fontId);
        if (m_mesh) {
            m_mesh->SetVertices(nullptr);
            m_mesh->SetIndices(nullptr);
            (void)m_mesh->SetTexCoords(0, nullptr);
        }
        return kOutOfMemory;
    }
    int32_t* index = indices->Data();
    for (uint32_t i = 0; i < slots; ++i) {
        const int32_t b = static_cast<int32_t>(4 * i);
        const int32_t quad[6] = {b, b + 2, b + 1, b, b + 3, b + 2};
        for (int k = 0; k < 6; ++k)
            *index++ = quad[k];
    }
    m_mesh->SetName(fontName);
    m_mesh->SetVertices(positions.Get());
    (void)m_mesh->SetTexCoords(0, coordinates.Get());
    m_mesh->SetIndices(indices.Get());
    m_mesh->UpdateState(0.0, true);

    if (!m_effect) {
        m_effect = new (std::nothrow) TextureEffect();
        if (!m_effect) {
            Error("Недостаточно памяти для создания эффекта TextureFont. Имя[%s] ID[%d].", fontName.CStr(), fontId);
            return kOutOfMemory;
        }
    }
    (void)m_effect->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
    (void)m_mesh->SetEffect(m_effect.Get());
    m_slots = slots;
    return kSuccess;
}

Vector3* FontMesh::Positions()
{
    Vector3Buffer* buffer = m_mesh ? m_mesh->Vertices() : nullptr;
    return buffer ? buffer->Data() : nullptr;
}

Vector2* FontMesh::Coordinates()
{
    Buffer* buffer = m_mesh ? m_mesh->TexCoords(0) : nullptr;
    return buffer ? static_cast<Vector2Buffer*>(buffer)->Data() : nullptr;
}

void FontMesh::Draw(uint32_t used)
{
    Renderer* renderer = Renderer::Current();
    if (!renderer || !m_mesh || !m_effect || m_slots == 0)
        return;
    if (used > m_slots)
        used = m_slots;
    // Slots the previous string filled and this one does not become points: no area, no pixels.
    if (Vector3* positions = Positions(); positions && m_drawn > used)
        for (uint32_t v = 4 * used; v < 4 * m_drawn; ++v)
            positions[v] = Vector3{0, 0, 0};
    m_drawn = used;
    m_mesh->Vertices()->SetDirty();
    m_mesh->TexCoords(0)->SetDirty();
    if (used == 0)
        return;

    if (!m_camera) {
        m_camera = new (std::nothrow) Camera();
        if (!m_camera)
            return;
        m_camera->SetFixedMatrices(Matrix4::Identity(), Camera::ScreenProjection());
    }
    renderer->FlushDeferred();
    const Ptr<Camera> previous(renderer->GetCamera());
    renderer->SetCamera(m_camera.Get());
    m_mesh->Draw(renderer);
    renderer->FlushDeferred();
    renderer->SetCamera(previous.Get());
}

}  // namespace zen
