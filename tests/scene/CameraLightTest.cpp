#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>

#include "engine/core/Ptr.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "support/SceneBuilder.h"
#include "support/Near.h"

namespace zen {
namespace {

using test::ExpectNear;

TEST(Camera, AspectDividesTheHorizontalScale)
{
    Ptr<Camera> camera = new Camera();
    EXPECT_FLOAT_EQ(camera->Fov(), 0.7853982f);
    EXPECT_FLOAT_EQ(camera->Near(), 0.1f);
    EXPECT_FLOAT_EQ(camera->Far(), 10000.0f);
    camera->UpdateMatrices(2.0f);  // A viewport twice as wide as high.
    const Matrix4& p = camera->Projection();
    const float yScale = 1.0f / std::tan(0.7853982f / 2);
    EXPECT_FLOAT_EQ(p.m[1][1], yScale);
    EXPECT_FLOAT_EQ(p.m[0][0], yScale / 2);
    const float q = 10000.0f / (10000.0f - 0.1f);
    EXPECT_FLOAT_EQ(p.m[2][2], q);
    EXPECT_EQ(p.m[2][3], 1);
    EXPECT_FLOAT_EQ(p.m[3][2], -q * 0.1f);
    EXPECT_EQ(p.m[3][3], 0);
}

TEST(Camera, ViewMovesTheEyeToTheOriginLookingDownZ)
{
    Ptr<Camera> camera = new Camera();
    test::Place(*camera, {1, 2, 3});
    ASSERT_EQ(camera->SetDirection({1, 0, 0}), kSuccess);
    EXPECT_FALSE(camera->LocalTransform().isIdentity);
    EXPECT_FALSE(camera->LocalTransform().noRotation);
    camera->UpdateState(0, true);
    ExpectNear(camera->Forward(), {1, 0, 0});
    ExpectNear(camera->View().TransformPoint({1, 2, 3}), {0, 0, 0});
    ExpectNear(camera->View().TransformPoint({11, 2, 3}), {0, 0, 10});  // 10 ahead.
    ExpectNear(camera->View().TransformPoint({1, 5, 3}), {0, 3, 0});    // 3 up.
    // View-projection = view * projection; a point ahead lands at depth in [0, 1].
    const Vector3 clip = camera->ViewProjection().TransformPoint({50, 2, 3});
    EXPECT_GT(clip.z, 0);
    EXPECT_LT(clip.z, 1);
    EXPECT_EQ(camera->SetDirection({0, 0, 0}), kInvalidArgument);
}

TEST(Camera, ParametersThatGiveNoVolumeKeepTheLastMatrices)
{
    Ptr<Camera> camera = new Camera();
    camera->UpdateMatrices(1.0f);
    const Matrix4 before = camera->Projection();
    for (const auto& bad : {std::array<float, 3>{0, 1, 10}, {1, 0, 10}, {1, 5, 5}, {1, 1, NAN}, {4, 1, 10}}) {
        camera->SetFrustum(bad[0], bad[1], bad[2]);
        camera->UpdateMatrices(1.0f);
        EXPECT_EQ(camera->Projection(), before);
        for (uint32_t i = 0; i < Camera::kPlaneCount; ++i)
            EXPECT_TRUE(std::isfinite(camera->GetPlane(i).distance));
    }
}

TEST(Camera, FixedScreenMatricesSurviveUpdatesAndCullTheUnitSquare)
{
    Ptr<Camera> camera(new Camera);
    test::Place(*camera, Vector3{5, 6, 7});  // Ignored once the matrices are fixed.
    camera->SetFixedMatrices(Matrix4::Identity(), Camera::ScreenProjection());
    camera->UpdateState(0.0, true);
    // (0, 0) and (1, 1) land on the clip square's corners; z passes through.
    const Vector3 low = camera->ViewProjection().TransformPoint(Vector3{0, 0, 0.25f});
    const Vector3 high = camera->ViewProjection().TransformPoint(Vector3{1, 1, 0.5f});
    ExpectNear(low, {-1, -1, 0.25f});
    ExpectNear(high, {1, 1, 0.5f});
    // The planes bound the unit square in x and y and depth 0 to 1.
    struct Case {
        Vector3 point;
        bool inside;
    };
    const Case cases[] = {{{0.5f, 0.5f, 0.5f}, true},  {{1.5f, 0.5f, 0.5f}, false}, {{-0.5f, 0.5f, 0.5f}, false},
                          {{0.5f, 1.5f, 0.5f}, false}, {{0.5f, -0.5f, 0.5f}, false}, {{0.5f, 0.5f, 1.5f}, false},
                          {{0.5f, 0.5f, -0.5f}, false}};
    for (const Case& c : cases) {
        bool inside = true;
        for (uint32_t p = 0; p < Camera::kPlaneCount; ++p)
            inside = inside && camera->GetPlane(p).DistanceTo(c.point) >= 0;
        EXPECT_EQ(inside, c.inside) << c.point.x << " " << c.point.y << " " << c.point.z;
    }
}

TEST(Light, DeviceLightFollowsTheType)
{
    Ptr<Light> light = new Light(Light::kSpot);
    test::Place(*light, {0, 10, 0});
    light->SetDirection({0, -1, 0});
    light->SetSpot(3.0f, 0.5f);
    light->SetAttenuation({2, 3, 4}, false);
    light->SetColors({0.1f, 0.1f, 0.1f, 1}, {1, 0, 0, 1}, {0, 1, 0, 1});
    light->UpdateState(0, true);
    DeviceLight device = light->ToDeviceLight();
    EXPECT_EQ(device.type, DeviceLight::kSpot);
    EXPECT_FLOAT_EQ(device.innerCone, 1.0f);
    EXPECT_FLOAT_EQ(device.outerCone, 1.05f);
    EXPECT_FLOAT_EQ(device.falloff, 3.0f);
    ExpectNear(device.position, {0, 10, 0});
    ExpectNear(device.direction, {0, -1, 0});
    // Attenuation not enabled: the stored values are ignored.
    EXPECT_EQ(device.attenuation0, 1);
    EXPECT_EQ(device.attenuation1, 0);
    EXPECT_EQ(device.attenuation2, 0);
    EXPECT_FLOAT_EQ(device.range, std::sqrt(FLT_MAX));
    EXPECT_EQ(device.diffuse, (Vector4{1, 0, 0, 1}));
    light->SetAttenuation({2, 3, 4}, true);
    device = light->ToDeviceLight();
    EXPECT_EQ(device.attenuation1, 3);

    light->SetType(Light::kFixedDirectional);
    device = light->ToDeviceLight();
    EXPECT_EQ(device.type, DeviceLight::kDirectional);
    ExpectNear(device.direction, {0, 0, 1});  // Whatever the rotation.
    light->SetType(Light::kDirectional);
    ExpectNear(light->ToDeviceLight().direction, {0, -1, 0});
    light->SetType(Light::kPoint);
    device = light->ToDeviceLight();
    EXPECT_EQ(device.type, DeviceLight::kPoint);
    ExpectNear(device.position, {0, 10, 0});
}

}  // namespace
}  // namespace zen
