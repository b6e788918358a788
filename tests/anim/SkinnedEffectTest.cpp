#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/anim/SkinController.h"
#include "engine/scene/DarkmapNormalmapTexture1DLEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Texture1DL1PLEffect.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/SceneBuilder.h"

// The skinned variants of the lit effects' shader-model-2 programs through the recording
// renderer: a mesh whose skin controller is inactive (the vertex programs deform it) is drawn
// with the skinning program, the skin's weights and indices as two more streams, the palette
// and its information registers, the matrices without the mesh's own transform and the
// lighting in world space; the same mesh skinned on the processor, or at shader model 1, is
// drawn as any other; a skin the program cannot apply draws nothing and is logged once.
namespace zen {
namespace {

class SkinnedEffects : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        texture = new Texture(String("T"), new Image(String("t"), Image::kR8G8B8, 2, 2));
        sun = new Light(Light::kDirectional);
        lamp = new Light(Light::kPoint);
        camera = new Camera();
        camera->SetFrustum(1.0f, 0.5f, 50.0f);
        renderer->SetCamera(camera.Get());

        root = new SceneNode();
        for (auto& bone : bones) {
            bone = new SceneNode();
            (void)root->AttachChild(bone.Get());
        }
        bones[1]->LocalTransform().SetTranslation({0, 1, 0});
        mesh = test::MakeQuad("Mesh", 1.0f);
        for (uint32_t set : {1u, 2u})
            ASSERT_EQ(mesh->SetTexCoords(set, mesh->TexCoords(0)), kSuccess);
        mesh->LocalTransform().SetTranslation({5, 0, 10});
        (void)root->AttachChild(mesh.Get());
        skin = new SkinController();
        Transform bind;
        bind.SetTranslation({0, -1, 0});
        ASSERT_EQ(skin->AddBone(bones[0].Get(), Transform()), kSuccess);
        ASSERT_EQ(skin->AddBone(bones[1].Get(), bind), kSuccess);
        skin->SetWeights(test::MakeVector4Buffer({{1, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0.5f, 0.5f, 0, 0}}).Get());
        skin->SetIndices(test::MakeVector4Buffer({{0, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}}).Get());
        skin->SetBindVertices(static_cast<Vector3Buffer*>(mesh->Vertices()));
        skin->SetActive(false);
        ASSERT_EQ(mesh->SetController(skin.Get()), kSuccess);
    }
    void TearDown() override
    {
        renderer->SetCamera(nullptr);
        RecordingFixture::TearDown();
    }
    Ptr<GeometryNodeEffect> Effect(bool darkmapped)
    {
        if (darkmapped) {
            Ptr<DarkmapNormalmapTexture1DLEffect> effect = new DarkmapNormalmapTexture1DLEffect();
            effect->SetTexture(texture.Get());
            effect->SetNormalMap(texture.Get());
            effect->SetDarkmap(texture.Get());
            effect->SetLight(sun.Get());
            return effect.Get();
        }
        Ptr<Texture1DL1PLEffect> effect = new Texture1DL1PLEffect();
        effect->SetTexture(texture.Get());
        effect->SetLight(sun.Get());
        effect->SetPointLight(lamp.Get());
        return effect.Get();
    }
    int Draw(int frames = 1)
    {
        root->UpdateState(0.0, true);
        return Draws(*mesh, frames);
    }
    static void ExpectNear(const Vector4& actual, const Vector4& expected, const std::string& what)
    {
        test::ExpectNear(actual, expected, 1e-4f, what);
    }

    Ptr<Texture> texture;
    Ptr<Light> sun, lamp;
    Ptr<SceneNode> bones[2];
    Ptr<Triangles> mesh;
    Ptr<SkinController> skin;
};

