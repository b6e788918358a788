#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/core/Ptr.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "support/LogCapture.h"
#include "support/RecordingFixture.h"
#include "support/SceneBuilder.h"
#include "support/TestClasses.h"
#include "support/Near.h"

namespace zen {
namespace {

using test::ExpectNear;

bool AllFinite(const Vector3Buffer* buffer)
{
    for (uint32_t i = 0; i < buffer->GetCount(); ++i) {
        const Vector3& v = buffer->Data()[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return false;
    }
    return true;
}

TEST(Buffers, ElementSizesAndOwnership)
{
    EXPECT_EQ(Vector2Buffer(3).GetDataSize(), 24u);
    EXPECT_EQ(Vector3Buffer(3).GetDataSize(), 36u);
    EXPECT_EQ(Vector4Buffer(3).GetDataSize(), 48u);
    EXPECT_EQ(FloatBuffer(3).GetDataSize(), 12u);
    EXPECT_EQ(IntBuffer(3).GetDataSize(), 12u);
    EXPECT_EQ(ColorBuffer(3).GetDataSize(), 48u);
    Vector3Buffer zeroed(2);
    EXPECT_EQ(zeroed.Data()[1], (Vector3{0, 0, 0}));
    EXPECT_TRUE(zeroed.IsDirty());
    Vector3 memory[2] = {{1, 2, 3}, {4, 5, 6}};
    {
        Vector3Buffer borrowed(2, memory);
        EXPECT_FALSE(borrowed.OwnsData());
        EXPECT_EQ(borrowed.Data(), memory);
        ASSERT_EQ(borrowed.Resize(5), kSuccess);  // Now its own block; the creator's is left alone.
        EXPECT_TRUE(borrowed.OwnsData());
        EXPECT_EQ(borrowed.GetCount(), 5u);
    }
    EXPECT_EQ(memory[1], (Vector3{4, 5, 6}));
}

TEST(Buffers, AnAllocationThatCannotBeMadeLeavesAnEmptyBuffer)
{
    test::LogCapture log;
    Vector4Buffer huge(0x20000000u);  // 8 GiB: past the 32-bit byte size.
    EXPECT_EQ(huge.GetCount(), 0u);
    EXPECT_EQ(huge.GetData(), nullptr);
    EXPECT_TRUE(log.Contains("ERROR. Недостаточно памяти для создания массива данных буффера. ID[" +
                             std::to_string(huge.ID()) + "]."));
}

using BoundBuffers = test::RecordingFixture;

TEST_F(BoundBuffers, ABoundBufferHandsItsDeviceCopyBackWhenItDies)
{
    {
        Ptr<Vector3Buffer> unbound = new Vector3Buffer(1);
        Ptr<IntBuffer> bound = new IntBuffer(3);
        const uint64_t handle = 0x1122334455667788u;
        bound->Bind(8, &handle);  // The current renderer.
        EXPECT_EQ(bound->BoundRenderer(), renderer);
        uint64_t back = 0;
        bound->ReadHandle(8, &back);
        EXPECT_EQ(back, handle);
        bound->SetDirty(false);
        renderer->ClearJournal();
    }
    // Only the bound one is released, once.
    ASSERT_EQ(renderer->Journal().size(), 1u);
    EXPECT_EQ(renderer->Journal()[0].rfind("ReleaseBuffer #", 0), 0u) << renderer->Journal()[0];
    // Reset forgets the device copy: nothing to release afterwards, and dirty again.
    renderer->ClearJournal();
    {
        Ptr<FloatBuffer> reset = new FloatBuffer(1);
        reset->Bind(renderer, 4, "abcd");
        reset->SetDirty(false);
        reset->Reset();
        EXPECT_TRUE(reset->IsDirty());
        EXPECT_EQ(reset->BoundRenderer(), nullptr);
    }
    EXPECT_EQ(renderer->Journal().size(), 0u);
}

TEST(Geometry, SettersDoNotRecomputeTheBoundButUpdateGeometryDoes)
{
    Ptr<Triangles> quad = test::MakeQuad("Quad", 1);
    auto* bound = static_cast<SphereBoundingVolume*>(quad->LocalBound());
    EXPECT_FLOAT_EQ(bound->Radius(), std::sqrt(2.0f));
    quad->SetVertices(test::MakeVector3Buffer({{10, 0, 0}, {12, 0, 0}}).Get());
    EXPECT_FLOAT_EQ(bound->Radius(), std::sqrt(2.0f));
    quad->UpdateGeometry(false, false);
    EXPECT_EQ(bound->GetCenter(), (Vector3{11, 0, 0}));
    EXPECT_FLOAT_EQ(bound->Radius(), 1);
    // The world bound follows the world transform.
    test::Place(*quad, {0, 5, 0});
    quad->LocalTransform().SetScale({3, 1, 1});
    quad->UpdateState(0, true);
    EXPECT_EQ(quad->WorldBound()->GetCenter(), (Vector3{33, 5, 0}));
}

TEST(Geometry, TexCoordSetsTakeOnlyCoordinateBuffers)
{
    Ptr<Points> points = new Points();
    EXPECT_EQ(points->GetPrimitiveType(), GeometryNode::kPoints);
    EXPECT_EQ(points->SetTexCoords(0, test::MakeFloatBuffer({1}).Get()), kSuccess);
    EXPECT_EQ(points->SetTexCoords(7, test::MakeVector4Buffer({{}}).Get()), kSuccess);
    EXPECT_EQ(points->SetTexCoords(1, test::MakeColorBuffer({{}}).Get()), kInvalidArgument);
    EXPECT_EQ(points->SetTexCoords(2, test::MakeIntBuffer({1}).Get()), kInvalidArgument);
    EXPECT_EQ(points->SetTexCoords(8, test::MakeFloatBuffer({1}).Get()), kInvalidArgument);
    EXPECT_EQ(points->TexCoords(1), nullptr);
    Ptr<test::Thing> notAnEffect = new test::Thing();
    EXPECT_EQ(points->SetEffect(notAnEffect.Get()), kInvalidArgument);
    EXPECT_EQ(points->GetEffect(), nullptr);
    // No effect: updated and culled, never drawn (nothing to observe but that it is harmless).
    points->UpdateState(0, true);
    points->DrawIfVisible(nullptr);
    EXPECT_EQ(Lines().GetPrimitiveType(), GeometryNode::kLines);
    EXPECT_EQ(StripLines().GetPrimitiveType(), GeometryNode::kStripLines);
}

TEST(Normals, LargerFacesWeighMoreAndDegenerateOnesAddNothing)
{
    Ptr<Triangles> mesh = new Triangles();
    // Vertex 0 is shared by a small face in z = 0 (normal +z) and a large face in x = 0
    // (normal +x); vertices 5, 6, 7 form a degenerate triangle and nothing else.
    mesh->SetVertices(test::MakeVector3Buffer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 4, 0}, {0, 0, 4},
                                               {1, 1, 1}, {2, 2, 2}, {3, 3, 3}})
                          .Get());
    mesh->SetIndices(test::MakeIntBuffer({0, 1, 2, 0, 3, 4, 5, 6, 7, 1, 2}).Get());  // A stray pair at the end.
    Ptr<Vector3Buffer> old = test::MakeVector3Buffer({});
    mesh->SetNormals(old.Get());
    mesh->GenerateNormals();
    Vector3Buffer* normals = mesh->Normals();
    ASSERT_NE(normals, old.Get());
    ASSERT_EQ(normals->GetCount(), 8u);
    EXPECT_TRUE(normals->IsDirty());
    ExpectNear(normals->Data()[1], {0, 0, 1});
    ExpectNear(normals->Data()[3], {1, 0, 0});
    // (0, 0, 1) + (16, 0, 0), normalised: the large face dominates.
    ExpectNear(normals->Data()[0], Vector3{16, 0, 1}.Normalized());
    ExpectNear(normals->Data()[6], {0, 0, 0});
}

