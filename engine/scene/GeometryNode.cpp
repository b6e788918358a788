#include "engine/scene/GeometryNode.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(GeometryNode, Node, kStartupCoreClasses)

namespace {

bool IsGeometryNodeEffect(const Object* object)
{
    return object->GetRtti()->DerivesFrom(String(GeometryNode::kEffectTypeName));
}

}  // namespace

GeometryNode::GeometryNode()
{
    m_localBound = new (std::nothrow) SphereBoundingVolume();
    if (!m_localBound)
        Error("Недостаточно памяти для создания окружающего объёма.");
}

GeometryNode::~GeometryNode() = default;

// --- Effect and buffers -----------------------------------------------------------------------

Result GeometryNode::SetEffect(Object* effect)
{
    if (effect && !IsGeometryNodeEffect(effect))
        return kInvalidArgument;
    m_effect = effect;
    // The effect framework sets the effect's owner to this node here.
    return kSuccess;
}

void GeometryNode::InvalidatePasses()
{
    // Effect framework: when the effect has chosen its technique, Invalidate every pass of it.
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
    // An effect's update runs its controllers; the effect framework's Update replaces this call.
    if (m_effect)
        m_effect->UpdateControllers(time);
}

void GeometryNode::Draw(Renderer*)
{
    if (!m_effect)
        return;
    // Effect framework: when the effect is enabled, either draw now (current geometry = this
    // node; apply each pass, draw, pop the pass's states) or, for a blended effect, queue the
    // node with the squared distance from the world bound's centre to the camera.
}

void GeometryNode::DrawDeferred(Renderer*)
{
    // Effect framework: the pass loop of Draw for a node taken from the deferred queue.
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
    if (Node::Save(stream) != kSuccess) {
        Error("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
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
    if (Node::Load(stream) != kSuccess) {
        Error("Невозможно загрузить родительские данные. ID[%d]", ID());
        return kFailure;
    }
    const uint32_t firstNew = Object::NextID();
    Object* effect = nullptr;
    if (stream.ReadObject(&effect) != kSuccess) {
        Error("Невозможно загрузить эффект. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    if (effect && !IsGeometryNodeEffect(effect)) {
        Error("Невозможно загрузить эффект. ID[%d] Имя[%s]", ID(), m_name.CStr());
        // Made by this read and held by nobody: it would leak. One met earlier stays.
        if (effect->ID() >= firstNew && effect->References() == 0)
            delete effect;
        return kFailure;
    }
    (void)SetEffect(effect);

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

}  // namespace zen
