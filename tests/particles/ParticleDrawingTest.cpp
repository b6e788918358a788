#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Random.h"
#include "engine/particles/Foliage.h"
#include "engine/particles/NodeParticleSystem.h"
#include "engine/particles/PointEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/SpriteEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Vector2Buffer.h"
#include "support/Near.h"
#include "support/RecordBytes.h"
#include "support/RecordingFixture.h"
#include "support/SceneBuilder.h"

// What particle systems hand the renderer: point-sprite buffers or camera-facing quads, the
// sprite effect's state, node copies of a model, and foliage that sways without dying.
namespace zen {
namespace {

using Parameters = ParticleSystem::Parameters;

class ParticleDrawing : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        UseDeviceAndScene();
        Random::Seed(1);
    }
    void SetPointSprites(bool on)
    {
        RendererCapabilities capabilities = renderer->GetCapabilities();
        capabilities.pointSprites = on;
        renderer->SetDeviceCapabilities(capabilities);
    }
    // A sprite system 10 units ahead, bursting `burst` particles at once that fly up at 1/s.
    Ptr<SpriteParticleSystem> AddSprites(int32_t pool, int32_t burst, bool blended = false)
    {
        Ptr<SpriteParticleSystem> system = new SpriteParticleSystem();
        system->SetName(String("Sparks"));
        test::Place(*system, Vector3{0, 0, 10});
        EXPECT_EQ(system->SetMaxParticles(pool), kSuccess);
        Parameters p;
        p.intervalBase = 100.0f;
        p.burstBase = burst;
        p.lifetimeBase = 50.0f;
        p.startColorBase = {1, 0.5f, 0.25f, 1};
        p.endColorBase = {1, 0.5f, 0.25f, 1};
        p.startSizeBase = p.endSizeBase = 0.5f;
        EXPECT_EQ(system->SetParameters(p), kSuccess);
        static_cast<PointEmitter*>(system->GetEmitter())->SetAngles(0, 0);
        Ptr<SpriteEffect> effect = new SpriteEffect();
        EXPECT_EQ(effect->SetBlending(blended, RenderState::kBlendSourceAlpha, RenderState::kBlendOne), kSuccess);
        EXPECT_EQ(system->SetEffect(effect.Get()), kSuccess);
        EXPECT_EQ(root->AttachChild(system.Get()), kSuccess);
        return system;
    }
};

// Point sprites: one vertex, colour and size per live particle in list order, exactly the live
// count drawn, with the world transform left out (positions are already in world space).
TEST_F(ParticleDrawing, PointSpritesWriteOneVertexPerLiveParticle)
{
    SetPointSprites(true);
    Ptr<SpriteParticleSystem> system = AddSprites(100, 7);
    DrawFrame(0.5);
    DrawFrame(1.0);
    ASSERT_TRUE(system->UsesPointSprites());
    EXPECT_EQ(system->GetPrimitiveType(), GeometryNode::kPoints);
    ASSERT_EQ(system->Vertices()->GetCount(), 100u);
    ASSERT_EQ(system->PointSizes()->GetCount(), 100u);
    EXPECT_EQ(system->TexCoords(0), nullptr);
    EXPECT_EQ(system->LiveCount(), 7u);
    EXPECT_EQ(system->DrawCount(), 7u);
    uint32_t i = 0;
    for (const Particle* q = system->FirstLive(); q; q = q->next, ++i) {
        EXPECT_EQ(system->Vertices()->Data()[i], q->position);
        EXPECT_EQ(system->Vertices()->Data()[i], (Vector3{0, 1, 10}));  // One second up at 1/s.
        EXPECT_EQ(system->Colors()->Data()[i], (Vector4{1, 0.5f, 0.25f, 1}));
        EXPECT_EQ(system->PointSizes()->Data()[i], 0.5f);
    }
    EXPECT_EQ(Lines({"DrawNonIndexed"}), std::vector<std::string>{"DrawNonIndexed 7"});
    EXPECT_TRUE(Lines({"DrawCurrentGeometry"}).empty());
    EXPECT_EQ(Lines({"SetWorld"}), std::vector<std::string>{"SetWorld [ 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1 ]"});
    // The effect's pass turns point sprites on and reads positions, colours and sizes.
    RenderStateBlock* block = system->GetEffect()->CurrentTechnique()->GetPass(0)->RenderStates();
    EXPECT_TRUE(block->State().pointSprites);
    EXPECT_EQ(Lines({"SetStream"}).size(), 3u);
    // The node's transform is back after drawing; the bound holds the particles.
    EXPECT_EQ(system->WorldTransform().translation, (Vector3{0, 0, 10}));
    EXPECT_EQ(system->WorldBound()->GetCenter(), (Vector3{0, 1, 10}));
}

