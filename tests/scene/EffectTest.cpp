#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "engine/core/Stream.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/RenderStateBlock.h"
#include "engine/scene/TextureEffect.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/SceneBuilder.h"

// The effect framework: render state blocks, the geometry-node effect's settings and stream
// form, Prepare, technique choice and the first effects.
namespace zen {
namespace {

using Bytes = std::vector<uint8_t>;

using test::ByteStream;
using test::LoadedRecord;
using test::PutFloat;
using test::SavedRecord;

// Bytes of the geometry-node effect's own fields (before the texture link), after Object's.
constexpr size_t kEffectFieldBytes = 1 + 64 + 4 + 1 + 4 + 1 + 8 + 1 + 16 + 8 + 1 + 8;
constexpr size_t kBlendByteOffset = 1 + 64 + 4 + 1 + 4;  // From the wrap byte.
// A ColorEffect record ends with the effect fields, a null texture link and the colour.
size_t WrapByteOf(const Bytes& colorEffect)
{
    return colorEffect.size() - (kEffectFieldBytes + 4 + 16);
}

using Effects = test::RecordingFixture;

// --- Render state blocks ------------------------------------------------------------------------

TEST(RenderStateBlocks, ChangesMarkTheBlockForRecordingAgain)
{
    Ptr<RenderStateBlock> block = new RenderStateBlock();
    block->SetDirty(false);
    block->Set(RenderState{});  // Nothing differs.
    EXPECT_FALSE(block->IsDirty());
    RenderState changed;
    changed.wireframe = true;
    block->Set(changed);
    EXPECT_TRUE(block->IsDirty());
    block->SetDirty(false);
    block->Edit().stages[7].reserved = 3;
    EXPECT_TRUE(block->IsDirty());
}

TEST_F(Effects, RenderStateBlocksRoundTripEveryFieldAndRefuseValuesOutsideTheirEnumerations)
{
    Ptr<RenderStateBlock> block = new RenderStateBlock();
    block->SetName(String("Block"));
    RenderState& state = block->Edit();
    state.alphaBlendEnable = true;
    state.srcBlend = RenderState::kBlendOne;
    state.fogDensity = 0.25f;
    state.fogMode = RenderState::kFogExponentialSquared;
    state.twoSidedStencil = true;
    state.ccwStencilPass = RenderState::kStencilDecrement;
    state.stages[5].combineMode = RenderState::kCombineCustom;
    state.stages[5].colorArgMod[2] = RenderState::kArgComplement | RenderState::kArgAlphaReplicate;
    state.stages[7].reserved = 42;
    state.pointSprites = true;
    const Bytes bytes = SavedRecord(block.Get());
    Ptr<RenderStateBlock> back = LoadedRecord<RenderStateBlock>(bytes);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->State() == block->State());
    EXPECT_TRUE(back->IsDirty());

    // The last field is pointSprites (1 byte); before it stage 7's reserved int32, and before
    // that its alpha modifiers. A modifier of 4 is none of the bits. And a record cut short.
    Bytes broken = bytes;
    broken[broken.size() - 1 - 4 - 4] = 4;
    for (const Bytes& damaged : {broken, Bytes(bytes.begin(), bytes.end() - 1)}) {
        test::LogCapture log;
        EXPECT_FALSE(LoadedRecord<RenderStateBlock>(damaged));
        EXPECT_TRUE(log.ContainsText("Невозможно загрузить блок состояний рендеринга. ID["));
    }
}

// --- Geometry-node effect settings and stream form ----------------------------------------------

TEST_F(Effects, TheStreamFormStoresWrapFlagsInvertedAndReadsAnyLowBlendBitAsBlended)
{
    Ptr<ColorEffect> effect = new ColorEffect();
    effect->SetName(String("Paint"));
    Bytes bytes = SavedRecord(effect.Get());
    const size_t wrap = WrapByteOf(bytes);
    EXPECT_EQ(bytes[wrap], 0);  // Every stage wraps.
    EXPECT_EQ(bytes[wrap + kBlendByteOffset], 0);

    effect->SetWrap(3, false);
    effect->SetWrap(7, false);
    ASSERT_EQ(effect->SetBlending(true, RenderState::kBlendOne, RenderState::kBlendOne), kSuccess);
    effect->SetCullEnabled(false);
    bytes = SavedRecord(effect.Get());
    EXPECT_EQ(bytes[wrap], 0x88);
    EXPECT_EQ(bytes[wrap + kBlendByteOffset], 0x11);
    Ptr<ColorEffect> back = LoadedRecord<ColorEffect>(bytes);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->Wraps(3));
    EXPECT_FALSE(back->Wraps(7));
    EXPECT_TRUE(back->Wraps(0));
    EXPECT_TRUE(back->IsBlended());
    EXPECT_FALSE(back->CullEnabled());
    EXPECT_EQ(back->SourceBlend(), RenderState::kBlendOne);

