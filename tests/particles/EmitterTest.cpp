#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>

#include "engine/core/ClassRegistry.h"
#include "engine/core/Random.h"
#include "engine/particles/PointEmitter.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/particles/TrianglesEmitter.h"
#include "engine/scene/Triangles.h"
#include "support/RecordBytes.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/Near.h"
#include "support/SceneBuilder.h"

// Where emitters place particles and which way they send them: the angle cone of the point
// emitter, the sphere volume filled uniformly by volume, the triangles emitter weighted by
// area and uniform over each triangle, and their stream forms.
namespace zen {
namespace {

constexpr float kPi = 3.14159265f;

using test::AxisAngle;
using test::ExpectNear;

TEST(PointEmitter, ZeroConeEmitsAlongTheOwnersUpAxisFromItsPosition)
{
    const struct {
        Vector3 axis;
        float angle;
        Vector3 expectedDirection;  // The owner's +Y axis, worked out by hand.
    } cases[] = {
        {{1, 0, 0}, 0.0f, {0, 1, 0}},
        {{1, 0, 0}, kPi / 2, {0, 0, 1}},   // +Y turned a quarter about +X points along +Z.
        {{0, 0, 1}, kPi / 2, {-1, 0, 0}},  // About +Z: +Y goes to -X.
        {{0, 0, 1}, kPi, {0, -1, 0}},
    };
    for (const auto& c : cases) {
        SpriteParticleSystem owner;
        owner.LocalTransform().SetRotation(AxisAngle(c.axis, c.angle));
        owner.LocalTransform().SetTranslation({3, -2, 7});
        owner.LocalTransform().SetScale({5, 5, 5});  // Scale must not lengthen the direction.
        owner.UpdateWorldTransform();
        PointEmitter emitter;
        emitter.SetAngles(0, 0);
        emitter.SetOwner(&owner);
        for (int i = 0; i < 20; ++i) {
            Vector3 position, direction;
            ASSERT_TRUE(emitter.Emit(position, direction));
            EXPECT_EQ(position, (Vector3{3, -2, 7}));
            ExpectNear(direction, c.expectedDirection);
        }
    }
}

// The polar angle of every direction lies in [minAngle, maxAngle] and is spread uniformly over
// it (the mean is the middle); the azimuth covers all four quadrants equally.
TEST(PointEmitter, DirectionsFillTheConeBetweenTheTwoAngles)
{
    const struct {
        float minAngle, maxAngle;
    } cases[] = {{0.0f, kPi}, {0.2f, 0.6f}, {kPi / 2, kPi / 2}};
    for (const auto& c : cases) {
        Random::Seed(11);
        PointEmitter emitter;  // No owner: the origin and the local direction.
        emitter.SetAngles(c.minAngle, c.maxAngle);
        const int kDraws = 200000;
        double thetaSum = 0;
        int quadrants[4] = {};
        for (int i = 0; i < kDraws; ++i) {
            Vector3 position, direction;
            ASSERT_TRUE(emitter.Emit(position, direction));
            EXPECT_EQ(position, Vector3{});
            ASSERT_NEAR(direction.Length(), 1.0f, 1e-5f);
            const float theta = std::acos(std::clamp(direction.y, -1.0f, 1.0f));
            ASSERT_GE(theta, c.minAngle - 1e-3f);
            ASSERT_LE(theta, c.maxAngle + 1e-3f);
            thetaSum += theta;
            quadrants[(direction.x >= 0 ? 0 : 1) + (direction.z >= 0 ? 0 : 2)]++;
        }
        EXPECT_NEAR(thetaSum / kDraws, (c.minAngle + c.maxAngle) / 2, 0.01);
        if (c.maxAngle > 0.1f) {
            for (int count : quadrants)
                EXPECT_NEAR(count / double(kDraws), 0.25, 0.01);
        }
    }
}

// 100,000 births: within half the radius 1/8 of them (the volume ratio), never outside the
// radius, each octant 1/8, centred on the owner; the ball does not turn with the owner.
TEST(SphereVolumeEmitter, FillsTheBallUniformlyByVolume)
{
    Random::Seed(2024);
    SpriteParticleSystem owner;
    owner.LocalTransform().SetTranslation({10, 20, 30});
    owner.LocalTransform().SetRotation(AxisAngle({1, 1, 0}, 1.0f));
    owner.UpdateWorldTransform();
    SphereVolumeEmitter emitter;
    emitter.SetRadius(4.0f);
    emitter.SetOwner(&owner);
    const int kBirths = 100000;
    int insideHalf = 0, insideQuarterShell = 0;
    int octants[8] = {};
    Vector3 sum;
    for (int i = 0; i < kBirths; ++i) {
        Vector3 position, direction;
        ASSERT_TRUE(emitter.Emit(position, direction));
        const Vector3 offset = position - Vector3{10, 20, 30};
        const float distance = offset.Length();
        ASSERT_LE(distance, 4.0f + 1e-4f);
        insideHalf += distance < 2.0f;
        insideQuarterShell += distance >= 3.0f;  // 1 - (3/4)^3 = 37/64 of the volume.
        octants[(offset.x >= 0) + 2 * (offset.y >= 0) + 4 * (offset.z >= 0)]++;
        sum += offset;
    }
    // Standard deviation of a fraction near 1/8 over 1e5 draws is about 0.001.
    EXPECT_NEAR(insideHalf / double(kBirths), 1.0 / 8, 0.005);
    EXPECT_NEAR(insideQuarterShell / double(kBirths), 37.0 / 64, 0.006);
    for (int count : octants)
        EXPECT_NEAR(count / double(kBirths), 1.0 / 8, 0.006);
    ExpectNear(sum * (1.0f / kBirths), Vector3{}, 0.03f);
}

// Two triangles in the z = 0 plane, areas 1 and 3 (hand-computed): a quarter of the births on
// the first. Within a triangle the births are uniform: the middle triangle of the four made by
// the edge midpoints holds a quarter of them.
TEST(TrianglesEmitter, ChoosesTrianglesByAreaAndPointsUniformlyWithinThem)
{
    test::EngineScope engine;
    Random::Seed(5);
    Ptr<Triangles> mesh = new Triangles();
    // Triangle A: (0,0) (2,0) (0,1): area 1. Triangle B: (10,0) (13,0) (10,2): area 3.
    mesh->SetVertices(test::MakeVector3Buffer({{0, 0, 0}, {2, 0, 0}, {0, 1, 0}, {10, 0, 0}, {13, 0, 0}, {10, 2, 0}})
                          .Get());
    mesh->SetIndices(test::MakeIntBuffer({0, 1, 2, 3, 4, 5}).Get());
    mesh->LocalTransform().SetTranslation({0, 0, 5});
    mesh->UpdateWorldTransform();
    TrianglesEmitter emitter;
    emitter.SetTriangles(mesh.Get());
    EXPECT_EQ(emitter.UsableTriangleCount(), 2u);
    const int kBirths = 100000;
    int onA = 0, middleOfA = 0;
    for (int i = 0; i < kBirths; ++i) {
        Vector3 p, direction;
        ASSERT_TRUE(emitter.Emit(p, direction));
        ASSERT_NEAR(p.z, 5.0f, 1e-5f);  // The mesh's world transform carries the points.
        ASSERT_NEAR(direction.Length(), 1.0f, 1e-5f);
        if (p.x < 5) {
            ++onA;
            ASSERT_GE(p.x, -1e-5f);
            ASSERT_GE(p.y, -1e-5f);
            ASSERT_LE(p.x / 2 + p.y, 1.0f + 1e-5f);
            // The middle triangle (1,0) (0,0.5) (1,0.5): x <= 1, y <= 0.5 and x/2 + y >= 0.5.
            middleOfA += p.x <= 1 && p.y <= 0.5f && p.x / 2 + p.y >= 0.5f;
        } else {
            ASSERT_GE(p.x, 10 - 1e-4f);
            ASSERT_GE(p.y, -1e-5f);
            ASSERT_LE((p.x - 10) / 3 + p.y / 2, 1.0f + 1e-5f);
        }
    }
    EXPECT_NEAR(onA / double(kBirths), 0.25, 0.006);
    EXPECT_NEAR(middleOfA / double(onA), 0.25, 0.012);
}

// Indexed meshes: corners come through the indices (shared vertices), a triple naming a
// vertex that does not exist and a triangle without area are never chosen.
TEST(TrianglesEmitter, UsesIndicesAndSkipsBrokenOrFlatTriangles)
{
    test::EngineScope engine;
    Random::Seed(9);
    Ptr<Triangles> mesh = new Triangles();
    mesh->SetVertices(test::MakeVector3Buffer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 2, 0}}).Get());
    // A good triangle, one naming vertex 9, one with a negative index, one flat (0, 1, 1).
    mesh->SetIndices(test::MakeIntBuffer({0, 1, 2, 1, 2, 9, -1, 0, 1, 0, 1, 1}).Get());
    mesh->UpdateWorldTransform();
    TrianglesEmitter emitter;
    emitter.SetTriangles(mesh.Get());
    EXPECT_EQ(emitter.UsableTriangleCount(), 1u);
    for (int i = 0; i < 2000; ++i) {
        Vector3 p, direction;
        ASSERT_TRUE(emitter.Emit(p, direction));
        ASSERT_LE(p.x + p.y, 1.0f + 1e-5f);
    }
    // Replacing the buffers rebuilds the table.
    mesh->SetIndices(nullptr);  // Vertices three at a time: (0,0) (1,0) (0,1), then one left over.
    EXPECT_EQ(emitter.UsableTriangleCount(), 1u);
    mesh->SetVertices(test::MakeVector3Buffer({{0, 0, 0}, {1, 0, 0}}).Get());
    EXPECT_EQ(emitter.UsableTriangleCount(), 0u);
    Vector3 p, direction;
    EXPECT_FALSE(emitter.Emit(p, direction));
}