// Without point sprites: two triangles a particle facing the camera, the square of corners
// position ± size x D1 and ± size x D2 with D1 = (R + U)/|R + U|/2, D2 = (R - U)/|R - U|/2, in
// the fixed corner order, with the fixed texture coordinates.
TEST_F(ParticleDrawing, WithoutPointSpritesEachParticleIsACameraFacingQuad)
{
    SetPointSprites(false);
    Ptr<SpriteParticleSystem> system = AddSprites(10, 2);
    DrawFrame(0.0);
    DrawFrame(0.5);
    ASSERT_FALSE(system->UsesPointSprites());
    EXPECT_EQ(system->GetPrimitiveType(), GeometryNode::kTriangles);
    ASSERT_EQ(system->Vertices()->GetCount(), 60u);
    ASSERT_EQ(system->LiveCount(), 2u);
    EXPECT_EQ(system->DrawCount(), 4u);
    EXPECT_EQ(Lines({"DrawNonIndexed"}), std::vector<std::string>{"DrawNonIndexed 4"});
    // Camera axes R = (1,0,0), U = (0,1,0): D1 = (0.3536, 0.3536, 0), D2 = (0.3536, -0.3536, 0).
    const float h = 0.5f * 0.70710678f * 0.5f;  // size 0.5 x half of the unit diagonal.
    const Vector3 p{0, 0, 10};                    // Born this frame: not yet moved.
    const Vector3 expected[6] = {{p.x - h, p.y - h, p.z}, {p.x - h, p.y + h, p.z}, {p.x + h, p.y - h, p.z},
                                 {p.x - h, p.y + h, p.z}, {p.x + h, p.y + h, p.z}, {p.x + h, p.y - h, p.z}};
    const Vector2 coords[6] = {{0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {1, 1}};
    auto* texCoords = static_cast<Vector2Buffer*>(system->TexCoords(0));
    ASSERT_NE(texCoords, nullptr);
    for (int k = 0; k < 6; ++k) {
        test::ExpectNear(system->Vertices()->Data()[k], expected[k], 1e-6f, std::to_string(k));
        EXPECT_EQ(texCoords->Data()[k].x, coords[k].x);
        EXPECT_EQ(texCoords->Data()[k].y, coords[k].y);
        EXPECT_EQ(system->Colors()->Data()[k], (Vector4{1, 0.5f, 0.25f, 1}));
        EXPECT_EQ(texCoords->Data()[54 + k].x, coords[k].x);  // Every particle's six alike.
    }
    // Both triangles wind clockwise as the camera sees them (x right, y up, looking along +z).
    for (int t = 0; t < 2; ++t) {
        const Vector3 a = system->Vertices()->Data()[3 * t], b = system->Vertices()->Data()[3 * t + 1],
                      c = system->Vertices()->Data()[3 * t + 2];
        const float crossZ = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        EXPECT_LT(crossZ, 0.0f) << t;
    }
    RenderStateBlock* block = system->GetEffect()->CurrentTechnique()->GetPass(0)->RenderStates();
    EXPECT_FALSE(block->State().pointSprites);

    // A turned camera turns the quads with it: the quad's plane is normal to its view axis.
    Quaternion turn{0, std::sin(0.4f), 0, std::cos(0.4f)};
    camera->LocalTransform().SetRotation(turn);
    camera->UpdateWorldTransform();
    DrawFrame(0.1);
    const Vector3* v = system->Vertices()->Data();
    const Vector3 forward = camera->Forward();
    EXPECT_NEAR((v[4] - v[0]).Dot(forward), 0.0f, 1e-5f);
    EXPECT_NEAR((v[1] - v[2]).Dot(forward), 0.0f, 1e-5f);
}

// Switching the renderer's point-sprite support rebuilds the buffers in the other kind.
TEST_F(ParticleDrawing, BuffersFollowTheRenderersPointSpriteSupport)
{
    SetPointSprites(false);
    Ptr<SpriteParticleSystem> system = AddSprites(8, 3);
    DrawFrame(0.1);
    EXPECT_EQ(system->Vertices()->GetCount(), 48u);
    SetPointSprites(true);
    DrawFrame(0.1);
    EXPECT_EQ(system->Vertices()->GetCount(), 8u);
    EXPECT_EQ(system->DrawCount(), 3u);
    EXPECT_EQ(system->TexCoords(0), nullptr);
}

// Blended sprites are queued and drawn after the opaque scene, still in world space.
TEST_F(ParticleDrawing, BlendedSpritesAreDrawnFromTheDeferredQueue)
{
    SetPointSprites(true);
    Ptr<SpriteParticleSystem> system = AddSprites(20, 5, true);
    DrawFrame(0.2);
    EXPECT_EQ(Lines({"DrawNonIndexed"}), std::vector<std::string>{"DrawNonIndexed 5"});
    EXPECT_EQ(Lines({"SetWorld"}), std::vector<std::string>{"SetWorld [ 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1 ]"});
    // An empty system draws nothing at all.
    system->Clear();
    system->SetEmissionStopped(true);
    DrawFrame(0.2);
    EXPECT_TRUE(Lines({"DrawNonIndexed"}).empty());
}

// Counts how often the sprite effect's passes are prepared.
class CountingSpriteEffect : public SpriteEffect {
public:
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override
    {
        ++prepared;
        SpriteEffect::PreparePass(pass, state);
    }
    int prepared = 0;
};

// One sprite effect shared by several systems: once its technique is chosen (the first frame),
// attaching it to another owner prepares its passes again only when that owner draws otherwise
// (camera-facing quads instead of point sprites, or back).
TEST_F(ParticleDrawing, SharedSpriteEffectPreparesOncePerKindOfOwner)
{
    Ptr<CountingSpriteEffect> effect = new CountingSpriteEffect();
    SetPointSprites(true);
    Ptr<SpriteParticleSystem> first = AddSprites(4, 1), second = AddSprites(4, 1), third = AddSprites(4, 1);
    Ptr<Triangles> quads = new Triangles();
    ASSERT_EQ(first->SetEffect(effect.Get()), kSuccess);
    DrawFrame(0.1);
    ASSERT_NE(effect->CurrentTechnique(), nullptr);
    const RenderStateBlock* block = effect->CurrentTechnique()->GetPass(0)->RenderStates();
    EXPECT_TRUE(block->State().pointSprites);
    const int before = effect->prepared;
    struct Step {
        GeometryNode* owner;
        int prepared;  // Since the first frame.
        bool pointSprites;
    };
    const Step steps[] = {
        {second.Get(), 0, true}, {first.Get(), 0, true}, {quads.Get(), 1, false}, {third.Get(), 2, true}};
    for (const Step& step : steps) {
        ASSERT_EQ(step.owner->SetEffect(effect.Get()), kSuccess);
        EXPECT_EQ(effect->prepared - before, step.prepared);
        EXPECT_EQ(block->State().pointSprites, step.pointSprites);
    }
}

// The sprite effect: vertex colour times the texture (the colour alone without one), and its
// stream form (the base fields, then the texture link).
TEST_F(ParticleDrawing, SpriteEffectCombinesColourAndTextureAndRoundTrips)
{
    SetPointSprites(true);
    Ptr<SpriteParticleSystem> system = AddSprites(4, 1);
    DrawFrame(0.1);
    auto* effect = static_cast<SpriteEffect*>(system->GetEffect());
    RenderStateBlock* block = effect->CurrentTechnique()->GetPass(0)->RenderStates();
    const RenderState::Stage& plain = block->State().stages[0];
    EXPECT_EQ(plain.combineMode, RenderState::kCombineCustom);
    EXPECT_EQ(plain.colorOp, RenderState::kCombineSelect);
    EXPECT_EQ(plain.colorArg[0], RenderState::kArgDiffuse);
    EXPECT_EQ(plain.alphaArg[0], RenderState::kArgDiffuse);
    EXPECT_EQ(plain.alphaArgMod[0], 0);
    EXPECT_TRUE(Lines({"SetTexture 0 null"}).size() == 1);

    Ptr<Texture> texture = new Texture();
    texture->SetName(String("Drop"));
    effect->SetTexture(texture.Get());
    const RenderState::Stage& textured = block->State().stages[0];
    EXPECT_EQ(textured.colorOp, RenderState::kCombineMultiply);
    EXPECT_EQ(textured.colorArg[0], RenderState::kArgTexture);
    EXPECT_EQ(textured.colorArg[1], RenderState::kArgDiffuse);
    EXPECT_EQ(textured.alphaOp, RenderState::kCombineMultiply);
    DrawFrame(0.1);
    EXPECT_EQ(Lines({"SetTexture 0 #"}).size(), 1u);

    effect->SetName(String("Glow"));
    effect->SetFogRange(0.3f, 2.0f);
    const test::Bytes bytes = test::SavedRecord(effect);
    Ptr<SpriteEffect> back = test::LoadedRecord<SpriteEffect>(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Name(), "Glow");
    ASSERT_TRUE(back->GetTexture());
    EXPECT_EQ(back->GetTexture()->Name(), "Drop");
    EXPECT_TRUE(back->IsBlended() == effect->IsBlended());
    EXPECT_EQ(back->SwayAmplitude(), 0.3f);
    EXPECT_EQ(back->SwayFrequency(), 2.0f);
    EXPECT_EQ(back->FindByName(String("Drop")), back->GetTexture());
    // The record ends with the texture's link: cut inside it, the load fails.
    test::Bytes cut(bytes.begin(), bytes.end() - 1);
    Result result = kSuccess;
    EXPECT_FALSE(test::LoadedRecord<SpriteEffect>(cut, &result));
    EXPECT_NE(result, kSuccess);
}

// Node particles: the model drawn once per particle at its position and size, with its colour
// effect set to the particle's colour; the model's transform and colour are back afterwards.
TEST_F(ParticleDrawing, NodeParticlesDrawTheModelOncePerParticle)
{
    renderer->LimitShaderVersion(0);  // Fixed function: the world transform shows in the journal.
    Ptr<Triangles> model = test::MakeQuad("Leaf", 1.0f);
    Ptr<ColorEffect> color = new ColorEffect();
    color->SetColor({0.1f, 0.2f, 0.3f, 0.4f});
    ASSERT_EQ(model->SetEffect(color.Get()), kSuccess);
    model->LocalTransform().SetTranslation({7, 7, 7});
    model->UpdateWorldTransform();

    Ptr<NodeParticleSystem> system = new NodeParticleSystem();
    test::Place(*system, Vector3{0, 0, 10});
    ASSERT_EQ(system->SetMaxParticles(10), kSuccess);
    ASSERT_EQ(system->SetModel(model.Get()), kSuccess);
    EXPECT_EQ(system->SetModel(system.Get()), kInvalidArgument);
    Parameters p;
    p.intervalBase = 1.0f;
    p.burstBase = 1;
    p.lifetimeBase = 100.0f;
    p.startSizeBase = p.endSizeBase = 2.0f;
    p.startColorBase = p.endColorBase = {0.9f, 0.8f, 0.7f, 1.0f};
    ASSERT_EQ(system->SetParameters(p), kSuccess);
    static_cast<PointEmitter*>(system->GetEmitter())->SetAngles(0, 0);
    ASSERT_EQ(root->AttachChild(system.Get()), kSuccess);
    DrawFrame(0.5);  // Born at (0, 0, 10).
    DrawFrame(1.0);  // Moved to (0, 1, 10); a second one born at (0, 0, 10).
    ASSERT_EQ(system->LiveCount(), 2u);
    EXPECT_EQ(Lines({"DrawCurrentGeometry"}), std::vector<std::string>(2, "DrawCurrentGeometry [Leaf] 2"));
    // Newest first: scale 2 at (0, 0, 10), then at (0, 1, 10).
    EXPECT_EQ(Lines({"SetWorld"}), (std::vector<std::string>{"SetWorld [ 2 0 0 0 | 0 2 0 0 | 0 0 2 0 | 0 0 10 1 ]",
                                                             "SetWorld [ 2 0 0 0 | 0 2 0 0 | 0 0 2 0 | 0 1 10 1 ]"}));
    EXPECT_EQ(model->WorldTransform().translation, (Vector3{7, 7, 7}));
    EXPECT_EQ(model->WorldTransform().scale, (Vector3{1, 1, 1}));
    EXPECT_EQ(color->Color(), (Vector4{0.1f, 0.2f, 0.3f, 0.4f}));

    // Stream: the particle system's record, then the model link. Saved on its own: with a parent
    // the record would carry the whole ancestry.
    ASSERT_EQ(root->DetachChild(system.Get()), kSuccess);
    system->SetName(String("Leaves"));
    Ptr<NodeParticleSystem> back = test::LoadedRecord<NodeParticleSystem>(test::SavedRecord(system.Get()));
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->Model());
    EXPECT_EQ(back->Model()->Name(), "Leaf");
    EXPECT_EQ(back->FindByName(String("Leaf")), back->Model());
}

