#include "engine/anim/SkinController.h"

#include <cfloat>
#include <cmath>
#include <new>
#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SkinController, Controller, kStartupOtherClasses)

namespace {

constexpr uint32_t kMinBoneBytes = 4 + 40;  // A link and a bind transform.

// A weighted slot's bone index: finite and inside the bones.
bool IsBoneIndex(float index, uint32_t bones)
{
    return std::isfinite(index) && index >= 0 && index < static_cast<float>(bones);
}

float Component(const Vector4& v, int k)
{
    return k == 0 ? v.x : k == 1 ? v.y : k == 2 ? v.z : v.w;
}

// The direction `n` through the rotation and scale of `m` (no translation, no division).
Vector3 TransformDirection(const Matrix4& m, const Vector3& n)
{
    return {n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0], n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1],
            n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2]};
}

// The skin the vertex programs apply on `node`: its skin controller while inactive.
const SkinPalette* FindProgramSkin(const Object& node)
{
    const SkinController* skin = SkinController::Find(&node);
    return skin && !skin->IsActive() ? skin : nullptr;
}

const bool g_finderSet = (SkinPalette::SetFinder(&FindProgramSkin), true);

}  // namespace

SkinController::SkinController()
{
    m_bonePositions = new (std::nothrow) Vector3Buffer();
    if (!m_bonePositions)
        Error("Недостаточно памяти для создания буффера позиций костей. ID[%d]", ID());
}

const Transform* SkinController::BindTransform(uint32_t index) const
{
    return index < m_bindTransforms.Count() ? &m_bindTransforms[index] : nullptr;
}

Result SkinController::AddBone(Node* bone, const Transform& bindTransform)
{
    if (!bone)
        return kInvalidArgument;
    Result result = m_bones.Append(Link<Node>(bone));
    if (result == kSuccess)
        result = m_bindTransforms.Append(bindTransform);
    if (result == kSuccess)
        result = m_palette.Append(Matrix4());
    if (result == kSuccess && m_bonePositions)
        result = m_bonePositions->Resize(m_bones.Count());
    if (result != kSuccess) {
        // Keep the three arrays the same length.
        const uint32_t count = m_bones.Count() - 1;
        m_bones.RemoveAt(count);
        m_bindTransforms.RemoveAt(count);
        m_palette.RemoveAt(count);
    }
    return result;
}

SkinController* SkinController::Find(const Object* node)
{
    if (!node)
        return nullptr;
    for (uint32_t i = 0; i < node->ControllerCount(); ++i) {
        Controller* controller = node->GetController(i);
        if (controller->IsDerivedFrom(&SkinController::TYPE))
            return static_cast<SkinController*>(controller);
    }
    return nullptr;
}

void SkinController::PaletteRegisters(uint32_t index, float out[12]) const
{
    const Matrix4& m = index < m_palette.Count() ? m_palette[index] : Matrix4();
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 4; ++row)
            out[column * 4 + row] = m.m[row][column];
}

Result SkinController::WritePaletteConstants(Renderer& renderer) const
{
    const uint32_t bones = m_palette.Count();
    if (bones > kMaxShaderBones)
        return kFailure;
    for (uint32_t i = 0; i < bones; ++i) {
        float columns[12];
        PaletteRegisters(i, columns);
        renderer.SetVertexShaderConstants(kPaletteRegister + 3 * i, columns, 3);
    }
    const float info[4] = {static_cast<float>(kPaletteRegister), 3.0f, 1.0f, 0.0f};
    renderer.SetVertexShaderConstants(kPaletteInfoRegister, info, 1);
    return kSuccess;
}

Result SkinController::WritePalette(Renderer& renderer, uint32_t firstRegister) const
{
    const uint32_t bones = m_palette.Count();
    if (bones == 0 || firstRegister + 3 * bones > kInfoRegister || !CheckBindings(false))
        return kFailure;
    for (uint32_t i = 0; i < bones; ++i) {
        float columns[12];
        PaletteRegisters(i, columns);
        renderer.SetVertexShaderConstants(firstRegister + 3 * i, columns, 3);
    }
    const float last = static_cast<float>(bones - 1);
    const float info[8] = {static_cast<float>(firstRegister), 3.0f, 1.0f, 0.0f, last, last, last, last};
    renderer.SetVertexShaderConstants(kInfoRegister, info, 2);
    return kSuccess;
}

