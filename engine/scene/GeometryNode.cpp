#include "engine/scene/GeometryNode.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "engine/core/ReferenceVisitor.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(GeometryNode, Node, kStartupCoreClasses)

GeometryNode::GeometryNode()
{
    m_localBound = new (std::nothrow) SphereBoundingVolume();
    if (!m_localBound)
        Error("Недостаточно памяти для создания окружающего объёма.");
}

GeometryNode::~GeometryNode()
{
    if (m_effect && m_effect->Owner() == this)
        m_effect->OnAttach(nullptr);
}

// --- Effect and buffers -----------------------------------------------------------------------

Result GeometryNode::SetEffect(Object* effect)
{
    if (effect && !effect->IsDerivedFrom(&GeometryNodeEffect::TYPE))
        return kInvalidArgument;
    auto* typed = static_cast<GeometryNodeEffect*>(effect);
    if (typed == m_effect.Get())
        return kSuccess;
    if (m_effect && m_effect->Owner() == this)
        m_effect->OnAttach(nullptr);
    m_effect = typed;
    if (typed)
        typed->OnAttach(this);
    return kSuccess;
}

void GeometryNode::InvalidatePasses()
{
    if (m_effect)
        m_effect->InvalidatePasses();
}

void GeometryNode::SetVertices(Vector3Buffer* buffer)
{
    m_vertices = buffer;
    InvalidatePasses();
}

void GeometryNode::SetPointSizes(FloatBuffer* buffer)
{
    m_pointSizes = buffer;
    InvalidatePasses();
}

void GeometryNode::SetColors(ColorBuffer* buffer)
{
    m_colors = buffer;
    InvalidatePasses();
}

void GeometryNode::SetNormals(Vector3Buffer* buffer)
{
    m_normals = buffer;
    InvalidatePasses();
}

void GeometryNode::SetTangents(Vector3Buffer* buffer)
{
    m_tangents = buffer;
    InvalidatePasses();
}

bool GeometryNode::IsTexCoordBuffer(const Buffer* buffer)
{
    return buffer->IsExactly(&FloatBuffer::TYPE) || buffer->IsExactly(&Vector2Buffer::TYPE) ||
           buffer->IsExactly(&Vector3Buffer::TYPE) || buffer->IsExactly(&Vector4Buffer::TYPE);
}

Result GeometryNode::SetTexCoords(uint32_t set, Buffer* buffer)
{
    if (set >= kTexCoordSets || (buffer && !IsTexCoordBuffer(buffer)))
        return kInvalidArgument;
    m_texCoords[set] = buffer;
    InvalidatePasses();
    return kSuccess;
}

void GeometryNode::SetIndices(IntBuffer* buffer)
{
    m_indices = buffer;
    InvalidatePasses();
}

// --- Geometry ---------------------------------------------------------------------------------

void GeometryNode::GenerateNormals() {}

void GeometryNode::GenerateTangents(int32_t) {}

void GeometryNode::UpdateModelBound()
{
    if (m_vertices && m_localBound)
        (void)m_localBound->ComputeFromVertices(m_vertices.Get());
}

void GeometryNode::UpdateGeometry(bool normals, bool tangents)
{
    UpdateModelBound();
    if (normals)
        GenerateNormals();
    if (tangents)
        GenerateTangents(0);
}

// --- Per-frame passes -------------------------------------------------------------------------

void GeometryNode::Update(double time)
{
    Node::Update(time);
    // A shared effect moves on once per update pass, from the node that holds it as owner (the
    // first holder to update takes that part when its owner has gone), so its animation and
    // controllers keep their pace.
    if (m_effect && !m_effect->Owner())
        m_effect->OnAttach(this);
    if (m_effect && m_effect->Owner() == this)
        m_effect->Update(time);
}

