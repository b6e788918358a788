#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/scene/ColorEffect.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNodeEffect.h"
#include "engine/scene/TextureEffect.h"
#include "support/AttachedQuad.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/TestClasses.h"

// The draw path through the recording renderer: opaque geometry at once, blended geometry
// queued and flushed back to front, scene-node effects wrapping their children per pass,
// failing passes skipped and the state stack pushed and popped around each draw.
namespace zen {
namespace {

// A pass that does what a test says: pushes a light (when given) and returns a set result.
class ScriptedPass : public Pass {
public:
    ScriptedPass(Result result, Light* light) : m_result(result), m_light(light) {}
    Result Apply(Renderer* renderer) override
    {
        if (m_light) {
            EXPECT_EQ(renderer->PushLightState(m_light), kSuccess);
        }
        return m_result;
    }

private:
    Result m_result;
    Light* m_light;
};

// A scene-node effect with one scripted pass per given result.
class WrappingEffect : public SceneNodeEffect {
public:
    explicit WrappingEffect(std::vector<Result> results, Light* light = nullptr, uint32_t shaderVersion = 0)
        : m_results(std::move(results)), m_light(light)
    {
        EXPECT_EQ(AddTechnique(shaderVersion, shaderVersion), kSuccess);
    }
    Result CreatePasses(uint32_t, Technique& out) override
    {
        for (Result result : m_results)
            EXPECT_EQ(out.AddPass(new ScriptedPass(result, m_light)), kSuccess);
        return kSuccess;
    }

private:
    std::vector<Result> m_results;
    Light* m_light;
};

// A colour effect whose pass also lights the geometry with `light`, and fails on request.
class LitColorEffect : public ColorEffect {
public:
    LitColorEffect(Light* light, Result result = kSuccess) : m_light(light), m_result(result) {}
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override
    {
        EXPECT_EQ(renderer.PushLightState(m_light), kSuccess);
        (void)ColorEffect::BindPass(pass, renderer, node);
        return m_result;
    }

private:
    Light* m_light;
    Result m_result;
};

// An effect that only a future device could draw.
class FutureEffect : public GeometryNodeEffect {
public:
    FutureEffect() { EXPECT_EQ(AddTechnique(30, 30), kSuccess); }
    Result CreatePasses(uint32_t, Technique&) override
    {
        ADD_FAILURE() << "an unsupported technique builds no passes";
        return kFailure;
    }
};

class DrawPath : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        UseDeviceAndScene();
    }

    // A 2 x 2 quad at distance z in front of the camera, drawn with a colour effect.
    Ptr<Triangles> AddQuad(SceneNode& parent, const char* name, float z, bool blended = false)
    {
        Ptr<ColorEffect> effect = new ColorEffect();
        EXPECT_EQ(effect->SetBlending(blended, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha),
                  kSuccess);
        return test::AttachQuad(parent, name, Vector3{0, 0, z}, effect.Get());
    }

    std::vector<std::string> Draws() const { return Lines({"DrawCurrentGeometry"}); }
};

// --- Geometry nodes -----------------------------------------------------------------------------

TEST(PrimitiveCounts, FollowThePrimitiveTypeAndDropIncompletePrimitives)
{
    EXPECT_EQ(GeometryNode::PrimitiveCount(GeometryNode::kTriangles, 7), 2u);  // The seventh index is left over.
    EXPECT_EQ(GeometryNode::PrimitiveCount(GeometryNode::kTriangles, 2), 0u);
    EXPECT_EQ(GeometryNode::PrimitiveCount(GeometryNode::kLines, 5), 2u);
    EXPECT_EQ(GeometryNode::PrimitiveCount(GeometryNode::kStripLines, 5), 4u);
    EXPECT_EQ(GeometryNode::PrimitiveCount(GeometryNode::kStripLines, 1), 0u);
    EXPECT_EQ(GeometryNode::PrimitiveCount(GeometryNode::kStripLines, 0), 0u);
    EXPECT_EQ(GeometryNode::PrimitiveCount(GeometryNode::kPoints, 5), 5u);
    EXPECT_EQ(GeometryNode::PrimitiveCount(7, 9), 0u);
    // Without indices the vertices count.
    Ptr<Triangles> loose = new Triangles();
    loose->SetVertices(new Vector3Buffer(6));
    EXPECT_EQ(loose->PrimitiveCount(), 2u);
    loose->SetIndices(test::MakeIntBuffer({0, 1, 2}).Get());
    EXPECT_EQ(loose->PrimitiveCount(), 1u);
}

