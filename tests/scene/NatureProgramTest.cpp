#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/scene/CloudsEffect.h"
#include "engine/scene/FlatWater1DLEffect.h"
#include "engine/scene/GrassEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/LavaEffect.h"
#include "engine/scene/ReflectiveQuietFlatWaterEffect.h"
#include "support/RecordingFixture.h"
#include "support/SceneBuilder.h"
#include "support/ShaderRunner.h"

// The water, cloud, lava and grass programs run on the processor (ShaderRunner) with inputs
// chosen so that each result is known by hand: where the water looks up the screen pictures,
// the Fresnel weight, the direction it looks into the sky cube (with the waves' tilt carried into
// model space), the clouds' opacity and shade at both shader levels, the lava's glow, and the
// grass vertex program's sway against the effect's own Sway.
namespace zen {
namespace {

using test::ShaderRunner;

class NaturePrograms : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        texture = new Texture(String("T"), new Image(String("t"), Image::kR8G8B8, 2, 2));
    }

    // The program text of `effect`'s chosen pass at shader `level`.
    static std::string Program(GeometryNodeEffect& effect, bool pixel)
    {
        EXPECT_EQ(effect.GetPassCount(), 1u);
        auto* pass = static_cast<GeometryNodeEffectPass*>(effect.CurrentTechnique()->GetPass(0));
        return pixel ? pass->GetPixelShader()->Source().Std() : pass->GetVertexShader()->Source().Std();
    }

    Ptr<Texture> texture;
};

void ExpectNear(const Vector4& a, const Vector4& b, float tolerance, const std::string& what)
{
    test::ExpectNear(a, b, tolerance, what, false);
}

Vector4 Normalized(const Vector4& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length, 0};
}