TEST(TrianglesEmitter, WithoutAMeshRefusesAndItsSystemEmitsNothing)
{
    test::EngineScope engine;
    Ptr<TrianglesEmitter> emitter = new TrianglesEmitter();
    Vector3 p, direction;
    EXPECT_FALSE(emitter->Emit(p, direction));

    // Loaded from a file without its mesh: a warning, and a system that stays empty.
    const test::Bytes bytes = test::SavedRecord(emitter.Get());
    test::LogCapture log;
    Ptr<TrianglesEmitter> loaded = test::LoadedRecord<TrianglesEmitter>(bytes);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(log.ContainsText("Эмиттер без геометрии"));
    SpriteParticleSystem system;
    ASSERT_EQ(system.SetMaxParticles(100), kSuccess);
    system.SetEmitter(loaded.Get());
    for (int i = 0; i < 10; ++i)
        system.Update(0.5);
    EXPECT_EQ(system.LiveCount(), 0u);
    EXPECT_EQ(system.AllocatedCount(), 0u);  // A refused birth takes nothing from the pool.
}

// A file naming the emitter base gets nothing: it has no way to place a particle.
TEST(Emitter, TheBaseClassIsAbstract)
{
    test::EngineScope engine;
    CreateFunction create = ClassRegistry::LookupCreator(String("ZEN.Emitter"));
    ASSERT_NE(create, nullptr);
    Object* none = nullptr;
    EXPECT_NE(create(&none), kSuccess);
    EXPECT_EQ(none, nullptr);
}

