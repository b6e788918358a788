#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/core/Ptr.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/LogCapture.h"
#include "support/SceneBuilder.h"

namespace zen {
namespace {

using Sphere = SphereBoundingVolume;

Ptr<Sphere> MakeSphere(const Vector3& center, float radius)
{
    return Ptr<Sphere>(new Sphere(center, radius));
}

TEST(SphereBound, FromVerticesIsTheBoxCentreReachingTheFarthestPoint)
{
    Ptr<Sphere> sphere = new Sphere();
    auto points = test::MakeVector3Buffer({{0, 0, 0}, {4, 0, 0}, {0, 2, 0}, {1, 1, 6}});
    ASSERT_EQ(sphere->ComputeFromVertices(points.Get()), kSuccess);
    EXPECT_EQ(sphere->GetCenter(), (Vector3{2, 1, 3}));
    // Farthest from (2, 1, 3): (0, 0, 0) and (4, 0, 0) at sqrt(4 + 1 + 9) -- not a minimal sphere.
    EXPECT_FLOAT_EQ(sphere->Radius(), std::sqrt(14.0f));
}

TEST(SphereBound, PackedBoxAgreesWithAPlainOneOnRandomPoints)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-1000, 1000);
    for (uint32_t count : {1u, 2u, 3u, 5u, 64u, 1001u}) {
        Ptr<Vector3Buffer> points = new Vector3Buffer(count);
        Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
        for (uint32_t i = 0; i < count; ++i) {
            const Vector3 p{coordinate(random), coordinate(random), coordinate(random)};
            points->Data()[i] = p;
            low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
            high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
        }
        Sphere sphere;
        ASSERT_EQ(sphere.ComputeFromVertices(points.Get()), kSuccess);
        EXPECT_EQ(sphere.GetCenter(), (low + high) * 0.5f) << count;
    }
}

TEST(SphereBound, NullAndEmptyArgumentsWarnAndReturnInvalidArgument)
{
    Sphere sphere({1, 2, 3}, 4);
    sphere.SetName(String("S"));
    test::LogCapture log;
    Ptr<Vector3Buffer> empty = new Vector3Buffer();
    EXPECT_EQ(sphere.ComputeFromVertices(nullptr), kInvalidArgument);
    EXPECT_EQ(sphere.ComputeFromVertices(empty.Get()), kInvalidArgument);
    EXPECT_EQ(sphere.CopyFrom(nullptr), kInvalidArgument);
    EXPECT_EQ(sphere.Merge(nullptr), kInvalidArgument);
    EXPECT_EQ(sphere.TransformTo(Transform{}, nullptr), kInvalidArgument);
    EXPECT_FALSE(sphere.IntersectsVolume(nullptr));
    const std::string id = std::to_string(sphere.ID());
    EXPECT_TRUE(log.Contains("WARNING. Указатель на вершины равен 0 при генерации. Имя[S] ID[" + id + "]."));
    EXPECT_TRUE(log.Contains("WARNING. Нет вершин в буффере при генерации объёма. Имя[S] ID[" + id + "]."));
    EXPECT_TRUE(log.Contains("WARNING. Указатель на объём равен 0 при генерации. Имя[S] ID[" + id + "]."));
    EXPECT_TRUE(log.Contains("WARNING. Указатель на объём равен 0 при слиянии. Имя[S] ID[" + id + "]."));
    EXPECT_TRUE(log.Contains("WARNING. Указатель на объём равен 0 при трансформации. Имя[S] ID[" + id + "]."));
    EXPECT_EQ(sphere.GetCenter(), (Vector3{1, 2, 3}));  // Unchanged throughout.
    EXPECT_EQ(sphere.Radius(), 4);
}