// The lit flat water's pixel program: textures are stand-ins that report what they were asked.
// Constants: c0-c3 lighting (zero: no lit colour, no glitter), c8 colour, c9 (distortion, R0,
// 1 - R0, clarity), c11 bumpiness, c12-c14 world rows (identity).
TEST_F(NaturePrograms, FlatWaterLooksUpTheScreenThroughTheWavesAndMirrorsTheSky)
{
    renderer->LimitShaderVersion(20);
    Ptr<FlatWater1DLEffect> water = new FlatWater1DLEffect();
    const std::string program = Program(*water, true);

    const struct {
        const char* what;
        Vector4 texel;     // Both wave layers' texel (n x 0.5 + 0.5, summed to a + b - 1).
        Vector4 eye;       // t3: towards the eye, model space.
        Vector4 clip;      // t2: the clip position.
        float r0, distortion;
    } cases[] = {
        {"flat, straight down", {0.5f, 0.5f, 1, 1}, {0, 2, 0, 0}, {0.4f, -0.2f, 0.5f, 2}, 1, 0.1f},
        {"flat, slanting", {0.5f, 0.5f, 1, 1}, {1, 1, -2, 0}, {-1, 1, 0.5f, 4}, 1, 0.1f},
        {"tilted along u", {0.75f, 0.5f, 1, 1}, {0, 1, -1, 0}, {0, 0, 0.5f, 1}, 1, 0.2f},
        {"tilted along v", {0.5f, 0.3f, 0.9f, 1}, {0.5f, 1, -1, 0}, {1, -1, 0.5f, 2}, 1, 0.05f},
        {"flat, Fresnel", {0.5f, 0.5f, 1, 1}, {1, 1, -2, 0}, {0, 0, 0.5f, 1}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Model-space normal: the map's (x, y, z) is model (x, z, y).
        const Vector4 sum{2 * c.texel.x - 1, 2 * c.texel.y - 1, 2 * c.texel.z - 1, 0};
        const Vector4 n = Normalized(Vector4{sum.x, sum.z, sum.y, 0});
        const Vector4 v = Normalized(c.eye);
        const float nv = std::fmax(0.0f, n.x * v.x + n.y * v.y + n.z * v.z);
        const Vector4 mirrored{2 * nv * n.x - v.x, 2 * nv * n.y - v.y, 2 * nv * n.z - v.z, 0};
        const float u = 0.5f + 0.5f * c.clip.x / c.clip.w + c.distortion * n.x;
        const float w = 0.5f - 0.5f * c.clip.y / c.clip.w + c.distortion * n.z;

        for (int probe = 0; probe < 2; ++probe) {
            // Probe 0: the projected reflection reports its coordinates, the sky is black.
            // Probe 1: the projected reflection is black, the sky reports its direction.
            ShaderRunner run(program);
            run.Set("t0", Vector4{0.5f, 0.5f, 0, 0});
            run.Set("t1", Vector4{0.1f, 0.2f, 0, 0});
            run.Set("t4", Vector4{0.3f, 0.4f, 0, 0});
            run.Set("t2", c.clip);
            run.Set("t3", c.eye);
            run.Set("t5", Vector4{0, 1, 0, 0});
            run.Set("c8", Vector4{1, 1, 1, 1});
            run.Set("c9", Vector4{c.distortion, c.r0, 1 - c.r0, 0});
            run.Set("c11", Vector4{1, 0, 0, 0});
            run.Set("c12", Vector4{1, 0, 0, 0});
            run.Set("c13", Vector4{0, 1, 0, 0});
            run.Set("c14", Vector4{0, 0, 1, 0});
            run.SetSampler([&](uint32_t stage, const Vector4& at) -> Vector4 {
                switch (stage) {
                case 1: return c.texel;
                case 2: return probe == 1 ? Normalized(at) : Vector4{0, 0, 0, 1};
                case 4: return probe == 0 ? Vector4{at.x, at.y, 0, 1} : Vector4{0, 0, 0, 1};
                default: return Vector4{0, 0, 0, 1};  // Water colour and refraction: black.
                }
            });
            ASSERT_TRUE(run.Run()) << run.Error();
            const Vector4 out = run.Get("oC0");
            if (c.r0 == 0) {  // No reflection straight down: the Fresnel weight of the sky.
                if (probe == 1)
                    ExpectNear(out, Vector4{QuietWater::Fresnel(0, nv) * mirrored.x, QuietWater::Fresnel(0, nv) * mirrored.y,
                                            QuietWater::Fresnel(0, nv) * mirrored.z, 0},
                               1e-4f, "weight");
                continue;
            }
            if (probe == 0)
                ExpectNear(out, Vector4{u, w, 0, 0}, 1e-5f, "screen lookup");
            else
                ExpectNear(out, Normalized(mirrored), 1e-5f, "sky direction");
        }
    }
}

TEST_F(NaturePrograms, QuietWaterShiftsItsReflectionByTheRipple)
{
    renderer->LimitShaderVersion(20);
    Ptr<ReflectiveQuietFlatWaterEffect> water = new ReflectiveQuietFlatWaterEffect();
    ShaderRunner run(Program(*water, true));
    run.Set("t2", Vector4{0.5f, 0.25f, 0.3f, 1});
    run.Set("t3", Vector4{0, 1, 0, 0});
    run.Set("c8", Vector4{0.2f, 0.4f, 0.6f, 1});
    run.Set("c9", Vector4{0.1f, 1, 0, 0});  // R0 1: the reflection alone.
    // A ripple tilted along v only: map (0.5, 0.8, 0.9) -> (0, 0.6, 0.8), model z 0.6.
    run.SetSampler([](uint32_t stage, const Vector4& at) -> Vector4 {
        return stage == 1 ? Vector4{0.5f, 0.8f, 0.9f, 1} : stage == 2 ? Vector4{at.x, at.y, 0, 1} : Vector4{1, 1, 1, 1};
    });
    ASSERT_TRUE(run.Run()) << run.Error();
    ExpectNear(run.Get("oC0"), Vector4{0.75f, 0.375f + 0.06f, 0, 0}, 1e-5f, "shifted lookup");
}

TEST_F(NaturePrograms, CloudsAreAsOpaqueAsTheirDensityAtBothLevels)
{
    const CloudsEffect::Parameters p{{0.01f, 0.004f}, 2.7f, 0.3f, 3.0f, 0.4f};
    const Vector4 color{0.9f, 0.8f, 0.7f, 1};
    for (uint32_t level : {20u, 11u}) {
        renderer->LimitShaderVersion(level);
        Ptr<CloudsEffect> clouds = new CloudsEffect();
        clouds->SetParameters(p);
        clouds->SetColor(color);
        clouds->SetEffectTexture(texture.Get());
        Ptr<Triangles> quad = test::MakeQuad("Sky", 1);
        ASSERT_EQ(quad->SetEffect(clouds.Get()), kSuccess);
        quad->Draw(renderer);  // The constants the programs read.
        const std::string program = Program(*clouds, true);
        // Layers (first, second) -> density 2/3 first + 1/3 second.
        const struct {
            float first, second;
        } cases[] = {{0.2f, 0.2f}, {0.5f, 0.2f}, {0.45f, 0.6f}, {0.9f, 0.9f}};
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(level) + ": " + std::to_string(c.first) + ", " + std::to_string(c.second));
            ShaderRunner run(program);
            for (uint32_t r = 0; r < 8; ++r)
                run.Set("c" + std::to_string(r), renderer->PixelConstant(r));
            for (uint32_t r = 8; r < 10 && level == 20; ++r)
                run.Set("c" + std::to_string(r), renderer->PixelConstant(r));
            run.Set("v0", color);
            run.Set("t0", Vector4{0.1f, 0.1f, 0, 0});
            run.Set("t1", Vector4{0.2f, 0.2f, 0, 0});
            run.SetSampler([&](uint32_t, const Vector4& at) -> Vector4 {
                const float d = at.x == 0.1f ? c.first : c.second;  // Told apart by where they are read.
                return Vector4{d, d, d, d};
            });
            ASSERT_TRUE(run.Run()) << run.Error();
            const float opacity = clouds->Opacity(c.first * 2 / 3 + c.second / 3);
            const Vector4 out = run.Get("oC0");
            EXPECT_NEAR(out.w, opacity, 1e-5f);
            EXPECT_NEAR(out.x, color.x * (1 - p.shade * opacity), 1e-5f);
            EXPECT_NEAR(out.z, color.z * (1 - p.shade * opacity), 1e-5f);
        }
    }
}