// The point emitter's record: Object fields, maxAngle, minAngle; loading clamps (maximum
// first, at least the current minimum; then the minimum, at most the maximum).
TEST(PointEmitter, StreamFormAndLoadClamps)
{
    test::EngineScope engine;
    PointEmitter emitter;
    emitter.SetName(String("cone"));
    emitter.SetAngles(0.25f, 1.5f);
    const test::Bytes bytes = test::SavedRecord(&emitter);
    // The record ends with the two angles, maximum first.
    ASSERT_GE(bytes.size(), 8u);
    float tail[2];
    std::memcpy(tail, bytes.data() + bytes.size() - 8, 8);
    EXPECT_EQ(tail[0], 1.5f);
    EXPECT_EQ(tail[1], 0.25f);

    const struct {
        float maxAngle, minAngle;  // As written in the file.
        float expectedMax, expectedMin;
    } cases[] = {
        {1.5f, 0.25f, 1.5f, 0.25f},
        {-1.0f, 0.5f, 0.0f, 0.0f},      // The maximum becomes 0; the minimum cannot exceed it.
        {0.5f, 1.0f, 0.5f, 0.5f},       // Minimum above maximum: held at the maximum.
        {0.7f, -3.0f, 0.7f, 0.0f},
        {NAN, 0.2f, 0.0f, 0.0f},        // Not a number counts as 0.
        {2.0f, INFINITY, 2.0f, 0.0f},
    };
    for (const auto& c : cases) {
        test::Bytes edited = bytes;
        std::memcpy(edited.data() + edited.size() - 8, &c.maxAngle, 4);
        std::memcpy(edited.data() + edited.size() - 4, &c.minAngle, 4);
        Ptr<PointEmitter> loaded = test::LoadedRecord<PointEmitter>(edited);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->Name(), "cone");
        EXPECT_EQ(loaded->MaxAngle(), c.expectedMax) << c.maxAngle << " " << c.minAngle;
        EXPECT_EQ(loaded->MinAngle(), c.expectedMin) << c.maxAngle << " " << c.minAngle;
        EXPECT_EQ(loaded->Owner(), nullptr);
    }
}