TEST(SphereBound, MergeCases)
{
    const struct {
        const char* what;
        Vector3 centre;
        float radius;
        Vector3 otherCentre;
        float otherRadius;
        Vector3 mergedCentre;
        float mergedRadius;
    } cases[] = {
        {"disjoint: around both, -1 .. 12", {0, 0, 0}, 1, {10, 0, 0}, 2, {5.5f, 0, 0}, 6.5f},
        {"the other wholly inside: unchanged", {0, 0, 0}, 10, {2, 0, 0}, 3, {0, 0, 0}, 10},
        {"the other enclosing: copied", {1, 1, 1}, 1, {0, 0, 0}, 5, {0, 0, 0}, 5},
        {"equal: copied, no division by the zero distance", {3, 3, 3}, 2, {3, 3, 3}, 2, {3, 3, 3}, 2},
        {"touching inside (dr^2 == |d|^2): containment", {0, 0, 0}, 5, {3, 0, 0}, 2, {0, 0, 0}, 5},
    };
    for (const auto& c : cases) {
        auto sphere = MakeSphere(c.centre, c.radius);
        ASSERT_EQ(sphere->Merge(MakeSphere(c.otherCentre, c.otherRadius).Get()), kSuccess) << c.what;
        EXPECT_EQ(sphere->GetCenter(), c.mergedCentre) << c.what;
        EXPECT_FLOAT_EQ(sphere->Radius(), c.mergedRadius) << c.what;
    }
}

TEST(SphereBound, TransformScalesTheRadiusByTheLargestScale)
{
    const auto sphere = MakeSphere({1, 0, 0}, 1);
    Sphere out;
    Transform t;
    t.SetScale({2, 1, 1});
    t.SetTranslation({0, 5, 0});
    ASSERT_EQ(sphere->TransformTo(t, &out), kSuccess);
    EXPECT_EQ(out.GetCenter(), (Vector3{2, 5, 0}));
    EXPECT_EQ(out.Radius(), 2);
    // A stretch along y must grow the bound too, or stretched geometry pokes out of it and is
    // culled while on screen.
    t.SetScale({1, 2, 1});
    sphere->TransformTo(t, &out);
    EXPECT_EQ(out.Radius(), 2);
    t.SetScale({0.5f, 0.5f, -3});
    sphere->TransformTo(t, &out);
    EXPECT_EQ(out.Radius(), 3);
    // Into itself.
    auto self = MakeSphere({1, 1, 1}, 1);
    t.SetScale({1, 1, 1});
    ASSERT_EQ(self->TransformTo(t, self.Get()), kSuccess);
    EXPECT_EQ(self->GetCenter(), (Vector3{1, 6, 1}));
}

TEST(SphereBound, WhichSideCountsTouchingAsOutsideOrWhollyInside)
{
    const Plane plane{{0, 0, 1}, 10};  // z = 10, inside towards +z.
    EXPECT_EQ(MakeSphere({0, 0, 8}, 2)->WhichSide(plane), -1);   // s = -2 = -radius: culled.
    EXPECT_EQ(MakeSphere({0, 0, 12}, 2)->WhichSide(plane), 1);   // s = +radius: wholly inside.
    EXPECT_EQ(MakeSphere({0, 0, 11.9f}, 2)->WhichSide(plane), 0);
    EXPECT_EQ(MakeSphere({0, 0, 10}, 0)->WhichSide(plane), -1);  // A point on the plane.
}

TEST(SphereBound, RaysAndVolumes)
{
    const auto sphere = MakeSphere({0, 0, 10}, 2);
    float tFar = 0, tNear = 0;
    ASSERT_TRUE(sphere->IntersectsRay({{0, 0, 0}, {0, 0, 1}}, tFar, tNear));
    EXPECT_FLOAT_EQ(tNear, 8);
    EXPECT_FLOAT_EQ(tFar, 12);
    EXPECT_FALSE(sphere->IntersectsRay({{0, 3, 0}, {0, 0, 1}}, tFar, tNear));
    EXPECT_TRUE(sphere->IntersectsVolume(MakeSphere({0, 0, 5}, 3).Get()));   // Touching.
    EXPECT_FALSE(sphere->IntersectsVolume(MakeSphere({0, 0, 5}, 2.9f).Get()));
}

}  // namespace
}  // namespace zen