TEST_F(DrawPath, OpaqueGeometryIsDrawnAtOnceAndBlendedGeometryAfterItFarthestFirst)
{
    AddQuad(*root, "BlendedNear", 5, true);
    AddQuad(*root, "OpaqueA", 8);
    AddQuad(*root, "BlendedFar", 30, true);
    AddQuad(*root, "OpaqueB", 15);
    AddQuad(*root, "BlendedMiddle", 12, true);
    DrawFrame();
    const std::vector<std::string> expected = {
        "DrawCurrentGeometry [OpaqueA] 2",    "DrawCurrentGeometry [OpaqueB] 2",
        "DrawCurrentGeometry [BlendedFar] 2", "DrawCurrentGeometry [BlendedMiddle] 2",
        "DrawCurrentGeometry [BlendedNear] 2"};
    EXPECT_EQ(Draws(), expected);
    EXPECT_EQ(renderer->Journal().back(), "EndFrame");
    EXPECT_EQ(renderer->Deferred().Count(), 0u);

    // The distance is measured from the camera's world position: seen from behind the far
    // quad (looking back along -z), the order turns round.
    camera->LocalTransform().translation = Vector3{0, 0, 40};
    ASSERT_EQ(camera->SetDirection(Vector3{0, 0, -1}), kSuccess);
    DrawFrame();
    const std::vector<std::string> reversed = {
        "DrawCurrentGeometry [OpaqueA] 2",     "DrawCurrentGeometry [OpaqueB] 2",
        "DrawCurrentGeometry [BlendedNear] 2", "DrawCurrentGeometry [BlendedMiddle] 2",
        "DrawCurrentGeometry [BlendedFar] 2"};
    EXPECT_EQ(Draws(), reversed);
}

TEST_F(DrawPath, GeometryWithoutAnEnabledSupportedEffectOrOutsideTheViewIsNotDrawn)
{
    test::AttachQuad(*root, "Bare", Vector3{0, 0, 10}, nullptr);
    Ptr<Triangles> disabled = AddQuad(*root, "Disabled", 10);
    disabled->GetEffect()->SetEnabled(false);
    AddQuad(*root, "Behind", -10);
    AddQuad(*root, "BlendedBehind", -10, true);
    Ptr<Triangles> future = test::AttachQuad(*root, "Future", Vector3{0, 0, 10}, new FutureEffect());
    AddQuad(*root, "Seen", 10);
    test::LogCapture log;
    DrawFrame();
    EXPECT_EQ(Draws(), std::vector<std::string>{"DrawCurrentGeometry [Seen] 2"});
    EXPECT_EQ(Lines({"SetPass"}).size(), 1u);
    for (const std::string& line : log.Lines())
        EXPECT_EQ(line.rfind("ERROR", 0), std::string::npos) << line;
    EXPECT_EQ(future->GetEffect()->GetPassCount(), 0u);
}

TEST_F(DrawPath, AShaderPassBindsTheGeometryShadersAndConstantsBeforeTheDraw)
{
    Ptr<Triangles> quad = AddQuad(*root, "Quad", 10);
    DrawFrame();
    auto* pass = static_cast<GeometryNodeEffectPass*>(quad->GetEffect()->CurrentTechnique()->GetPass(0));
    const std::vector<std::string> expected = {
        "SetPass " + renderer->Tag(pass),
        "SetStream Vector3 " + renderer->Tag(quad->Vertices()) + " 0",
        "SetIndices " + renderer->Tag(quad->Indices()),
        "SetVertexShader " + renderer->Tag(pass->GetVertexShader()),
        "SetPixelShader " + renderer->Tag(pass->GetPixelShader()),
        "SetVertexShaderConstants 0 4",  // World x view x projection.
        "SetVertexShaderConstants 4 4",  // World x view.
        "SetVertexShaderConstants 8 1",  // The colour.
        "SetVertexShaderConstants 9 1",  // Fog.
        "DrawCurrentGeometry [Quad] 2",
    };
    const std::vector<std::string>& journal = renderer->Journal();
    auto first = std::find(journal.begin(), journal.end(), expected.front());
    ASSERT_NE(first, journal.end());
    EXPECT_EQ(std::vector<std::string>(first, first + static_cast<long>(expected.size())), expected);
    // The layout the device declaration follows: positions in stream 0.
    ASSERT_EQ(pass->Layout().Count(), 1u);
    EXPECT_EQ(pass->Layout()[0].usage, VertexElement::kPosition);
    EXPECT_EQ(pass->Layout()[0].type, VertexElement::kFloat3);
}