    // Other writers set other low bits for blended; culling is on below 16.
    bytes[wrap + kBlendByteOffset] = 0x02;
    back = LoadedRecord<ColorEffect>(bytes);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->IsBlended());
    EXPECT_TRUE(back->CullEnabled());
    bytes[wrap + kBlendByteOffset] = 0x20;
    back = LoadedRecord<ColorEffect>(bytes);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->IsBlended());
    EXPECT_FALSE(back->CullEnabled());
}

void PutVector(Bytes& bytes, const Vector4& value)
{
    for (float component : {value.x, value.y, value.z, value.w})
        PutFloat(bytes, component);
}

// The tail of a ColorEffect record: the geometry-node effect's own fields as a stream holds
// them, no texture (the null link) and a white colour.
Bytes ColorEffectTail(uint8_t clamped, const Vector4 (&material)[4], float power, bool alphaTest, int32_t alphaRef,
                   uint8_t blend, int32_t srcBlend, int32_t destBlend, bool fog, const Vector4& fogColor,
                   float fogDensity, float fogExponent, bool flagC, float rangeA, float rangeB)
{
    Bytes bytes{clamped};
    for (const Vector4& color : material)
        PutVector(bytes, color);
    PutFloat(bytes, power);
    bytes.push_back(alphaTest);
    test::PutInt(bytes, static_cast<uint32_t>(alphaRef));
    bytes.push_back(blend);
    test::PutInt(bytes, static_cast<uint32_t>(srcBlend));
    test::PutInt(bytes, static_cast<uint32_t>(destBlend));
    bytes.push_back(fog);
    PutVector(bytes, fogColor);
    PutFloat(bytes, fogDensity);
    PutFloat(bytes, fogExponent);
    bytes.push_back(flagC);
    PutFloat(bytes, rangeA);
    PutFloat(bytes, rangeB);
    test::PutInt(bytes, 0xFFFFFFFFu);
    PutVector(bytes, Vector4{1, 1, 1, 1});
    return bytes;
}

