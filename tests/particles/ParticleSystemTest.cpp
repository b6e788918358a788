#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "engine/core/Random.h"
#include "engine/particles/PointEmitter.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "support/RecordBytes.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"

// The particle system's pool, burst clock, ageing and death, motion and blends, and what
// loading does with values that would break it.
namespace zen {
namespace {

using Parameters = ParticleSystem::Parameters;

// A system with a straight-up emitter (the owner's +Y), no randomness unless asked.
Ptr<ParticleSystem> MakeSystem(int32_t pool, const Parameters& parameters)
{
    Ptr<ParticleSystem> system = new ParticleSystem();
    EXPECT_EQ(system->SetMaxParticles(pool), kSuccess);
    EXPECT_EQ(system->SetParameters(parameters), kSuccess);
    static_cast<PointEmitter*>(system->GetEmitter())->SetAngles(0, 0);
    return system;
}

// Bursts of `burst` particles every `interval` seconds, each living `lifetime` seconds.
Parameters Bursts(float interval, int32_t burst, float lifetime)
{
    Parameters p;
    p.intervalBase = interval;
    p.burstBase = burst;
    p.lifetimeBase = lifetime;
    return p;
}

uint32_t CountLive(const ParticleSystem& system)
{
    uint32_t count = 0;
    for (const Particle* p = system.FirstLive(); p; p = p->next)
        ++count;
    return count;
}

// Bursts per update as the interval rule gives them (hand-worked): the first update always
// bursts (the first interval is 0), then one burst each time the clock passes the interval.
TEST(ParticleSystem, BurstsFollowTheIntervalClock)
{
    const struct {
        float interval;
        int32_t burst;
        std::vector<double> steps;
        std::vector<uint32_t> liveAfter;
    } cases[] = {
        // 1.2 > 0 (interval becomes 0.5), 1.2 > 0.5 (0.7 left), 0.7 > 0.5 (0.2 left): three bursts.
        {0.5f, 4, {1.2}, {12}},
        // Binary fractions, so the clock's sums are exact: 0.25 left; 0.5 is not past 0.5; 0.625 is.
        {0.5f, 4, {1.25, 0.25, 0.125, 0.25}, {12, 12, 16, 16}},
        {1.0f, 3, {0.25, 0.25, 0.25, 0.25, 0.25}, {3, 3, 3, 3, 6}},
        {2.0f, 1, {0.0, 0.0, 3.0}, {0, 0, 2}},  // Elapsed 0 never passes the clock.
    };
    for (const auto& c : cases) {
        Ptr<ParticleSystem> system = MakeSystem(1000, Bursts(c.interval, c.burst, 100.0f));
        for (size_t i = 0; i < c.steps.size(); ++i) {
            system->Update(c.steps[i]);
            EXPECT_EQ(system->LiveCount(), c.liveAfter[i]) << "interval " << c.interval << " step " << i;
            EXPECT_EQ(CountLive(*system), system->LiveCount());
        }
    }
}

// Births per second match the configured rate over a minute of 60 Hz frames, with and without
// random spread of the interval and the burst size.
TEST(ParticleSystem, BirthRateMatchesTheConfiguration)
{
    const struct {
        float interval, intervalRandom;
        int32_t burst, burstRandom;
        double expectedPerSecond;  // burst mean / interval mean; r mod 2R - R has mean -1/2.
        double tolerance;
    } cases[] = {
        {0.1f, 0.0f, 3, 0, 30.0, 0.2},
        {0.25f, 0.1f, 8, 0, 32.0, 1.0},
        {0.1f, 0.0f, 6, 3, 55.0, 1.5},
    };
    for (const auto& c : cases) {
        Random::Seed(77);
        Parameters p = Bursts(c.interval, c.burst, 1000.0f);
        p.intervalRandom = c.intervalRandom;
        p.burstRandom = c.burstRandom;
        Ptr<ParticleSystem> system = MakeSystem(100000, p);
        const int kFrames = 60 * 60;
        for (int i = 0; i < kFrames; ++i)
            system->Update(1.0 / 60);
        EXPECT_NEAR(system->LiveCount() / 60.0, c.expectedPerSecond, c.tolerance) << c.interval << " " << c.burst;
    }
}

// Burst sizes with a random part lie in [base - R, base + R - 1] and reach both ends.
TEST(ParticleSystem, BurstSizesStayInTheirRange)
{
    Random::Seed(3);
    Parameters p = Bursts(1.0f, 10, 0.5f);  // Each burst is dead before the next.
    p.burstRandom = 4;
    Ptr<ParticleSystem> system = MakeSystem(1000, p);
    std::set<uint32_t> sizes;
    for (int i = 0; i < 400; ++i) {
        system->Update(1.0);
        sizes.insert(system->LiveCount());
    }
    EXPECT_EQ(*sizes.begin(), 6u);
    EXPECT_EQ(*sizes.rbegin(), 13u);
    EXPECT_EQ(sizes.size(), 8u);
}

// A particle of lifetime 2 s is alive at age exactly 2 s and gone at the first update past it.
TEST(ParticleSystem, ParticlesDieAtTheFirstUpdatePastTheirLifetime)
{
    Ptr<ParticleSystem> system = MakeSystem(10, Bursts(1000.0f, 1, 2.0f));
    system->Update(0.0);  // Not a positive step: no burst yet.
    EXPECT_EQ(system->LiveCount(), 0u);
    system->Update(0.25);  // Born, not advanced in its first frame.
    ASSERT_EQ(system->LiveCount(), 1u);
    EXPECT_EQ(system->FirstLive()->age, 0.0f);
    for (int i = 0; i < 4; ++i)
        system->Update(0.5);
    ASSERT_EQ(system->LiveCount(), 1u);
    EXPECT_EQ(system->FirstLive()->age, 2.0f);
    system->Update(0.001);
    EXPECT_EQ(system->LiveCount(), 0u);
}

// With random lifetimes no live particle is ever older than its lifetime after an update.
TEST(ParticleSystem, NoParticleOutlivesItsLifetime)
{
    Random::Seed(8);
    Parameters p = Bursts(0.05f, 5, 1.0f);
    p.intervalRandom = 0.04f;
    p.burstRandom = 2;
    p.lifetimeRandom = 0.9f;
    Ptr<ParticleSystem> system = MakeSystem(5000, p);
    for (int frame = 0; frame < 2000; ++frame) {
        system->Update(frame % 7 == 0 ? 0.1 : 0.013);
        for (const Particle* q = system->FirstLive(); q; q = q->next)
            ASSERT_LE(q->age, q->lifetime) << "frame " << frame;
    }
}

// The pool: never more live or allocated particles than maxParticles; dead ones are reused,
// so the allocated count stops growing once the pool is warm.
TEST(ParticleSystem, PoolNeverExceedsItsSizeAndReusesDeadSlots)
{
    const struct {
        int32_t pool;
        int32_t burst;
        float lifetime;
        uint32_t expectedAllocated;  // After warm-up.
    } cases[] = {
        {50, 20, 0.25f, 50},    // Full: births stop at the pool size.
        {600, 10, 0.35f, 256},  // Steady state of 40 alive: one block of 256 serves forever.
        {3, 100, 10.0f, 3},
    };
    for (const auto& c : cases) {
        Ptr<ParticleSystem> system = MakeSystem(c.pool, Bursts(0.1f, c.burst, c.lifetime));
        for (int i = 0; i < 100; ++i) {
            system->Update(0.05);
            ASSERT_LE(system->LiveCount(), uint32_t(c.pool));
            ASSERT_LE(system->AllocatedCount(), uint32_t(c.pool));
        }
        const uint32_t warm = system->AllocatedCount();
        EXPECT_EQ(warm, c.expectedAllocated) << c.pool;
        for (int i = 0; i < 1000; ++i)
            system->Update(0.05);
        EXPECT_EQ(system->AllocatedCount(), warm);
    }
}

// While emission is stopped the clock stands: the first update after restarting bursts once,
// not for all the stopped time. (A pool of 0 bearing nothing is in the record's bad values.)
TEST(ParticleSystem, StoppedEmissionHoldsTheBurstClock)
{
    Ptr<ParticleSystem> system = MakeSystem(100, Bursts(1.0f, 1, 100.0f));
    system->Update(0.1);
    EXPECT_EQ(system->LiveCount(), 1u);
    system->SetEmissionStopped(true);
    for (int i = 0; i < 50; ++i)
        system->Update(0.5);
    EXPECT_EQ(system->LiveCount(), 1u);
    system->SetEmissionStopped(false);
    system->Update(0.5);  // Clock 0.1 + 0.5 = 0.6 < 1.
    EXPECT_EQ(system->LiveCount(), 1u);
    system->Update(0.5);
    EXPECT_EQ(system->LiveCount(), 2u);
}

// Motion is semi-implicit: velocity first, then position with the new velocity. Colour and size
// move linearly from start to end over the life. Values worked out by hand.
TEST(ParticleSystem, MotionAndBlendsFollowTheParticlesAge)
{
    Parameters p = Bursts(1000.0f, 1, 4.0f);
    p.speedBase = 2.0f;
    p.accelerationBase = {0, -1, 0};
    p.startColorBase = {1, 0, 0, 1};
    p.endColorBase = {0, 0, 1, 0};
    p.startSizeBase = 1.0f;
    p.endSizeBase = 3.0f;
    Ptr<ParticleSystem> system = MakeSystem(1, p);
    system->LocalTransform().SetTranslation({5, 0, 0});
    system->Update(0.5);
    const Particle* q = system->FirstLive();
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->position, (Vector3{5, 0, 0}));
    EXPECT_EQ(q->velocity, (Vector3{0, 2, 0}));
    system->Update(1.0);  // v = 2 - 1 = 1; y = 0 + 1; k = 1/4.
    EXPECT_FLOAT_EQ(q->position.y, 1.0f);
    EXPECT_FLOAT_EQ(q->velocity.y, 1.0f);
    EXPECT_FLOAT_EQ(q->size, 1.5f);
    EXPECT_FLOAT_EQ(q->color.x, 0.75f);
    EXPECT_FLOAT_EQ(q->color.z, 0.25f);
    EXPECT_FLOAT_EQ(q->color.w, 0.75f);
    system->Update(1.0);  // v = 0; y = 1; k = 1/2.
    EXPECT_FLOAT_EQ(q->position.y, 1.0f);
    EXPECT_FLOAT_EQ(q->size, 2.0f);
    system->Update(1.0);  // v = -1; y = 0; k = 3/4.
    EXPECT_FLOAT_EQ(q->position.y, 0.0f);
    EXPECT_FLOAT_EQ(q->color.x, 0.25f);
    EXPECT_FLOAT_EQ(q->position.x, 5.0f);
}

// Randomised values stay within base ± random for every particle, and the same seed gives
// the same particles.
TEST(ParticleSystem, RandomValuesStayAroundTheirBaseAndRepeatForASeed)
{
    Parameters p = Bursts(0.1f, 20, 50.0f);
    p.speedBase = 3.0f;
    p.speedRandom = 1.0f;
    p.lifetimeRandom = 5.0f;
    p.startSizeBase = 2.0f;
    p.startSizeRandom = 0.5f;
    p.startColorBase = {0.5f, 0.5f, 0.5f, 1};
    p.startColorRandom = {0.1f, 0.2f, 0.3f, 0};
    p.accelerationRandom = {0, 2, 0};
    auto run = [&](uint32_t seed) {
        Random::Seed(seed);
        Ptr<ParticleSystem> system = MakeSystem(500, p);
        static_cast<PointEmitter*>(system->GetEmitter())->SetAngles(0, 3.14159265f);
        for (int i = 0; i < 10; ++i)
            system->Update(0.1);
        std::vector<float> values;
        for (const Particle* q = system->FirstLive(); q; q = q->next) {
            // The birth speed: the velocity less what the acceleration added over the age.
            const float speed = (q->velocity - q->acceleration * q->age).Length();
            EXPECT_GE(speed, 2.0f - 1e-4f);
            EXPECT_LE(speed, 4.0f + 1e-4f);
            EXPECT_GE(q->lifetime, 45.0f);
            EXPECT_LE(q->lifetime, 55.0f);
            EXPECT_GE(q->startSize, 1.5f);
            EXPECT_LE(q->startSize, 2.5f);
            EXPECT_NEAR(q->startColor.z, 0.5f, 0.3f + 1e-5f);
            EXPECT_EQ(q->startColor.w, 1.0f);
            EXPECT_LE(std::fabs(q->acceleration.y), 2.0f + 1e-5f);
            EXPECT_EQ(q->acceleration.x, 0.0f);
            values.push_back(q->position.x);
            values.push_back(q->position.y);
            values.push_back(q->lifetime);
        }
        return values;
    };
    const std::vector<float> first = run(123);
    EXPECT_EQ(first.size(), 3u * 200);
    EXPECT_EQ(run(123), first);
    EXPECT_NE(run(124), first);
}

// A long stall or an interval of 0 never hangs the update: at most kMaxBurstsPerUpdate bursts.
TEST(ParticleSystem, UpdatesEndWhateverTheIntervalAndStep)
{
    const struct {
        float interval;
        double step;
    } cases[] = {{0.0f, 0.016}, {1e-30f, 0.5}, {0.001f, 1e9}};
    for (const auto& c : cases) {
        Ptr<ParticleSystem> system = MakeSystem(ParticleSystem::kMaxPoolSize, Bursts(c.interval, 1, 1e6f));
        system->Update(c.step);
        EXPECT_LE(system->LiveCount(), ParticleSystem::kMaxBurstsPerUpdate);
        EXPECT_GT(system->LiveCount(), 0u);
    }
}

TEST(ParticleSystem, SettersRefuseWhatWouldBreakIt)
{
    ParticleSystem system;
    EXPECT_EQ(system.SetMaxParticles(-1), kInvalidArgument);
    EXPECT_EQ(system.SetMaxParticles(ParticleSystem::kMaxPoolSize + 1), kInvalidArgument);
    EXPECT_EQ(system.SetMaxParticles(ParticleSystem::kMaxPoolSize), kSuccess);
    // A vector component that is not finite (the scalar cases are in the record's bad values).
    Parameters p;
    p.accelerationBase.y = INFINITY;
    EXPECT_EQ(system.SetParameters(p), kInvalidArgument);

    // A smaller pool kills the oldest particles beyond it.
    Ptr<ParticleSystem> full = MakeSystem(100, Parameters{});
    full->Update(0.1);
    ASSERT_EQ(full->LiveCount(), 10u);
    const Particle* newest = full->FirstLive();
    ASSERT_EQ(full->SetMaxParticles(4), kSuccess);
    EXPECT_EQ(full->LiveCount(), 4u);
    EXPECT_EQ(CountLive(*full), 4u);
    EXPECT_EQ(full->FirstLive(), newest);
}

// --- Stream -----------------------------------------------------------------------------------

// A system saved with a null emitter ends with the null link (4 bytes); its own fields sit just
// before it: maxParticles, the interval and burst pairs, four colours, the speed pair, two
// vectors and the lifetime and size pairs.
constexpr size_t kFieldBytes = 4 + 4 + 4 + 4 + 4 + 16 * 4 + 4 + 4 + 12 + 12 + 4 * 6;

size_t FieldsStart(const test::Bytes& record)
{
    return record.size() - 4 - kFieldBytes;
}

// Field offsets within the block, in stream order.
constexpr size_t kMaxParticlesAt = 0, kIntervalBaseAt = 4, kBurstBaseAt = 12,
                 kSpeedBaseAt = 4 + 4 + 4 + 4 + 4 + 64, kLifetimeBaseAt = kSpeedBaseAt + 8 + 24;

template <class T>
void Patch(test::Bytes& bytes, size_t at, T value)
{
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

Ptr<SpriteParticleSystem> RecordSource()
{
    Ptr<SpriteParticleSystem> system = new SpriteParticleSystem();
    system->SetName(String("Rain"));
    EXPECT_EQ(system->SetMaxParticles(64), kSuccess);
    Parameters p;
    p.intervalBase = 0.25f;
    p.intervalRandom = 0.125f;
    p.burstBase = 7;
    p.burstRandom = 2;
    p.startColorBase = {0.1f, 0.2f, 0.3f, 0.4f};
    p.startColorRandom = {0.01f, 0.02f, 0.03f, 0.04f};
    p.endColorBase = {0.5f, 0.6f, 0.7f, 0.8f};
    p.endColorRandom = {0.05f, 0.06f, 0.07f, 0.08f};
    p.speedBase = 9.0f;
    p.speedRandom = 1.0f;
    p.accelerationBase = {0, -9.8f, 0};
    p.accelerationRandom = {0.5f, 0, 0.5f};
    p.lifetimeBase = 3.0f;
    p.lifetimeRandom = 0.5f;
    p.startSizeBase = 0.2f;
    p.startSizeRandom = 0.05f;
    p.endSizeBase = 0.1f;
    p.endSizeRandom = 0.01f;
    EXPECT_EQ(system->SetParameters(p), kSuccess);
    return system;
}

TEST(ParticleSystemStream, FieldsInOrderWithoutTheParticleBuffersAndBack)
{
    test::EngineScope engine;
    Ptr<SpriteParticleSystem> system = RecordSource();
    system->Update(0.5);  // Particles and buffers exist; neither is written.
    ASSERT_GT(system->LiveCount(), 0u);
    ASSERT_TRUE(system->Vertices());
    Ptr<SphereVolumeEmitter> emitter = new SphereVolumeEmitter();
    emitter->SetRadius(3.0f);
    system->SetEmitter(emitter.Get());
    const test::Bytes bytes = test::SavedRecord(system.Get());
    EXPECT_TRUE(system->Vertices());  // Put back after saving.
    EXPECT_TRUE(system->Colors());
    // Records name their types: the emitter's is there, no buffer's is.
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("ZEN.SphereVolumeEmitter"), std::string::npos);
    for (const char* type : {"ZEN.Vector3Buffer", "ZEN.ColorBuffer", "ZEN.Vector2Buffer", "ZEN.FloatBuffer"})
        EXPECT_EQ(text.find(type), std::string::npos) << type;

    Ptr<SpriteParticleSystem> back = test::LoadedRecord<SpriteParticleSystem>(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Name(), "Rain");
    EXPECT_EQ(back->MaxParticles(), 64);
    EXPECT_EQ(back->LiveCount(), 0u);
    const Parameters& a = system->GetParameters();
    const Parameters& b = back->GetParameters();
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    ASSERT_TRUE(back->GetEmitter());
    ASSERT_TRUE(back->GetEmitter()->IsExactly(&SphereVolumeEmitter::TYPE));
    auto* backEmitter = static_cast<SphereVolumeEmitter*>(back->GetEmitter());
    EXPECT_EQ(backEmitter->Radius(), 3.0f);
    EXPECT_EQ(backEmitter->Owner(), back.Get());
    // Buffers were made for the pool at load (no renderer: quads, 6 vertices a particle).
    ASSERT_TRUE(back->Vertices());
    EXPECT_EQ(back->Vertices()->GetCount(), 64u * 6);

    // The same system with a null emitter: its field block, in order, just before the null link.
    system->SetEmitter(nullptr);
    const test::Bytes plain = test::SavedRecord(system.Get());
    test::Bytes expected;
    test::PutInt(expected, 64);
    for (float value : {0.25f, 0.125f})
        test::PutFloat(expected, value);
    test::PutInt(expected, 7);
    test::PutInt(expected, 2);
    for (float value : {0.1f, 0.2f, 0.3f, 0.4f, 0.01f, 0.02f, 0.03f, 0.04f, 0.5f, 0.6f, 0.7f, 0.8f, 0.05f, 0.06f,
                        0.07f, 0.08f, 9.0f, 1.0f, 0.0f, -9.8f, 0.0f, 0.5f, 0.0f, 0.5f, 3.0f, 0.5f, 0.2f, 0.05f, 0.1f,
                        0.01f})
        test::PutFloat(expected, value);
    ASSERT_EQ(expected.size(), kFieldBytes);
    const size_t at = FieldsStart(plain);
    EXPECT_EQ(test::Bytes(plain.begin() + at, plain.end() - 4), expected);
}

// Values that would break the system: negative sizes load as 0; an absurd pool, a value that
// is not a number or a negative lifetime give a log line and a system that emits nothing.
TEST(ParticleSystemStream, BadValuesLoadAsASystemThatEmitsNothingOrAreClamped)
{
    test::EngineScope engine;
    Ptr<SpriteParticleSystem> source = RecordSource();
    source->SetEmitter(nullptr);
    const test::Bytes bytes = test::SavedRecord(source.Get());
    const size_t at = FieldsStart(bytes);
    enum Expect { kClampedToZero, kRefused };
    const struct {
        const char* what;
        size_t offset;
        uint32_t bits;
        Expect expect;
    } cases[] = {
        {"negative pool", kMaxParticlesAt, uint32_t(-5), kClampedToZero},
        {"absurd pool", kMaxParticlesAt, 1000001u, kRefused},
        {"huge pool", kMaxParticlesAt, 0x7FFFFFFFu, kRefused},
        {"NaN interval", kIntervalBaseAt, 0x7FC00000u, kRefused},
        {"infinite speed", kSpeedBaseAt, 0x7F800000u, kRefused},
        {"negative lifetime", kLifetimeBaseAt, 0xBF800000u, kRefused},  // -1.0f
    };
    for (const auto& c : cases) {
        test::Bytes edited = bytes;
        Patch(edited, at + c.offset, c.bits);
        test::LogCapture log;
        Ptr<SpriteParticleSystem> loaded = test::LoadedRecord<SpriteParticleSystem>(edited);
        ASSERT_TRUE(loaded) << c.what;
        EXPECT_EQ(loaded->MaxParticles(), 0) << c.what;
        EXPECT_EQ(log.ContainsText("система не испускает частиц"), c.expect == kRefused) << c.what;
        EXPECT_TRUE(loaded->GetParameters().IsValid()) << c.what;
        Ptr<PointEmitter> emitter = new PointEmitter();
        loaded->SetEmitter(emitter.Get());
        for (int i = 0; i < 20; ++i)
            loaded->Update(0.5);
        EXPECT_EQ(loaded->LiveCount(), 0u) << c.what;
        EXPECT_EQ(loaded->AllocatedCount(), 0u) << c.what;
        EXPECT_EQ(loaded->Vertices(), nullptr) << c.what;
    }
    // Negative interval and burst values load as 0.
    test::Bytes edited = bytes;
    Patch(edited, at + kIntervalBaseAt, -1.0f);
    Patch(edited, at + kBurstBaseAt, int32_t{-3});
    Ptr<SpriteParticleSystem> loaded = test::LoadedRecord<SpriteParticleSystem>(edited);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetParameters().intervalBase, 0.0f);
    EXPECT_EQ(loaded->GetParameters().burstBase, 0);
    EXPECT_EQ(loaded->MaxParticles(), 64);

    // Cut anywhere in the field block or the link: a failure with the step's message.
    for (size_t cut : {at + 2, at + 40, bytes.size() - 2}) {
        test::Bytes shortened(bytes.begin(), bytes.begin() + cut);
        test::LogCapture log;
        Result result = kSuccess;
        EXPECT_FALSE(test::LoadedRecord<SpriteParticleSystem>(shortened, &result));
        EXPECT_NE(result, kSuccess);
        EXPECT_TRUE(log.ContainsText(cut == bytes.size() - 2 ? "Невозможно загрузить эмиттер системы частиц"
                                                             : "Невозможно загрузить данные системы частиц"))
            << cut;
    }
}

}  // namespace
}  // namespace zen