TEST_F(NaturePrograms, LavaGlowsByTheProductOfItsLayersAndThePulse)
{
    renderer->LimitShaderVersion(20);
    Ptr<LavaEffect> lava = new LavaEffect();
    ShaderRunner run(Program(*lava, true));
    run.Set("t0", Vector4{0.3f, 0.6f, 0, 0});
    run.Set("t1", Vector4{0.1f, 0.1f, 0, 0});
    run.Set("c8", Vector4{0.5f, 0, 0, 0});      // Warp.
    run.Set("c9", Vector4{1.3f, 0.65f, 0.2f, 1});  // Colour x pulse.
    Vector4 asked{0, 0, 0, 0};
    run.SetSampler([&](uint32_t, const Vector4& at) -> Vector4 {
        if (at.x == 0.1f)
            return Vector4{0.7f, 0.4f, 0.5f, 1};  // The slow layer: red 0.7, green 0.4.
        asked = at;
        return Vector4{0.8f, 0.5f, 0.25f, 1};
    });
    ASSERT_TRUE(run.Run()) << run.Error();
    // The flow lookup moved by (0.7 - 0.5, 0.4 - 0.5) x 0.5.
    EXPECT_NEAR(asked.x, 0.4f, 1e-6f);
    EXPECT_NEAR(asked.y, 0.55f, 1e-6f);
    ExpectNear(run.Get("oC0"), Vector4{0.8f * 0.7f * 2 * 1.3f, 0.5f * 0.4f * 2 * 0.65f, 0.25f * 0.5f * 2 * 0.2f, 0},
               1e-5f, "glow");
}