bool SkinController::CheckBindings(bool log) const
{
    const uint32_t bones = m_bones.Count();
    for (uint32_t i = 0; i < bones; ++i) {
        if (!m_bones[i]) {
            if (log)
                Error("Кость скина не задана. Имя[%s] ID[%d] Кость[%u]", Name().CStr(), ID(), i);
            return false;
        }
    }
    if (!m_weights && !m_indices)
        return true;
    const uint32_t vertices = m_bindVertices ? m_bindVertices->GetCount()
                                             : (m_weights ? m_weights->GetCount() : m_indices->GetCount());
    if (!m_weights || !m_indices || m_weights->GetCount() < vertices || m_indices->GetCount() < vertices) {
        if (log)
            Error("Весов или индексов костей меньше, чем вершин. Имя[%s] ID[%d]", Name().CStr(), ID());
        return false;
    }
    const Vector4* weights = m_weights->Data();
    const Vector4* indices = m_indices->Data();
    for (uint32_t v = 0; v < vertices; ++v) {
        for (int k = 0; k < 4; ++k) {
            const float weight = Component(weights[v], k);
            const bool used = k == 0 || weight > 0;
            if (!std::isfinite(weight) || (used && !IsBoneIndex(Component(indices[v], k), bones))) {
                if (log)
                    Error("Недопустимый вес или индекс кости. Имя[%s] ID[%d] Вершина[%u]", Name().CStr(), ID(), v);
                return false;
            }
        }
    }
    return true;
}

void SkinController::BuildPalette()
{
    Vector3* positions = m_bonePositions ? m_bonePositions->Data() : nullptr;
    const bool positionsFit = positions && m_bonePositions->GetCount() == m_bones.Count();
    for (uint32_t i = 0; i < m_bones.Count(); ++i) {
        const Transform& world = m_bones[i]->WorldTransform();
        m_palette[i] = Transform::Compose(world, m_bindTransforms[i]).ToMatrix();
        if (positionsFit)
            positions[i] = world.translation;
    }
}

bool SkinController::DeformVertices(GeometryNode& mesh)
{
    Vector3Buffer* target = mesh.Vertices();
    if (!target || !m_bindVertices || !m_weights || !m_indices || target->GetCount() != m_bindVertices->GetCount())
        return false;
    const uint32_t count = target->GetCount();
    const Vector3* bind = m_bindVertices->Data();
    const Vector4* weights = m_weights->Data();
    const Vector4* indices = m_indices->Data();
    Vector3* out = target->Data();
    if (count == 0 || !bind || !out)
        return false;
    for (uint32_t v = 0; v < count; ++v) {
        const Vector3& p = bind[v];
        Vector3 sum = m_palette[static_cast<uint32_t>(indices[v].x)].TransformPoint(p) * weights[v].x;
        for (int k = 1; k < 4; ++k) {
            const float w = Component(weights[v], k);
            if (w > 0)
                sum += m_palette[static_cast<uint32_t>(Component(indices[v], k))].TransformPoint(p) * w;
        }
        out[v] = sum;
    }
    target->SetDirty();

    // Normals follow the same blend without the translation, so lighting turns with the bones.
    Vector3Buffer* normals = mesh.Normals();
    if (!normals || normals == target || !m_bindNormals || normals->GetCount() != count ||
        m_bindNormals->GetCount() != count || !m_bindNormals->Data())
        return true;
    const Vector3* bindNormals = m_bindNormals->Data();
    Vector3* outNormals = normals->Data();
    for (uint32_t v = 0; v < count; ++v) {
        const Vector3& n = bindNormals[v];
        Vector3 sum = TransformDirection(m_palette[static_cast<uint32_t>(indices[v].x)], n) * weights[v].x;
        for (int k = 1; k < 4; ++k) {
            const float w = Component(weights[v], k);
            if (w > 0)
                sum += TransformDirection(m_palette[static_cast<uint32_t>(Component(indices[v], k))], n) * w;
        }
        outNormals[v] = sum.Normalized();
    }
    normals->SetDirty();
    return true;
}

void SkinController::UpdateBound(Node& owner)
{
    BoundingVolume* bound = owner.WorldBound();
    if (bound && bound->IsDerivedFrom(&SphereBoundingVolume::TYPE)) {
        auto* sphere = static_cast<SphereBoundingVolume*>(bound);
        if (m_bones.Count() < 2 || !m_bonePositions) {
            sphere->Set({0, 0, 0}, FLT_MAX);
        } else {
            SphereBoundingVolume fit;
            if (fit.ComputeFromVertices(m_bonePositions.Get()) == kSuccess)
                sphere->Set(fit.GetCenter(), fit.Radius() * 1.5f);
        }
    }
    owner.SetUpdateWorldBound(false);
}

