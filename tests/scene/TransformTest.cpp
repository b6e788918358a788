#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/Matrix4.h"
#include "engine/scene/Transform.h"
#include "support/Near.h"
#include "support/SceneBuilder.h"

namespace zen {
namespace {

constexpr float kPi = 3.14159265f;

using test::AxisAngle;
using test::ExpectNear;

Transform Make(const Vector3& scale, const Quaternion& rotation, const Vector3& translation)
{
    Transform t;
    t.SetScale(scale);
    t.SetRotation(rotation);
    t.SetTranslation(translation);
    return t;
}

TEST(Transform, SettersClearTheFlagsTheyMust)
{
    Transform t;
    EXPECT_TRUE(t.isIdentity);
    EXPECT_TRUE(t.noRotation);
    t.SetTranslation({1, 2, 3});
    EXPECT_FALSE(t.isIdentity);
    EXPECT_TRUE(t.noRotation);
    t.SetRotation(AxisAngle({0, 1, 0}, 1.0f));
    EXPECT_FALSE(t.noRotation);
    t.MakeIdentity();
    EXPECT_TRUE(t.isIdentity);
    EXPECT_TRUE(t.noRotation);
}

TEST(Transform, MapsPointsScaleThenRotateThenTranslate)
{
    const Transform t = Make({2, 1, 1}, AxisAngle({0, 0, 1}, kPi / 2), {10, 0, 0});
    // (1, 0, 0) scaled to (2, 0, 0), turned a quarter about z to (0, 2, 0), moved by 10 in x.
    ExpectNear(t.ApplyToPoint({1, 0, 0}), {10, 2, 0});
    ExpectNear(t.ApplyToVector({1, 0, 0}), {0, 2, 0});
    ExpectNear(t.ApplyInverseToPoint(t.ApplyToPoint({0.5f, -3, 7})), {0.5f, -3, 7});
}

TEST(Transform, IdentityFlagsShortCutEvenWhenComponentsSayOtherwise)
{
    // The flags are the contract: a transform still marked identity maps points unchanged.
    Transform marked;
    marked.translation = {5, 5, 5};
    ExpectNear(marked.ApplyToPoint({1, 2, 3}), {1, 2, 3});
    // noRotation skips the rotation.
    Transform unrotated;
    unrotated.SetTranslation({1, 0, 0});
    unrotated.rotation = AxisAngle({0, 0, 1}, kPi / 2);
    ExpectNear(unrotated.ApplyToPoint({1, 0, 0}), {2, 0, 0});
}

TEST(Transform, ComposeOfIdentityCopiesTheOtherSideWithItsFlags)
{
    Transform identity;
    Transform child;
    child.SetTranslation({1, 2, 3});
    const Transform a = Transform::Compose(identity, child);
    EXPECT_FALSE(a.isIdentity);
    EXPECT_TRUE(a.noRotation);  // Copied from the child.
    ExpectNear(a.translation, {1, 2, 3});
    const Transform b = Transform::Compose(child, identity);
    EXPECT_TRUE(b.noRotation);
    ExpectNear(b.translation, {1, 2, 3});
}

TEST(Transform, ComposeMatchesApplyingChildThenParent)
{
    const Transform parent = Make({2, 2, 2}, AxisAngle({0, 1, 0}, 0.7f), {1, -2, 3});
    const Transform child = Make({1.5f, 1.5f, 1.5f}, AxisAngle({1, 0, 0}, -0.4f), {0.5f, 0.25f, -1});
    const Transform world = Transform::Compose(parent, child);
    EXPECT_FALSE(world.isIdentity);
    EXPECT_FALSE(world.noRotation);
    for (const Vector3& p : {Vector3{0, 0, 0}, Vector3{1, 2, 3}, Vector3{-4, 0.5f, 2}})
        ExpectNear(world.ApplyToPoint(p), parent.ApplyToPoint(child.ApplyToPoint(p)), 1e-4f);
    // With one side unrotated the other's rotation is taken as it is.
    Transform moved;
    moved.SetTranslation({1, 0, 0});
    EXPECT_EQ(Transform::Compose(moved, child).rotation, child.rotation);
    Transform scaled;
    scaled.SetScale({2, 2, 2});
    EXPECT_EQ(Transform::Compose(parent, scaled).rotation, parent.rotation);
}

TEST(Transform, ToMatrixScalesRowsAndPutsTranslationInRowThree)
{
    const Transform t = Make({2, 3, 4}, AxisAngle({0, 0, 1}, kPi / 2), {7, 8, 9});
    const Matrix4 m = t.ToMatrix();
    // Row i is the image of axis i scaled by scale[i].
    EXPECT_NEAR(m.m[0][0], 0, 1e-6f);
    EXPECT_NEAR(m.m[0][1], 2, 1e-6f);
    EXPECT_NEAR(m.m[1][0], -3, 1e-6f);
    EXPECT_NEAR(m.m[2][2], 4, 1e-6f);
    EXPECT_EQ(m.m[3][0], 7);
    EXPECT_EQ(m.m[3][1], 8);
    EXPECT_EQ(m.m[3][2], 9);
    EXPECT_EQ(m.m[3][3], 1);
    EXPECT_EQ(m.m[0][3], 0);
    // The row-vector product agrees with the transform.
    ExpectNear(m.TransformPoint({1, 1, 1}), t.ApplyToPoint({1, 1, 1}), 1e-5f);
}

TEST(Matrix4, ProductAppliesLeftFirstAndInverseUndoesIt)
{
    const Matrix4 a = Make({2, 1, 0.5f}, AxisAngle({1, 1, 0}, 0.3f), {1, 2, 3}).ToMatrix();
    const Matrix4 b = Make({1, 3, 1}, AxisAngle({0, 0, 1}, -1.2f), {-4, 0, 1}).ToMatrix();
    const Vector3 p{0.3f, -0.7f, 2.0f};
    ExpectNear((a * b).TransformPoint(p), b.TransformPoint(a.TransformPoint(p)), 1e-4f);
    Matrix4 inverse;
    ASSERT_TRUE((a * b).Inverse(inverse));
    const Matrix4 product = (a * b) * inverse;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(product.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f) << i << "," << j;
}

TEST(Matrix4, SingularOrNonFiniteMatricesHaveNoInverse)
{
    Matrix4 flat = Make({1, 0, 1}, Quaternion{}, {}).ToMatrix();
    Matrix4 out;
    out.m[0][0] = 42;
    EXPECT_FALSE(flat.Inverse(out));
    EXPECT_EQ(out.m[0][0], 42);  // Untouched.
    Matrix4 broken;
    broken.m[1][1] = std::nanf("");
    EXPECT_FALSE(broken.Inverse(out));
}

TEST(Transform, LookRotationPointsForwardAlongTheDirectionWithUpKeptUp)
{
    Quaternion q;
    ASSERT_TRUE(Transform::LookRotation({3, 0, 4}, q));
    ExpectNear(q.AxisZ(), {0.6f, 0, 0.8f});
    ExpectNear(q.AxisY(), {0, 1, 0});
    ExpectNear(q.AxisX(), {0.8f, 0, -0.6f});  // up x forward.
    // Straight down: up x forward vanishes; right falls back to +x and nothing is NaN.
    ASSERT_TRUE(Transform::LookRotation({0, -2, 0}, q));
    ExpectNear(q.AxisZ(), {0, -1, 0});
    ExpectNear(q.AxisX(), {1, 0, 0});
    ExpectNear(q.AxisY(), {0, 0, 1});
    // No direction at all.
    Quaternion untouched{1, 0, 0, 0};
    EXPECT_FALSE(Transform::LookRotation({0, 0, 0}, untouched));
    EXPECT_EQ(untouched, (Quaternion{1, 0, 0, 0}));
}

TEST(Quaternion, AxesRoundTripThroughFromAxesInEveryBranch)
{
    // Rotations chosen to reach each branch of the matrix-to-quaternion conversion.
    for (const Quaternion& q : {AxisAngle({0, 1, 0}, 0.5f), AxisAngle({1, 0, 0}, 3.0f), AxisAngle({0, 1, 0}, 3.0f),
                                AxisAngle({0, 0, 1}, 3.0f), AxisAngle({1, 2, 3}, 2.0f)}) {
        const Quaternion back = Quaternion::FromAxes(q.AxisX(), q.AxisY(), q.AxisZ());
        ExpectNear(back.AxisX(), q.AxisX());
        ExpectNear(back.AxisY(), q.AxisY());
        ExpectNear(back.AxisZ(), q.AxisZ());
    }
}

}  // namespace
}  // namespace zen