TEST_F(DrawPath, AFixedFunctionPassSetsTheDeviceTransformsFromTheNodeAndTheCamera)
{
    UseShaderVersion(0);
    AddQuad(*root, "Quad", 10);
    DrawFrame();
    EXPECT_EQ(Lines({"SetVertexShader", "SetPixelShader"}),
              (std::vector<std::string>{"SetVertexShader null", "SetPixelShader null"}));
    EXPECT_EQ(Lines({"SetWorld"}), std::vector<std::string>{"SetWorld [ 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 10 1 ]"});
    EXPECT_EQ(Lines({"SetView"}).size(), 1u);
    EXPECT_EQ(renderer->GetView(), camera->View());
    EXPECT_EQ(renderer->GetProjection(), camera->Projection());
    EXPECT_TRUE(Lines({"SetVertexShaderConstants"}).empty());
}

TEST_F(DrawPath, ATexturePassNeedsItsCoordinateSetAndBindsTheTextureInStageZero)
{
    Ptr<Image> image = new Image(String("Pixels"), Image::kR8G8B8, 4, 4);
    Ptr<Texture> texture = new Texture(String("Checker"), image.Get());
    Ptr<TextureEffect> effect = new TextureEffect();
    effect->SetTexture(texture.Get());
    ASSERT_EQ(effect->SetTexCoordSet(1), kSuccess);
    // Coordinates in set 0 only.
    Ptr<Triangles> quad = test::AttachQuad(*root, "Quad", Vector3{0, 0, 10}, effect.Get());
    DrawFrame();
    EXPECT_TRUE(Draws().empty());  // The pass fails without set 1 and is skipped.

    ASSERT_EQ(quad->SetTexCoords(1, quad->TexCoords(0)), kSuccess);
    DrawFrame();
    EXPECT_EQ(Draws(), std::vector<std::string>{"DrawCurrentGeometry [Quad] 2"});
    EXPECT_EQ(Lines({"SetStream"}),
              (std::vector<std::string>{"SetStream Vector3 " + renderer->Tag(quad->Vertices()) + " 0",
                                        "SetStream Vector2 " + renderer->Tag(quad->TexCoords(1)) + " 1"}));
    EXPECT_EQ(Lines({"SetTexture"}), std::vector<std::string>{"SetTexture 0 " + renderer->Tag(texture.Get())});
    const VertexLayout& layout = effect->CurrentTechnique()->GetPass(0)->Layout();
    ASSERT_EQ(layout.Count(), 2u);
    EXPECT_EQ(layout[1].usage, VertexElement::kTexCoord);
    EXPECT_EQ(layout[1].usageIndex, 0);  // Set 1 feeds the program's first coordinates.
    EXPECT_EQ(layout[1].set, 1);
}

TEST_F(DrawPath, ABufferChangeOrAnotherGeometrysLayoutInvalidatesThePass)
{
    Ptr<TextureEffect> shared = new TextureEffect();
    Ptr<Triangles> flat = test::AttachQuad(*root, "Flat", Vector3{0, 0, 10}, shared.Get());
    Ptr<Triangles> volume = test::AttachQuad(*root, "Volume", Vector3{0, 0, 10}, shared.Get());
    ASSERT_EQ(volume->SetTexCoords(0, test::MakeVector3Buffer({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}).Get()),
              kSuccess);
    DrawFrame();
    EXPECT_EQ(Draws().size(), 2u);
    Pass* pass = shared->CurrentTechnique()->GetPass(0);
    EXPECT_EQ(pass->Layout()[1].type, VertexElement::kFloat3);  // The last one drawn.
    pass->SetDirty(false);
    root->SetChild(1, nullptr);
    DrawFrame();
    EXPECT_EQ(pass->Layout()[1].type, VertexElement::kFloat2);
    EXPECT_TRUE(pass->IsDirty());  // The device declaration must follow.

    pass->SetDirty(false);
    DrawFrame();
    EXPECT_FALSE(pass->IsDirty());  // Same layout: kept.
    flat->SetNormals(flat->Normals());
    EXPECT_TRUE(pass->IsDirty());
}

