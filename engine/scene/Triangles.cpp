#include "engine/scene/Triangles.h"

#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Triangles, GeometryNode, kStartupCoreClasses)

namespace {

bool IsFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Unit length, or (0, 0, 0) for a vector too short to have a direction (or not finite).
void NormalizeAll(Vector3* vectors, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        const Vector3 unit = vectors[i].Normalized();
        vectors[i] = IsFinite(unit) ? unit : Vector3{};
    }
}

// A zeroed buffer of `count` vectors; null when it cannot be had.
Vector3Buffer* NewVectors(uint32_t count)
{
    auto* buffer = new (std::nothrow) Vector3Buffer(count);
    if (buffer && count > 0 && !buffer->Data()) {
        delete buffer;
        return nullptr;
    }
    return buffer;
}

}  // namespace

void Triangles::GenerateNormals()
{
    IntBuffer* indices = Indices();
    Vector3Buffer* vertices = Vertices();
    if (!indices || !vertices)
        return;
    const uint32_t vertexCount = vertices->GetCount();
    Ptr<Vector3Buffer> normals = NewVectors(vertexCount);
    if (!normals) {
        Error("Недостаточно памяти для создания буффера нормалей. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return;
    }
    normals->SetDirty();
    const Vector3* p = vertices->Data();
    Vector3* n = normals->Data();
    const int32_t* index = indices->Data();
    const uint32_t triangles = indices->GetCount() / 3;
    for (uint32_t t = 0; t < triangles; ++t, index += 3) {
        const uint32_t i0 = static_cast<uint32_t>(index[0]);
        const uint32_t i1 = static_cast<uint32_t>(index[1]);
        const uint32_t i2 = static_cast<uint32_t>(index[2]);
        if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount)
            continue;
        const Vector3 face = (p[i1] - p[i0]).Cross(p[i2] - p[i0]);
        n[i0] += face;
        n[i1] += face;
        n[i2] += face;
    }
    NormalizeAll(n, vertexCount);
    SetNormals(normals.Get());
}

void Triangles::GenerateTangents(int32_t texCoordSet)
{
    IntBuffer* indices = Indices();
    Vector3Buffer* vertices = Vertices();
    Buffer* coords = texCoordSet >= 0 ? TexCoords(static_cast<uint32_t>(texCoordSet)) : nullptr;
    if (!indices || !vertices || !coords)
        return;
    uint32_t stride = 0;  // Floats per element; u and v are the first two.
    if (coords->IsExactly(&Vector2Buffer::TYPE))
        stride = 2;
    else if (coords->IsExactly(&Vector3Buffer::TYPE))
        stride = 3;
    else if (coords->IsExactly(&Vector4Buffer::TYPE))
        stride = 4;
    else
        return;  // One component: no v.
    const uint32_t vertexCount = vertices->GetCount();
    Ptr<Vector3Buffer> tangents = NewVectors(vertexCount);
    if (!tangents) {
        Error("Недостаточно памяти для создания буффера тангенсов. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return;
    }
    tangents->SetDirty();
    const Vector3* p = vertices->Data();
    const float* uv = static_cast<const float*>(static_cast<const Buffer*>(coords)->GetData());
    const uint32_t coordCount = coords->GetCount();
    Vector3* out = tangents->Data();
    const int32_t* index = indices->Data();
    const uint32_t triangles = indices->GetCount() / 3;
    for (uint32_t t = 0; t < triangles; ++t, index += 3) {
        const uint32_t i0 = static_cast<uint32_t>(index[0]);
        const uint32_t i1 = static_cast<uint32_t>(index[1]);
        const uint32_t i2 = static_cast<uint32_t>(index[2]);
        if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount || i0 >= coordCount || i1 >= coordCount ||
            i2 >= coordCount)
            continue;
        const float* t0 = uv + static_cast<size_t>(i0) * stride;
        const float* t1 = uv + static_cast<size_t>(i1) * stride;
        const float* t2 = uv + static_cast<size_t>(i2) * stride;
        const float du1 = t1[0] - t0[0], dv1 = t1[1] - t0[1];
        const float du2 = t2[0] - t0[0], dv2 = t2[1] - t0[1];
        // Per axis k, with a = (dp1.k, du1, dv1) and b = (dp2.k, du2, dv2): c = a x b and the
        // tangent's k is -c.y / c.x. c.x is the triangle's u-v determinant, the same for every
        // axis; at 0 the mapping has no area and the tangent no direction.
        const float cx = du1 * dv2 - dv1 * du2;
        if (cx == 0)
            continue;
        const Vector3 dp1 = p[i1] - p[i0];
        const Vector3 dp2 = p[i2] - p[i0];
        const Vector3 tangent{-(dv1 * dp2.x - dp1.x * dv2) / cx, -(dv1 * dp2.y - dp1.y * dv2) / cx,
                              -(dv1 * dp2.z - dp1.z * dv2) / cx};
        if (!IsFinite(tangent))
            continue;
        out[i0] += tangent;
        out[i1] += tangent;
        out[i2] += tangent;
    }
    NormalizeAll(out, vertexCount);
    SetTangents(tangents.Get());
}

}  // namespace zen