void GeometryNode::Draw(Renderer* renderer)
{
    if (!renderer || !m_effect || !m_effect->IsEnabled())
        return;
    if (Pass* override = renderer->OverridePass()) {
        if (!m_effect->IsBlended()) {
            renderer->SetCurrentGeometry(this);
            renderer->SetCurrentPass(override);
            renderer->SetPass(override);
            if (override->Apply(renderer) == kSuccess)
                DrawPrimitives(renderer);
        }
        return;
    }
    if (!m_effect->IsBlended()) {
        DrawPasses(renderer);
        return;
    }
    // Blended: drawn after everything opaque, farthest first, when the renderer flushes.
    float squaredDistance = 0.0f;
    if (const Camera* camera = renderer->GetCamera(); camera && m_worldBound) {
        const Vector3 center = m_worldBound->GetCenter();
        const Vector3 eye = camera->Position();
        const float dx = center.x - eye.x, dy = center.y - eye.y, dz = center.z - eye.z;
        squaredDistance = dx * dx + dy * dy + dz * dz;
    }
    (void)renderer->AddDeferred(this, squaredDistance);
}

void GeometryNode::DrawPrimitives(Renderer* renderer)
{
    renderer->DrawCurrentGeometry();
}

void GeometryNode::DrawDeferred(Renderer* renderer)
{
    if (renderer && m_effect && m_effect->IsEnabled())
        DrawPasses(renderer);
}

uint32_t GeometryNode::PrimitiveCount(int32_t primitiveType, uint32_t count)
{
    switch (primitiveType) {
    case kPoints: return count;
    case kLines: return count / 2;
    case kStripLines: return count > 1 ? count - 1 : 0;
    case kTriangles: return count / 3;
    default: return 0;
    }
}

uint32_t GeometryNode::PrimitiveCount() const
{
    const Buffer* counted = m_indices ? static_cast<const Buffer*>(m_indices.Get()) : m_vertices.Get();
    return counted ? PrimitiveCount(GetPrimitiveType(), counted->GetCount()) : 0;
}

void GeometryNode::DrawPasses(Renderer* renderer)
{
    renderer->SetCurrentGeometry(this);
    const uint32_t passes = m_effect->GetPassCount();  // Chooses the technique on first use.
    for (uint32_t i = 0; i < passes; ++i) {
        // Only what this pass pushes is popped: states an enclosing scene-node effect pushed
        // stay for the rest of its children.
        const uint32_t depth = renderer->StateDepth();
        if (m_effect->ApplyPass(i, renderer) == kSuccess)
            DrawPrimitives(renderer);
        while (renderer->StateDepth() > depth)
            (void)renderer->PopStateEntry();
    }
}

void GeometryNode::UpdateWorldBound()
{
    if (m_updateWorldBound && m_localBound && m_worldBound)
        (void)m_localBound->TransformTo(m_world, m_worldBound.Get());
}

// --- Search -----------------------------------------------------------------------------------

Object* GeometryNode::FindByName(const String& name)
{
    if (Object* found = Node::FindByName(name))
        return found;
    Object* parts[] = {m_effect.Get(), m_vertices.Get(), m_pointSizes.Get(), m_colors.Get(), m_normals.Get(),
                       m_tangents.Get()};
    for (Object* part : parts)
        if (part)
            if (Object* found = part->FindByName(name))
                return found;
    for (const Ptr<Buffer>& set : m_texCoords)
        if (set)
            if (Object* found = set->FindByName(name))
                return found;
    if (m_indices)
        if (Object* found = m_indices->FindByName(name))
            return found;
    return m_localBound ? m_localBound->FindByName(name) : nullptr;
}

void GeometryNode::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Node::CollectByType(type, out);
    Object* parts[] = {m_effect.Get(), m_vertices.Get(), m_pointSizes.Get(), m_colors.Get(), m_normals.Get(),
                       m_tangents.Get()};
    for (Object* part : parts)
        if (part)
            part->CollectByType(type, out);
    for (const Ptr<Buffer>& set : m_texCoords)
        if (set)
            set->CollectByType(type, out);
    if (m_indices)
        m_indices->CollectByType(type, out);
    if (m_localBound)
        m_localBound->CollectByType(type, out);
}

// --- Stream -----------------------------------------------------------------------------------