TEST(Normals, IndicesOutsideTheVerticesAreSkipped)
{
    Ptr<Triangles> mesh = new Triangles();
    mesh->SetVertices(test::MakeVector3Buffer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}).Get());
    mesh->SetIndices(test::MakeIntBuffer({0, 1, 2, 0, 1, 3, -1, 0, 1}).Get());
    mesh->GenerateNormals();
    ExpectNear(mesh->Normals()->Data()[0], {0, 0, 1});
    // Missing inputs: nothing happens.
    Ptr<Triangles> bare = new Triangles();
    bare->GenerateNormals();
    bare->GenerateTangents(0);
    EXPECT_EQ(bare->Normals(), nullptr);
    EXPECT_EQ(bare->Tangents(), nullptr);
}

TEST(Tangents, FollowTheDirectionOfGrowingU)
{
    Ptr<Triangles> quad = test::MakeQuad("Quad", 1);  // u grows along +x.
    ASSERT_NE(quad->Tangents(), nullptr);
    for (uint32_t i = 0; i < 4; ++i)
        ExpectNear(quad->Tangents()->Data()[i], {1, 0, 0});
    // Texture coordinates rotated a quarter: u now grows along +y. A Vector4Buffer set works
    // the same (only u and v are read).
    (void)quad->SetTexCoords(3, test::MakeVector4Buffer({{0, 1, 9, 9}, {0, 0, 9, 9}, {1, 0, 9, 9}, {1, 1, 9, 9}}).Get());
    quad->GenerateTangents(3);
    for (uint32_t i = 0; i < 4; ++i)
        ExpectNear(quad->Tangents()->Data()[i], {0, 1, 0});
}