// Foliage: particles stay at their anchor, offset along their sway vector by
// A x sinDeg(phase + own phase); they never age or die.
TEST_F(ParticleDrawing, FoliageSwaysAboutItsAnchorsAndNeverDies)
{
    SetPointSprites(true);
    Ptr<Foliage> foliage = new Foliage();
    test::Place(*foliage, Vector3{0, 0, 10});
    ASSERT_EQ(foliage->SetMaxParticles(16), kSuccess);
    Parameters p;
    p.intervalBase = 0.5f;
    p.burstBase = 4;
    p.lifetimeBase = 0.01f;  // Kept but never used: foliage does not die.
    p.speedBase = 2.0f;
    ASSERT_EQ(foliage->SetParameters(p), kSuccess);
    static_cast<PointEmitter*>(foliage->GetEmitter())->SetAngles(0, 0);
    Ptr<SpriteEffect> effect = new SpriteEffect();
    effect->SetFogRange(0.25f, 3.0f);  // Sway amplitude 0.25, 3 radians per second.
    ASSERT_EQ(foliage->SetEffect(effect.Get()), kSuccess);
    ASSERT_EQ(root->AttachChild(foliage.Get()), kSuccess);
    double clock = 0;
    std::set<const Particle*> older;  // Particles born before this frame (newborns sit at birth).
    for (int frame = 0; frame < 40; ++frame) {
        DrawFrame(0.1);
        clock += 0.1;
        ASSERT_LE(foliage->LiveCount(), 16u);
        std::set<const Particle*> seen;
        for (const Particle* q = foliage->FirstLive(); q; q = q->next) {
            seen.insert(q);
            // Anchor (0, 0, 10), sway vector (0, 2, 0), own phase in [0, 1].
            ASSERT_GE(q->age, 0.0f);
            ASSERT_LE(q->age, 1.0f);
            EXPECT_EQ(q->acceleration, (Vector3{0, 0, 10}));
            const float phase = static_cast<float>(3.0 * clock);
            const float expectedY = 2.0f * (0.25f * Foliage::SinDegrees(phase + q->age));
            if (older.count(q)) {
                EXPECT_NEAR(q->position.y, expectedY, 1e-5f);
            }
        }
        for (const Particle* q : older)
            EXPECT_TRUE(seen.count(q));  // Nobody dies.
        older = seen;
    }
    EXPECT_EQ(foliage->LiveCount(), 16u);  // Full and nobody died.
    EXPECT_EQ(foliage->DrawCount(), 16u);
    EXPECT_NEAR(effect->Clock(), 4.0, 1e-9);
    // An amplitude that is not a number leaves every particle at its anchor.
    effect->SetFogRange(INFINITY, 3.0f);
    DrawFrame(0.1);
    for (const Particle* q = foliage->FirstLive(); q; q = q->next)
        EXPECT_EQ(q->position, q->acceleration);
}

// The sine table: whole degrees of the radians (truncated), wrapped into 0..359; values from
// the sine of those whole degrees. Not-a-number, infinite and huge inputs stay in range.
TEST(Foliage, SinDegreesReadsWholeDegreesFromTheTable)
{
    const struct {
        float radians;
        float expected;
    } cases[] = {
        {0.0f, 0.0f},
        {1.5707964f, 1.0f},               // 90 degrees.
        {0.5f, 0.46947156f},              // 28.6 degrees -> sin 28.
        {-1.5707964f, -1.0f},             // -90 -> 270.
        {-0.5f, -0.46947156f},            // -28 -> 332.
        {6.2831855f + 0.5f, 0.46947156f}, // 388.6 -> 28.
        {100.0f, -0.51503807f},           // 5729.578 -> 5729 -> 329 degrees.
        {NAN, 0.0f},
        {INFINITY, 0.0f},
        {-INFINITY, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(Foliage::SinDegrees(c.radians), c.expected, 1e-6f) << c.radians;
    for (float huge : {1e30f, -3e38f})  // Beyond any integer: still a table entry.
        EXPECT_LE(std::fabs(Foliage::SinDegrees(huge)), 1.0f);
}

}  // namespace
}  // namespace zen
