#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "engine/scene/IntBuffer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/EngineScope.h"
#include "tools/model/Extrusion.h"
#include "tools/model/HeightField.h"
#include "tools/model/Lathe.h"
#include "tools/model/Primitives.h"

namespace zen::model {
namespace {

const Vector3& Position(const MeshBuilder& mesh, size_t index)
{
    return mesh.Vertices()[static_cast<size_t>(mesh.Indices()[index])].position;
}

// Signed volume by the divergence theorem: positive when every face is wound so that
// (p1 - p0) x (p2 - p0) points out of the solid.
double SignedVolume(const MeshBuilder& mesh)
{
    double sum = 0;
    for (size_t i = 0; i + 2 < mesh.Indices().size(); i += 3) {
        const Vector3 a = Position(mesh, i), b = Position(mesh, i + 1), c = Position(mesh, i + 2);
        sum += static_cast<double>(a.Dot(b.Cross(c)));
    }
    return sum / 6.0;
}

// Every edge (by position, not by vertex index) is used once in each direction: the surface is
// closed and consistently wound.
bool ClosedAndConsistent(const MeshBuilder& mesh)
{
    using Key = std::tuple<long, long, long>;
    auto key = [](const Vector3& p) {
        return Key{std::lround(p.x * 1e4), std::lround(p.y * 1e4), std::lround(p.z * 1e4)};
    };
    std::map<std::pair<Key, Key>, int> directed;
    for (size_t i = 0; i + 2 < mesh.Indices().size(); i += 3) {
        for (size_t k = 0; k < 3; ++k) {
            const Key from = key(Position(mesh, i + k));
            const Key to = key(Position(mesh, i + (k + 1) % 3));
            if (from != to)
                ++directed[{from, to}];
        }
    }
    for (const auto& [edge, count] : directed) {
        const auto reverse = directed.find({edge.second, edge.first});
        if (count != 1 || reverse == directed.end() || reverse->second != 1)
            return false;
    }
    return true;
}

// The share of non-degenerate triangles whose face normal agrees with their vertex normals.
double NormalAgreement(const MeshBuilder& mesh)
{
    int agree = 0, total = 0;
    for (size_t i = 0; i + 2 < mesh.Indices().size(); i += 3) {
        const Vector3 a = Position(mesh, i), b = Position(mesh, i + 1), c = Position(mesh, i + 2);
        const Vector3 face = (b - a).Cross(c - a);
        if (face.Length() < 1e-7f)
            continue;
        ++total;
        bool ok = true;
        for (size_t k = 0; k < 3; ++k)
            ok = ok && face.Dot(mesh.Vertices()[static_cast<size_t>(mesh.Indices()[i + k])].normal) > 0;
        agree += ok ? 1 : 0;
    }
    return total == 0 ? 0 : static_cast<double>(agree) / total;
}

TEST(MeshBuilder, ClosedSolidsAreWoundOutwardWithTheirVolume)
{
    constexpr double kPi = 3.14159265358979;
    const MeshBuilder octagonPrism = Extrusion::Extrude(
        {{-1, 2}, {1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}}, 3.0f);
    struct Case {
        const char* name;
        MeshBuilder mesh;
        double volume;
        double tolerance;
    } cases[] = {
        {"box", Primitives::Box({2, 3, 4}), 24.0, 1e-4},
        {"sphere", Primitives::Sphere(2, 48, 24), 4.0 / 3.0 * kPi * 8, 0.02 * 4.0 / 3.0 * kPi * 8},
        {"triangular prism", Extrusion::Extrude({{0, 1}, {1, 0}, {-1, 0}}, 2.0f), 2.0, 1e-4},
        // Area of the octagon: 4 × 4 square less four corner triangles of area 0.5.
        {"octagonal prism", octagonPrism, (16.0 - 2.0) * 3.0, 1e-3},
        {"capped lathe (a cone on a drum)",
         Lathe::Turn({{0, 0, true}, {1, 0, true}, {1, 1, true}, {0, 2, true}}, 256),
         kPi * 1 * 1 + kPi / 3.0, 0.002 * (kPi + kPi / 3.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(ClosedAndConsistent(c.mesh));
        EXPECT_NEAR(SignedVolume(c.mesh), c.volume, c.tolerance);
        EXPECT_EQ(NormalAgreement(c.mesh), 1.0);
    }
}

TEST(MeshBuilder, MirroringKeepsSolidsOutwardAndAppendOffsetsIndices)
{
    MeshBuilder box = Primitives::Box({1, 1, 1});
    Transform mirror;
    mirror.SetScale({-2, 1, 1});
    mirror.SetTranslation({5, 0, 0});
    MeshBuilder both = box;
    both.Append(box, mirror);
    EXPECT_EQ(both.VertexCount(), 2 * box.VertexCount());
    EXPECT_NEAR(SignedVolume(both), 1.0 + 2.0, 1e-4);
    EXPECT_EQ(NormalAgreement(both), 1.0);
    for (int32_t index : both.Indices())
        ASSERT_LT(static_cast<uint32_t>(index), both.VertexCount());

    MeshBuilder turned = box;
    Transform turn;
    Quaternion q;
    ASSERT_TRUE(Transform::LookRotation({1, 0, 1}, q));
    turn.SetRotation(q);
    turned.Apply(turn);
    EXPECT_NEAR(SignedVolume(turned), 1.0, 1e-4);
    EXPECT_EQ(NormalAgreement(turned), 1.0);

    turned.Flip();
    EXPECT_NEAR(SignedVolume(turned), -1.0, 1e-4);
    EXPECT_EQ(NormalAgreement(turned), 1.0);
}

TEST(MeshBuilder, LatheCreasesSplitTheNormalAndTexturesWrapUpright)
{
    // A drum with a sharp rim: the wall's normals are horizontal, the lid's vertical.
    const MeshBuilder drum = Lathe::Turn({{1, 0, false}, {1, 1, true}, {0, 1, false}}, 8, 2.0f);
    int wall = 0, lid = 0;
    for (const MeshBuilder::Vertex& v : drum.Vertices()) {
        if (std::abs(v.normal.y) < 1e-5f && std::abs(v.normal.Length() - 1) < 1e-5f)
            ++wall;
        if (std::abs(v.normal.y - 1) < 1e-5f)
            ++lid;
        EXPECT_GE(v.uv.x, 0.0f);
        EXPECT_LE(v.uv.x, 2.0f);
    }
    EXPECT_EQ(wall, 2 * 9);  // The bottom ring and the rim's wall side, seam doubled.
    EXPECT_EQ(lid, 2 * 9);   // The rim's lid side and the centre.
    // v runs from the top of the profile (the lid's centre, 0) to its bottom (1).
    const float total = 2.0f;
    for (const MeshBuilder::Vertex& v : drum.Vertices()) {
        const float expected = v.position.y == 0 ? 1.0f : (std::abs(v.position.x) + std::abs(v.position.z) < 1e-6f ? 0.0f : 1.0f / total);
        EXPECT_NEAR(v.uv.y, expected, 1e-5f) << v.position.x << " " << v.position.y << " " << v.position.z;
    }
    EXPECT_TRUE(Lathe::Turn({{1, 0}}, 8).Empty());
}

TEST(MeshBuilder, HeightFieldNormalsFollowTheSlope)
{
    const HeightField::Function ramp = [](float x, float) { return 0.5f * x; };
    const MeshBuilder ground = HeightField::Build({-2, -2, 2, 2, 4, 4}, ramp, 0.25f);
    EXPECT_EQ(ground.VertexCount(), 25u);
    EXPECT_EQ(ground.TriangleCount(), 32u);
    const Vector3 expected = Vector3{-0.5f, 1, 0}.Normalized();
    for (const MeshBuilder::Vertex& v : ground.Vertices()) {
        EXPECT_NEAR(v.position.y, 0.5f * v.position.x, 1e-6f);
        EXPECT_NEAR(v.normal.Dot(expected), 1.0f, 1e-5f);
    }
    EXPECT_EQ(NormalAgreement(ground), 1.0);
    // Up-facing discs and planes, and a disc turned down.
    EXPECT_EQ(NormalAgreement(Primitives::Disc(1, 12)), 1.0);
    EXPECT_EQ(NormalAgreement(Primitives::Disc(1, 12, true)), 1.0);
    EXPECT_EQ(NormalAgreement(Primitives::Plane(4, 4, 3, 3)), 1.0);
    EXPECT_EQ(NormalAgreement(Primitives::Quad(2, 1)), 1.0);
}

TEST(MeshBuilder, BuildMakesTheEngineBuffersAndBound)
{
    test::EngineScope engine;
    const MeshBuilder sphere = Primitives::Sphere(3, 16, 8);
    Ptr<Triangles> node = sphere.Build("Ball", true);
    ASSERT_NE(node.Get(), nullptr);
    EXPECT_EQ(node->Name().Std(), "Ball");
    auto* vertices = static_cast<Vector3Buffer*>(node->Vertices());
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(vertices->GetCount(), sphere.VertexCount());
    ASSERT_NE(node->Indices(), nullptr);
    EXPECT_EQ(node->Indices()->GetCount(), sphere.TriangleCount() * 3);
    ASSERT_NE(node->Normals(), nullptr);
    ASSERT_NE(node->Tangents(), nullptr);
    ASSERT_NE(node->TexCoords(0), nullptr);
    const auto* bound = dynamic_cast<const SphereBoundingVolume*>(node->LocalBound());
    ASSERT_NE(bound, nullptr);
    for (const MeshBuilder::Vertex& v : sphere.Vertices())
        EXPECT_LE((v.position - bound->GetCenter()).Length(), bound->Radius() * 1.0001f + 1e-5f);
    EXPECT_EQ(MeshBuilder().Build("Nothing").Get(), nullptr);
}

}  // namespace
}  // namespace zen::model