TEST(Tangents, OneComponentSetsAndMissingSetsChangeNothing)
{
    Ptr<Triangles> quad = test::MakeQuad("Quad", 1);
    Vector3Buffer* before = quad->Tangents();
    (void)quad->SetTexCoords(1, test::MakeFloatBuffer({0, 1, 2, 3}).Get());
    quad->GenerateTangents(1);
    quad->GenerateTangents(5);
    quad->GenerateTangents(-1);
    quad->GenerateTangents(8);
    EXPECT_EQ(quad->Tangents(), before);
}

TEST(Tangents, AMappingWithoutAreaGivesZeroNotNaN)
{
    Ptr<Triangles> mesh = new Triangles();
    mesh->SetVertices(test::MakeVector3Buffer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}}).Get());
    // Every vertex at the same u-v: the determinant is 0 for the one triangle.
    (void)mesh->SetTexCoords(0, test::MakeVector2Buffer({{0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0, 0}}).Get());
    mesh->SetIndices(test::MakeIntBuffer({0, 1, 2}).Get());
    mesh->GenerateTangents(0);
    ASSERT_NE(mesh->Tangents(), nullptr);
    EXPECT_TRUE(AllFinite(mesh->Tangents()));
    for (uint32_t i = 0; i < 4; ++i)
        ExpectNear(mesh->Tangents()->Data()[i], {0, 0, 0});
    // A degenerate triangle next to a good one: the good one decides the shared vertex.
    mesh->SetTexCoords(0, test::MakeVector2Buffer({{0, 0}, {1, 0}, {0, 1}, {0, 0}}).Get());
    mesh->SetIndices(test::MakeIntBuffer({0, 1, 2, 0, 3, 3}).Get());
    mesh->GenerateTangents(0);
    ExpectNear(mesh->Tangents()->Data()[0], {1, 0, 0});
    EXPECT_TRUE(AllFinite(mesh->Tangents()));
    // Non-finite positions cannot poison the buffer either.
    const float inf = std::numeric_limits<float>::infinity();
    mesh->SetVertices(test::MakeVector3Buffer({{0, 0, 0}, {inf, 0, 0}, {0, 1, 0}, {0, 0, 0}}).Get());
    mesh->GenerateTangents(0);
    mesh->GenerateNormals();
    EXPECT_TRUE(AllFinite(mesh->Tangents()));
    EXPECT_TRUE(AllFinite(mesh->Normals()));
}

}  // namespace
}  // namespace zen