Result GeometryNode::Save(Stream& stream)
{
    if (Node::Save(stream) != kSuccess)
        return ParentSaveFailed();
    const struct {
        Object* object;
        const char* message;
    } links[] = {
        {m_effect.Get(), "Невозможно сохранить эффект. Имя[%s] ID[%d]"},
        {m_vertices.Get(), "Невозможно сохранить вершины. Имя[%s] ID[%d]"},
        {m_pointSizes.Get(), "Невозможно сохранить размеры точек. Имя[%s] ID[%d]"},
        {m_colors.Get(), "Невозможно сохранить цвета вершин. Имя[%s] ID[%d]"},
        {m_normals.Get(), "Невозможно сохранить нормали. Имя[%s] ID[%d]"},
        {m_tangents.Get(), "Невозможно сохранить тангенты. Имя[%s] ID[%d]"},
    };
    for (const auto& link : links) {
        if (stream.WriteObject(link.object) != kSuccess) {
            Error(link.message, m_name.CStr(), ID());
            return kFailure;
        }
    }
    for (const Ptr<Buffer>& set : m_texCoords) {
        if (stream.WriteObject(set.Get()) != kSuccess) {
            Error("Невозможно сохранить текстурные координаты. Имя[%s] ID[%d]", m_name.CStr(), ID());
            return kFailure;
        }
    }
    if (stream.WriteObject(m_indices.Get()) != kSuccess) {
        Error("Невозможно сохранить индексы. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    const int32_t kind = m_localBound ? m_localBound->GetType() : BoundingVolume::kSphere;
    if (stream.WriteInt(kind) != kSuccess) {
        Error("Невозможно сохранить тип локального окружающего объёма. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result GeometryNode::Load(Stream& stream)
{
    if (Node::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<GeometryNodeEffect> effect;
    if (stream.ReadObject(effect) != kSuccess) {
        Error("Невозможно загрузить эффект. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    (void)SetEffect(effect.Get());

    Ptr<Vector3Buffer> vertices;
    if (stream.ReadObject(vertices) != kSuccess) {
        Error("Невозможно загрузить вершины. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetVertices(vertices.Get());
    Ptr<FloatBuffer> pointSizes;
    if (stream.ReadObject(pointSizes) != kSuccess) {
        Error("Невозможно загрузить размеры точек. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetPointSizes(pointSizes.Get());
    Ptr<ColorBuffer> colors;
    if (stream.ReadObject(colors) != kSuccess) {
        Error("Невозможно загрузить цвета. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetColors(colors.Get());
    Ptr<Vector3Buffer> normals;
    if (stream.ReadObject(normals) != kSuccess) {
        Error("Невозможно загрузить нормали. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetNormals(normals.Get());
    Ptr<Vector3Buffer> tangents;
    if (stream.ReadObject(tangents) != kSuccess) {
        Error("Невозможно загрузить тангенты. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetTangents(tangents.Get());
    for (uint32_t set = 0; set < kTexCoordSets; ++set) {
        Ptr<Buffer> texCoords;
        if (stream.ReadObject(texCoords) != kSuccess || SetTexCoords(set, texCoords.Get()) != kSuccess) {
            Error("Невозможно загрузить текстурные координаты. ID[%d] Имя[%s]", ID(), m_name.CStr());
            return kFailure;
        }
    }
    Ptr<IntBuffer> indices;
    if (stream.ReadObject(indices) != kSuccess) {
        Error("Невозможно загрузить индексы. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetIndices(indices.Get());
    int32_t kind = 0;
    if (stream.ReadInt(kind) != kSuccess || kind != BoundingVolume::kSphere) {
        Error("Невозможно загрузить тип лоакльного окружающего объёма. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    BoundingVolume* bound = BoundingVolume::CreateOfKind(kind);
    if (!bound) {
        Error("Недостаточно памяти для создания локального окружающего объёма. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_localBound = bound;
    UpdateModelBound();
    return kSuccess;
}

void GeometryNode::VisitReferences(ReferenceVisitor& visitor)
{
    Node::VisitReferences(visitor);
    visitor(m_effect);
    visitor(m_vertices);
    visitor(m_pointSizes);
    visitor(m_colors);
    visitor(m_normals);
    visitor(m_tangents);
    for (Ptr<Buffer>& set : m_texCoords)
        visitor(set);
    visitor(m_indices);
}

}  // namespace zen