// Shader model 1: no warp, the same product and pulse, and the colour's alpha kept through the
// doublings the program needs to stay within its constant range.
TEST_F(NaturePrograms, LavaAtShaderModelOneKeepsTheGlowAndTheAlpha)
{
    renderer->LimitShaderVersion(11);
    Ptr<LavaEffect> lava = new LavaEffect();
    lava->SetTexture(texture.Get());
    lava->SetColor(Vector4{0.8f, 0.5f, 0.2f, 0.5f});
    lava->SetParameters(LavaEffect::Parameters{{0.02f, 0.035f}, 0.5f, 0.04f, 0.25f, 0.3f});
    lava->Update(1.0);  // Pulse 1.3.
    Ptr<Triangles> quad = test::MakeQuad("Lava", 1);
    ASSERT_EQ(quad->SetEffect(lava.Get()), kSuccess);
    quad->Draw(renderer);
    ShaderRunner run(Program(*lava, true));
    run.Set("c0", renderer->PixelConstant(0));
    run.SetSampler([](uint32_t stage, const Vector4&) {
        return stage == 0 ? Vector4{0.6f, 0.5f, 0.4f, 1} : Vector4{0.7f, 0.4f, 0.5f, 0.8f};
    });
    ASSERT_TRUE(run.Run()) << run.Error();
    const Vector4 out = run.Get("oC0");
    EXPECT_NEAR(out.x, 0.6f * 0.7f * 2 * 0.8f * 1.3f, 1e-5f);  // As at shader model 2: doubled.
    EXPECT_NEAR(out.y, 0.5f * 0.4f * 2 * 0.5f * 1.3f, 1e-5f);
    EXPECT_NEAR(out.w, 0.8f * 0.5f, 1e-5f);
}

TEST_F(NaturePrograms, TheGrassVertexProgramSwaysAsTheEffectSays)
{
    Ptr<GrassEffect> grass = new GrassEffect();
    grass->SetTexture(texture.Get());
    grass->SetWind(GrassEffect::Wind{{3, 4}, 0.5f, 0.7f});
    grass->Update(1.3);
    Ptr<Triangles> quad = test::MakeQuad("Grass", 1);
    ASSERT_EQ(quad->SetTexCoords(1, quad->TexCoords(0)), kSuccess);
    ASSERT_EQ(quad->SetEffect(grass.Get()), kSuccess);
    quad->Draw(renderer);
    const std::string program = Program(*grass, false);
    const struct {
        float weight, phase;
    } cases[] = {{1, 0}, {1, 0.37f}, {0.5f, 0.81f}, {0, 0.2f}, {0.8f, 2.6f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.weight) + ", " + std::to_string(c.phase));
        ShaderRunner run(program);
        // Identity matrices: the clip position is the moved position.
        for (uint32_t r = 0; r < 8; ++r)
            run.Set("c" + std::to_string(r), Vector4{r % 4 == 0 ? 1.0f : 0, r % 4 == 1 ? 1.0f : 0,
                                                    r % 4 == 2 ? 1.0f : 0, r % 4 == 3 ? 1.0f : 0});
        for (uint32_t r = 8; r < 11; ++r)
            run.Set("c" + std::to_string(r), renderer->VertexConstant(r));
        run.Set("v0", Vector4{2, 0.5f, -1, 1});
        run.Set("v2", Vector4{c.weight, c.phase, 0, 0});
        ASSERT_TRUE(run.Run()) << run.Error();
        const float sway = grass->Sway(c.weight, c.phase) * 0.5f;
        ExpectNear(run.Get("oPos"), Vector4{2 + sway * 0.6f, 0.5f, -1 + sway * 0.8f, 0}, 1e-4f, "moved");
    }
}

}  // namespace
}  // namespace zen