// --- State stack --------------------------------------------------------------------------------

TEST_F(DrawPath, EachDrawPopsWhatItsPassPushedEvenWhenThePassFails)
{
    Ptr<Light> lamp = new Light(Light::kPoint);
    test::AttachQuad(*root, "Lit", Vector3{0, 0, 10}, new LitColorEffect(lamp.Get()));
    test::AttachQuad(*root, "Broken", Vector3{0, 0, 10}, new LitColorEffect(lamp.Get(), kFailure));
    DrawFrame();
    const std::string light = renderer->Tag(lamp.Get());
    EXPECT_EQ(Lines({"PushLight", "PopState", "DrawCurrentGeometry"}),
              (std::vector<std::string>{"PushLight " + light + " depth 1", "DrawCurrentGeometry [Lit] 2",
                                        "PopState depth 0", "PushLight " + light + " depth 1", "PopState depth 0"}));
    EXPECT_EQ(renderer->StateDepth(), 0u);
}

// --- Scene-node effects -------------------------------------------------------------------------

TEST_F(DrawPath, ASceneNodeEffectDrawsTheChildrenOncePerPassFlushingBlendedOnesWithinIt)
{
    Ptr<SceneNode> group = new SceneNode();
    group->SetName(String("Group"));
    ASSERT_EQ(root->AttachChild(group.Get()), kSuccess);
    AddQuad(*group, "Glass", 10, true);
    AddQuad(*group, "Wall", 20);
    Ptr<WrappingEffect> effect = new WrappingEffect({kSuccess, kFailure, kSuccess});
    ASSERT_EQ(group->AddEffect(effect.Get()), kSuccess);
    EXPECT_EQ(effect->Owner(), group.Get());
    AddQuad(*root, "Outside", 30, true);  // Not under the effect: flushed at the end.
    DrawFrame();
    Technique* technique = effect->CurrentTechnique();
    ASSERT_NE(technique, nullptr);
    const std::string first = "SetPass " + renderer->Tag(technique->GetPass(0));
    const std::string second = "SetPass " + renderer->Tag(technique->GetPass(1));
    const std::string third = "SetPass " + renderer->Tag(technique->GetPass(2));
    std::vector<std::string> order;
    for (const std::string& line : renderer->Journal())
        if (line == first || line == second || line == third || line.rfind("DrawCurrentGeometry", 0) == 0)
            order.push_back(line);
    const std::vector<std::string> expected = {
        first,  "DrawCurrentGeometry [Wall] 2", "DrawCurrentGeometry [Glass] 2",
        second,  // Failed: its children are skipped.
        third,  "DrawCurrentGeometry [Wall] 2", "DrawCurrentGeometry [Glass] 2",
        "DrawCurrentGeometry [Outside] 2"};
    EXPECT_EQ(order, expected);
}

TEST_F(DrawPath, BlendedGeometryQueuedBeforeASceneNodeEffectWaitsForTheFramesFlush)
{
    AddQuad(*root, "EarlierGlass", 10, true);  // Queued before the group is drawn.
    Ptr<SceneNode> group = new SceneNode();
    ASSERT_EQ(root->AttachChild(group.Get()), kSuccess);
    AddQuad(*group, "InnerGlass", 20, true);
    ASSERT_EQ(group->AddEffect(new WrappingEffect({kSuccess})), kSuccess);
    AddQuad(*root, "LaterGlass", 30, true);
    DrawFrame();
    // The inner glass within the pass; the others at the end, back to front.
    const std::vector<std::string> expected = {"DrawCurrentGeometry [InnerGlass] 2", "DrawCurrentGeometry [LaterGlass] 2",
                                               "DrawCurrentGeometry [EarlierGlass] 2"};
    EXPECT_EQ(Draws(), expected);
}