TEST_F(Effects, TheEffectFieldsAreStoredInTheirOrderFromTheDocumentedDefaults)
{
    Ptr<ColorEffect> effect = new ColorEffect();
    Bytes bytes = SavedRecord(effect.Get());
    const Vector4 defaults[4] = {{0.8f, 0.8f, 0.8f, 1}, {0.2f, 0.2f, 0.2f, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}};
    Bytes expected = ColorEffectTail(0, defaults, 1.0f, false, 1, 0, 4, 5, false, Vector4{1, 1, 1, 1}, 0.001f, 2.0f,
                                     false, 0.05f, 1.0f);
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_EQ(Bytes(bytes.end() - static_cast<std::ptrdiff_t>(expected.size()), bytes.end()), expected);

    // Every field apart, so that two of one type cannot trade places unnoticed, on the way out
    // or back in.
    const Vector4 material[4] = {{0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.9f, 1, 0, 0.25f},
                                 {0.75f, 0.5f, 0.25f, 0.125f}};
    effect->SetMaterial(material[0], material[1], material[2], material[3], 12.0f);
    effect->SetAlphaTest(true, 77);
    ASSERT_EQ(effect->SetBlending(true, RenderState::kBlendDestinationColor, RenderState::kBlendInverseDestinationAlpha),
              kSuccess);
    effect->SetFog(true, Vector4{0.3f, 0.2f, 0.1f, 0.5f}, 0.25f, 3.0f);
    effect->SetFogRange(0.5f, 0.75f);
    effect->SetFlagC(true);
    effect->SetWrap(0, false);
    bytes = SavedRecord(effect.Get());
    expected = ColorEffectTail(0x01, material, 12.0f, true, 77, 0x01, 6, 9, true, Vector4{0.3f, 0.2f, 0.1f, 0.5f},
                               0.25f, 3.0f, true, 0.5f, 0.75f);
    EXPECT_EQ(Bytes(bytes.end() - static_cast<std::ptrdiff_t>(expected.size()), bytes.end()), expected);

    // Loaded, it saves the same fields again: each value went back to the member it came from.
    Ptr<ColorEffect> back = LoadedRecord<ColorEffect>(bytes);
    ASSERT_TRUE(back);
    const Bytes again = SavedRecord(back.Get());
    EXPECT_EQ(Bytes(again.end() - static_cast<std::ptrdiff_t>(expected.size()), again.end()), expected);
    EXPECT_FALSE(back->Wraps(0));
    EXPECT_TRUE(back->Wraps(1));
}