TEST_F(SkinnedEffects, AProgramSkinnedMeshIsDrawnThroughThePaletteInWorldSpace)
{
    const struct {
        bool darkmapped;
        uint32_t level;
        bool onProcessor;
        bool skinned;  // Expected: the skinning program.
        uint32_t streams;  // The pass's own.
    } rows[] = {
        {false, 20, false, true, 3},  {true, 20, false, true, 6},   {false, 11, false, false, 3},
        {true, 11, false, false, 6},  {false, 20, true, false, 3},  {true, 20, true, false, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.darkmapped ? "dark-mapped" : "two lights") + " at " + std::to_string(row.level) +
                     (row.onProcessor ? " on the processor" : " in the program"));
        UseShaderVersion(row.level);
        skin->SetActive(row.onProcessor);
        Ptr<GeometryNodeEffect> effect = Effect(row.darkmapped);
        ASSERT_EQ(mesh->SetEffect(effect.Get()), kSuccess);
        ASSERT_EQ(Draw(), 1);
        auto* pass = static_cast<GeometryNodeEffectPass*>(effect->CurrentTechnique()->GetPass(0));
        EXPECT_EQ(pass->IsSkinnedDraw(), row.skinned);
        const VertexLayout& layout = pass->Layout();
        ASSERT_EQ(layout.Count(), row.streams + (row.skinned ? 2 : 0));
        if (row.level == 20) {
            EXPECT_EQ(Journaled("SetVertexShader " + renderer->Tag(pass->GetSkinnedVertexShader())), row.skinned);
        }
        // c0-c3: world x view x projection, one row per register, the world being the mesh's
        // own transform unless the palette carries the vertices into the world.
        const Matrix4 world = row.skinned ? Matrix4::Identity() : mesh->WorldTransform().ToMatrix();
        const Matrix4 clip = world * camera->View() * camera->Projection();
        for (uint32_t r = 0; r < 4; ++r)
            ExpectNear(renderer->VertexConstant(r), {clip.m[r][0], clip.m[r][1], clip.m[r][2], clip.m[r][3]},
                       "c" + std::to_string(r));
        if (!row.skinned)
            continue;
        EXPECT_EQ(layout[row.streams].usage, VertexElement::kBlendWeight);
        EXPECT_EQ(layout[row.streams + 1].usage, VertexElement::kBlendIndices);
        EXPECT_TRUE(Journaled("SetStream Vector4 " + renderer->Tag(skin->Weights()) + " " + std::to_string(row.streams)));
        EXPECT_TRUE(
            Journaled("SetStream Vector4 " + renderer->Tag(skin->Indices()) + " " + std::to_string(row.streams + 1)));
        // The information registers and bone 1's palette registers: its world transform (a lift
        // by 1) after its bind transform (a drop by 1) is the identity.
        ExpectNear(renderer->VertexConstant(208), {24, 3, 1, 0}, "c208");
        ExpectNear(renderer->VertexConstant(209), {1, 1, 1, 1}, "c209");
        ExpectNear(renderer->VertexConstant(27), {1, 0, 0, 0}, "bone 1 column 0");
        ExpectNear(renderer->VertexConstant(28), {0, 1, 0, 0}, "bone 1 column 1");
        ExpectNear(renderer->VertexConstant(29), {0, 0, 1, 0}, "bone 1 column 2");
        // The eye at the world's origin, not carried into the mesh's model space.
        ExpectNear(renderer->VertexConstant(17), {0, 0, 0, 1}, "c17");
    }
}

TEST_F(SkinnedEffects, ASkinTheProgramCannotApplyDrawsNothingAndIsLoggedOnce)
{
    UseShaderVersion(20);
    // A weighted slot naming a third bone, which the skin does not have.
    skin->SetIndices(test::MakeVector4Buffer({{0, 1, 0, 0}, {2, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}}).Get());
    Ptr<GeometryNodeEffect> effect = Effect(false);
    effect->SetName(String("Broken"));
    ASSERT_EQ(mesh->SetEffect(effect.Get()), kSuccess);
    test::LogCapture log;
    EXPECT_EQ(Draw(3), 0);
    int errors = 0;
    for (const std::string& line : log.Lines())
        errors += line.rfind("ERROR. ", 0) == 0;
    EXPECT_EQ(errors, 1) << log.Joined();
    EXPECT_TRUE(log.ContainsText("Эффект не рисует узел: скин не помещается в программу или его привязки неверны. Имя[Broken]"))
        << log.Joined();
}

}  // namespace
}  // namespace zen