TEST_F(DrawPath, ANodeWhoseEffectsAreAllDisabledOrUnsupportedDrawsNoChild)
{
    Ptr<SceneNode> group = new SceneNode();
    ASSERT_EQ(root->AttachChild(group.Get()), kSuccess);
    AddQuad(*group, "Hidden", 10);
    Ptr<WrappingEffect> disabled = new WrappingEffect({kSuccess});
    disabled->SetEnabled(false);
    Ptr<WrappingEffect> future = new WrappingEffect({kSuccess}, nullptr, 30);
    ASSERT_EQ(group->AddEffect(disabled.Get()), kSuccess);
    ASSERT_EQ(group->AddEffect(future.Get()), kSuccess);
    DrawFrame();
    EXPECT_TRUE(Draws().empty());

    disabled->SetEnabled(true);
    DrawFrame();
    EXPECT_EQ(Draws(), std::vector<std::string>{"DrawCurrentGeometry [Hidden] 2"});
}

TEST_F(DrawPath, EffectsWrapInListOrderNewestFirst)
{
    Ptr<SceneNode> group = new SceneNode();
    ASSERT_EQ(root->AttachChild(group.Get()), kSuccess);
    AddQuad(*group, "Child", 10);
    Ptr<WrappingEffect> older = new WrappingEffect({kSuccess});
    Ptr<WrappingEffect> newer = new WrappingEffect({kSuccess});
    ASSERT_EQ(group->AddEffect(older.Get()), kSuccess);
    ASSERT_EQ(group->AddEffect(newer.Get()), kSuccess);
    DrawFrame();
    const std::vector<std::string> passes = Lines({"SetPass"});
    const std::string olderPass = "SetPass " + renderer->Tag(older->CurrentTechnique()->GetPass(0));
    const std::string newerPass = "SetPass " + renderer->Tag(newer->CurrentTechnique()->GetPass(0));
    ASSERT_EQ(passes.size(), 4u);  // Each wrapping pass, then the child's own pass.
    EXPECT_EQ(passes[0], newerPass);
    EXPECT_EQ(passes[2], olderPass);
    EXPECT_EQ(Draws().size(), 2u);
}

TEST_F(DrawPath, StatesASceneNodePassPushesLastForAllItsChildrenAndArePoppedAfterThePass)
{
    Ptr<Light> sun = new Light(Light::kDirectional);
    Ptr<Light> lamp = new Light(Light::kPoint);
    Ptr<SceneNode> group = new SceneNode();
    ASSERT_EQ(root->AttachChild(group.Get()), kSuccess);
    ASSERT_EQ(group->AddEffect(new WrappingEffect({kSuccess}, sun.Get())), kSuccess);
    for (const char* name : {"First", "Second"})
        test::AttachQuad(*group, name, Vector3{0, 0, 10}, new LitColorEffect(lamp.Get()));
    DrawFrame();
    const std::string s = renderer->Tag(sun.Get()), l = renderer->Tag(lamp.Get());
    const std::vector<std::string> expected = {
        "PushLight " + s + " depth 1",
        "PushLight " + l + " depth 2", "DrawCurrentGeometry [First] 2", "PopState depth 1",
        "PushLight " + l + " depth 2", "DrawCurrentGeometry [Second] 2", "PopState depth 1",
        "PopState depth 0"};
    EXPECT_EQ(Lines({"PushLight", "PopState", "DrawCurrentGeometry"}), expected);
}

TEST_F(DrawPath, EffectsUpdateWithTheirNodes)
{
    std::string journal;
    Ptr<Triangles> quad = AddQuad(*root, "Quad", 10);
    Ptr<WrappingEffect> wrapping = new WrappingEffect({kSuccess});
    ASSERT_EQ(root->AddEffect(wrapping.Get()), kSuccess);
    ASSERT_EQ(quad->GetEffect()->SetController(new test::TestController(String("geometry"), &journal)), kSuccess);
    ASSERT_EQ(wrapping->SetController(new test::TestController(String("scene"), &journal)), kSuccess);
    root->UpdateState(0.5, true);
    EXPECT_NE(journal.find("scene"), std::string::npos);
    EXPECT_NE(journal.find("geometry"), std::string::npos);
    EXPECT_LT(journal.find("scene"), journal.find("geometry"));  // Effects before the children.
}

}  // namespace
}  // namespace zen