TEST_F(Effects, ABlendFactorOutsideItsRangeIsADamagedFile)
{
    Ptr<ColorEffect> effect = new ColorEffect();
    Bytes bytes = SavedRecord(effect.Get());
    bytes[WrapByteOf(bytes) + kBlendByteOffset + 1] = 10;  // srcBlend's low byte.
    test::LogCapture log;
    EXPECT_FALSE(LoadedRecord<ColorEffect>(bytes));
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить данные эффекта. ID["));
    EXPECT_EQ(effect->SetBlending(true, 10, 0), kInvalidArgument);
    EXPECT_FALSE(effect->IsBlended());
}

TEST_F(Effects, TextureEffectsKeepTheirTextureAndCoordinateSetAndRefuseASetPastSeven)
{
    Ptr<TextureEffect> effect = new TextureEffect();
    Ptr<Image> image = new Image(String("Pixels"), Image::kR8G8B8, 2, 2);
    Ptr<Texture> texture = new Texture(String("Checker"), image.Get());
    effect->SetTexture(texture.Get());
    ASSERT_EQ(effect->SetTexCoordSet(2), kSuccess);
    EXPECT_EQ(effect->SetTexCoordSet(8), kInvalidArgument);
    EXPECT_EQ(effect->FindByName(String("Checker")), texture.Get());
    // Both come back with every catalogue effect's; a set past seven in a file is refused.
    Bytes bytes = SavedRecord(effect.Get());
    bytes[bytes.size() - 4] = 8;  // The set.
    test::LogCapture log;
    EXPECT_FALSE(LoadedRecord<TextureEffect>(bytes));
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить номер набора текстурных координат. ID["));
}

TEST_F(Effects, TheTextureLinkMustBeATexture)
{
    // A TextureEffect whose texture link holds an image instead.
    Ptr<TextureEffect> effect = new TextureEffect();
    Bytes head = SavedRecord(effect.Get());
    head.resize(head.size() - 8);  // Without the null link and the set.
    Ptr<Image> image = new Image(String("NotATexture"), Image::kA8, 1, 1);
    Stream tail;
    ASSERT_EQ(tail.WriteObject(image.Get()), kSuccess);
    head.insert(head.end(), tail.Data(), tail.Data() + tail.Position());
    for (int i = 0; i < 4; ++i)
        head.push_back(0);
    test::LogCapture log;
    EXPECT_FALSE(LoadedRecord<TextureEffect>(head));
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить текстуру. ID["));
}

// --- Prepare ------------------------------------------------------------------------------------

TEST_F(Effects, PrepareCopiesTheSettingsIntoEachPassAndFollowsLaterChanges)
{
    Ptr<ColorEffect> effect = new ColorEffect();
    effect->SetMaterial(Vector4{1, 0, 0, 1}, Vector4{0, 1, 0, 1}, Vector4{0, 0, 1, 1}, Vector4{1, 1, 0, 1}, 8.0f);
    effect->SetAlphaTest(true, 128);
    effect->SetFog(true, Vector4{0.1f, 0.2f, 0.3f, 1}, 0.01f, 2.0f);
    effect->SetWrap(1, false);
    effect->SetWireframe(true);
    ASSERT_EQ(effect->GetPassCount(), 1u);
    Pass* pass = effect->CurrentTechnique()->GetPass(0);
    const RenderState& state = pass->RenderStates()->State();
    EXPECT_EQ(state.diffuse, (Vector4{1, 0, 0, 1}));
    EXPECT_EQ(state.emissive, (Vector4{1, 1, 0, 1}));
    EXPECT_EQ(state.power, 8.0f);
    EXPECT_TRUE(state.alphaTestEnable);
    EXPECT_EQ(state.alphaFunc, RenderState::kCompareGreaterEqual);
    EXPECT_EQ(state.alphaRef, 128);
    EXPECT_TRUE(state.fogEnable);
    EXPECT_EQ(state.fogMode, RenderState::kFogExponential);  // Exactly 2: exponential.
    EXPECT_EQ(state.fogDensity, 0.01f);
    EXPECT_FALSE(state.fogPerPixel);
    EXPECT_TRUE(state.wireframe);
    EXPECT_EQ(state.stages[1].addressU, RenderState::kAddressClamp);
    EXPECT_EQ(state.stages[1].addressW, RenderState::kAddressClamp);
    EXPECT_EQ(state.stages[0].addressV, RenderState::kAddressWrap);
    EXPECT_FALSE(state.alphaBlendEnable);

    pass->RenderStates()->SetDirty(false);
    effect->SetFog(true, Vector4{0.1f, 0.2f, 0.3f, 1}, 0.01f, 2.5f);
    EXPECT_EQ(state.fogMode, RenderState::kFogExponentialSquared);
    EXPECT_TRUE(pass->RenderStates()->IsDirty());
    ASSERT_EQ(effect->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendOne), kSuccess);
    EXPECT_TRUE(state.alphaBlendEnable);
    EXPECT_EQ(state.destBlend, RenderState::kBlendOne);
}

// --- Technique choice ---------------------------------------------------------------------------

TEST_F(Effects, TheFirstSupportedTechniqueIsChosenOnceFromTheRecordedCapabilities)
{
    // Shader model 2 recorded: the shader technique.
    Ptr<ColorEffect> shaded = new ColorEffect();
    ASSERT_EQ(shaded->GetPassCount(), 1u);
    EXPECT_EQ(shaded->CurrentTechnique(), shaded->GetTechnique(0));
    auto* pass = static_cast<GeometryNodeEffectPass*>(shaded->CurrentTechnique()->GetPass(0));
    EXPECT_TRUE(pass->UsesShaders());
    EXPECT_TRUE(pass->GetVertexShader()->Source().Std().rfind("vs_1_1\n", 0) == 0);
    EXPECT_TRUE(pass->GetPixelShader()->Source().Std().rfind("ps.1.1\n", 0) == 0);
    EXPECT_TRUE(pass->IsDirty());  // Invalidated on choice.
    EXPECT_EQ(shaded->GetTechnique(1)->PassCount(), 0u);  // Never chosen, never built.

    // A device without shaders: the fixed-function technique, with the colour in stage 0.
    UseShaderVersion(0);
    Ptr<ColorEffect> plain = new ColorEffect();
    plain->SetColor(Vector4{0, 1, 0, 0.5f});
    ASSERT_EQ(plain->GetPassCount(), 1u);
    EXPECT_EQ(plain->CurrentTechnique(), plain->GetTechnique(1));
    const RenderState::Stage& stage = plain->CurrentTechnique()->GetPass(0)->RenderStates()->State().stages[0];
    EXPECT_EQ(stage.combineMode, RenderState::kCombineCustom);
    EXPECT_EQ(stage.colorOp, RenderState::kCombineSelect);
    EXPECT_EQ(stage.colorArg[0], RenderState::kArgTextureFactor);
    EXPECT_EQ(stage.textureFactor, (Vector4{0, 1, 0, 0.5f}));

    // The choice stays when the device changes.
    EXPECT_EQ(shaded->GetPassCount(), 1u);
    EXPECT_EQ(shaded->CurrentTechnique(), shaded->GetTechnique(0));
}

TEST_F(Effects, ALimitOnShaderVersionsChoosesTheFallbacksAndOutlivesANewDevice)
{
    renderer->LimitShaderVersion(0);
    EXPECT_EQ(renderer->GetCapabilities().vertexShaderVersion, 0u);
    Ptr<TextureEffect> effect = new TextureEffect();
    ASSERT_EQ(effect->GetPassCount(), 1u);
    EXPECT_EQ(effect->CurrentTechnique(), effect->GetTechnique(1));
    // A device made later records its own capabilities; the limit still holds.
    UseShaderVersion(30);
    EXPECT_EQ(renderer->GetCapabilities().pixelShaderVersion, 0u);
    renderer->LimitShaderVersion(11);
    EXPECT_EQ(renderer->GetCapabilities().vertexShaderVersion, 11u);
    Ptr<ColorEffect> shaded = new ColorEffect();
    ASSERT_EQ(shaded->GetPassCount(), 1u);
    EXPECT_EQ(shaded->CurrentTechnique(), shaded->GetTechnique(0));
}

TEST_F(Effects, NoTechniqueIsChosenBeforeADeviceRecordedItsCapabilities)
{
    renderer->SetDeviceCapabilities(RendererCapabilities{});
    Ptr<TextureEffect> effect = new TextureEffect();
    EXPECT_EQ(effect->GetPassCount(), 0u);
    EXPECT_EQ(effect->CurrentTechnique(), nullptr);
    UseShaderVersion(11);
    EXPECT_EQ(effect->GetPassCount(), 1u);
    EXPECT_EQ(effect->CurrentTechnique(), effect->GetTechnique(0));
}

TEST_F(Effects, ChangingTheCoordinateSetBuildsThePassesAgain)
{
    Ptr<TextureEffect> effect = new TextureEffect();
    ASSERT_EQ(effect->GetPassCount(), 1u);
    Ptr<Pass> before = effect->CurrentTechnique()->GetPass(0);
    ASSERT_EQ(effect->SetTexCoordSet(1), kSuccess);
    EXPECT_EQ(effect->CurrentTechnique(), nullptr);
    EXPECT_EQ(before->References(), 1);  // Only this test holds the old pass now.
    ASSERT_EQ(effect->GetPassCount(), 1u);
    EXPECT_NE(effect->CurrentTechnique()->GetPass(0), before.Get());
}

TEST_F(Effects, AttachingSetsTheOwnerAndTheOwnerLetsGo)
{
    Ptr<ColorEffect> effect = new ColorEffect();
    {
        Ptr<Triangles> quad = test::MakeQuad("Quad", 1.0f);
        ASSERT_EQ(quad->SetEffect(effect.Get()), kSuccess);
        EXPECT_EQ(effect->Owner(), quad.Get());
        EXPECT_EQ(quad->GetEffect(), effect.Get());
    }
    EXPECT_EQ(effect->Owner(), nullptr);  // The node went; the shared effect stays.
}

}  // namespace
}  // namespace zen