// The radius ends the record (its round trip is in the particle system's): one that is not a
// number loads as 0 with a warning; a cut record fails with the radius's message.
TEST(SphereVolumeEmitter, RefusesARadiusThatIsNotANumberOrIsCut)
{
    test::EngineScope engine;
    SphereVolumeEmitter emitter;
    emitter.SetRadius(2.5f);
    test::Bytes bytes = test::SavedRecord(&emitter);
    const float nan = NAN;
    std::memcpy(bytes.data() + bytes.size() - 4, &nan, 4);
    test::LogCapture log;
    Ptr<SphereVolumeEmitter> back = test::LoadedRecord<SphereVolumeEmitter>(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Radius(), 0.0f);
    EXPECT_TRUE(log.ContainsText("Недопустимый радиус эмиттера"));
    // Truncated: the radius cannot be read.
    bytes.resize(bytes.size() - 2);
    log.Clear();
    Result result = kSuccess;
    EXPECT_FALSE(test::LoadedRecord<SphereVolumeEmitter>(bytes, &result));
    EXPECT_NE(result, kSuccess);
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить радиус эмиттера"));
}

TEST(TrianglesEmitter, RoundTripsItsMeshAndFindsThroughIt)
{
    test::EngineScope engine;
    Ptr<Triangles> mesh = test::MakeQuad("Leaf", 1.0f);
    TrianglesEmitter emitter;
    emitter.SetTriangles(mesh.Get());
    EXPECT_EQ(emitter.FindByName(String("Leaf")), mesh.Get());
    Array<Object*> found;
    emitter.CollectByType(&Triangles::TYPE, found);
    EXPECT_EQ(found.Count(), 1u);

    Ptr<TrianglesEmitter> back = test::LoadedRecord<TrianglesEmitter>(test::SavedRecord(&emitter));
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->GetTriangles());
    EXPECT_EQ(back->GetTriangles()->Name(), "Leaf");
    EXPECT_EQ(back->UsableTriangleCount(), 2u);
}

}  // namespace
}  // namespace zen