void SkinController::Update(double)
{
    // The palette is built whether or not the controller is active: inactive, it serves the
    // vertex programs.
    if (!m_owner || !m_owner->IsDerivedFrom(&Node::TYPE) || !CheckBindings(false))
        return;
    Node& owner = static_cast<Node&>(*m_owner);
    BuildPalette();
    if (!m_active) {
        UpdateBound(owner);
        return;
    }
    // The processor path needs a triangle mesh whose vertices match the bind pose; otherwise
    // this frame only builds the palette.
    if (!owner.IsDerivedFrom(&Triangles::TYPE) || !DeformVertices(static_cast<GeometryNode&>(owner)))
        return;
    UpdateBound(owner);
    owner.WorldTransform().MakeIdentity();
    owner.SetUpdateWorldTransform(false);
}

Object* SkinController::FindByName(const String& name)
{
    if (Object* found = Controller::FindByName(name))
        return found;
    Object* const parts[] = {m_weights.Get(), m_indices.Get(), m_bindVertices.Get(), m_bindNormals.Get(),
                             m_bindTangents.Get()};
    for (Object* part : parts)
        if (Object* found = part ? part->FindByName(name) : nullptr)
            return found;
    return nullptr;
}

void SkinController::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Controller::CollectByType(type, out);
    Object* const parts[] = {m_weights.Get(), m_indices.Get(), m_bindVertices.Get(), m_bindNormals.Get(),
                             m_bindTangents.Get()};
    for (Object* part : parts)
        if (part)
            part->CollectByType(type, out);
}

Result SkinController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteUInt(m_bones.Count()) != kSuccess) {
        Error("Невозможно сохранить количество костей. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    for (const Link<Node>& bone : m_bones) {
        if (stream.WriteObject(bone.Get()) != kSuccess) {
            Error("Невозможно сохранить кость. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    for (const Transform& bind : m_bindTransforms) {
        if (stream.WriteTransform(bind) != kSuccess) {
            Error("Невозможно сохранить кость. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    const struct {
        Object* link;
        const char* message;
    } links[] = {
        {m_weights.Get(), "Невозможно сохранить веса. Имя[%s] ID[%d]"},
        {m_indices.Get(), "Невозможно сохранить индексы. Имя[%s] ID[%d]"},
        {m_bindVertices.Get(), "Невозможно сохранить вершины. Имя[%s] ID[%d]"},
        {m_bindNormals.Get(), "Невозможно сохранить нормали. Имя[%s] ID[%d]"},
        {m_bindTangents.Get(), "Невозможно сохранить тангенсы. Имя[%s] ID[%d]"},
    };
    for (const auto& link : links) {
        if (stream.WriteObject(link.link) != kSuccess) {
            Error(link.message, Name().CStr(), ID());
            return kFailure;
        }
    }
    return kSuccess;
}

Result SkinController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess || count > stream.Remaining() / kMinBoneBytes) {
        Error("Невозможно загрузить количество костей. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    const uint32_t capacity = count > 0 ? count : 1;
    Array<Link<Node>> bones(capacity, 1);
    Array<Transform> binds(capacity, 1);
    Array<Matrix4> palette(capacity, 1);
    for (uint32_t i = 0; i < count; ++i) {
        Link<Node> bone;
        if (stream.ReadLink(bone) != kSuccess || bones.Append(bone) != kSuccess ||
            palette.Append(Matrix4()) != kSuccess) {
            Error("Невозможно загрузить кость. ID[%d]", ID());
            return kFailure;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        Transform bind;
        if (stream.ReadTransform(bind) != kSuccess || binds.Append(bind) != kSuccess) {
            Error("Невозможно загрузить кость. ID[%d]", ID());
            return kFailure;
        }
    }
    Ptr<Vector4Buffer> weights, indices;
    Ptr<Vector3Buffer> vertices, normals, tangents;
    if (stream.ReadObject(weights) != kSuccess) {
        Error("Невозможно загрузить веса. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.ReadObject(indices) != kSuccess) {
        Error("Невозможно загрузить индексы. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.ReadObject(vertices) != kSuccess) {
        Error("Невозможно загрузить вершины. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.ReadObject(normals) != kSuccess) {
        Error("Невозможно загрузить нормали. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.ReadObject(tangents) != kSuccess) {
        Error("Невозможно загрузить тангенсы. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (m_bonePositions && m_bonePositions->Resize(count) != kSuccess)
        return kOutOfMemory;
    m_bones = std::move(bones);
    m_bindTransforms = std::move(binds);
    m_palette = std::move(palette);
    m_weights = weights;
    m_indices = indices;
    m_bindVertices = vertices;
    m_bindNormals = normals;
    m_bindTangents = tangents;
    if (!CheckBindings(true))
        return kFailure;
    return kSuccess;
}

}  // namespace zen
