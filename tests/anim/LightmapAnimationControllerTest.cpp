#include <gtest/gtest.h>

#include "engine/anim/LightmapAnimationController.h"
#include "engine/scene/LightmapTexture1DLEffect.h"
#include "engine/scene/TextureEffect.h"
#include "support/EngineScope.h"
#include "anim/AnimTestSupport.h"

// Light-map flip-books: the light map of the key in force, on light-mapped effects and their
// lit subclass; the base texture untouched; other owners left alone; the stream form round trip.
namespace zen {
namespace {

using test::Frame;

TEST(LightmapAnimationController, ShowsTheLightMapOfTheKeyInForce)
{
    for (bool lit : {false, true}) {
        SCOPED_TRACE(lit ? "LightmapTexture1DL" : "LightmapTexture");
        test::FlipBook book;
        Ptr<Texture> base(new Texture());
        Ptr<LightmapTextureEffect> effect(lit ? new LightmapTexture1DLEffect() : new LightmapTextureEffect());
        effect->SetTexture(base.Get());
        Ptr<LightmapAnimationController> controller(new LightmapAnimationController());
        ASSERT_EQ(effect->SetController(controller.Get()), kSuccess);
        controller->SetTrackPeriod(3);
        ASSERT_EQ(controller->AddFrame(Frame(book.animation.Get(), 0, 1)), kSuccess);
        // Track positions 0.1, 0.4, 0.9, 0.3 (wrapped), 0.6333, 0.7.
        const struct {
            double elapsed;
            int picture;
        } steps[] = {{0.3, 0}, {0.9, 1}, {1.5, 2}, {1.2, 0}, {1.0, 1}, {0.2, 2}};
        for (const auto& step : steps) {
            controller->Update(step.elapsed);
            SCOPED_TRACE(controller->TrackPosition());
            EXPECT_EQ(effect->GetLightmap(), book.pictures[step.picture].Get());
            EXPECT_EQ(effect->GetTexture(), base.Get());
        }
    }
}

TEST(LightmapAnimationController, LeavesOtherOwnersAloneAndKeepsItsTrackThroughAStream)
{
    test::EngineScope engine;
    test::FlipBook book;
    Ptr<TextureEffect> plain(new TextureEffect());
    Ptr<Texture> base(new Texture());
    plain->SetTexture(base.Get());
    Ptr<LightmapAnimationController> controller(new LightmapAnimationController());
    ASSERT_EQ(plain->SetController(controller.Get()), kSuccess);
    controller->SetTrackPeriod(3);
    ASSERT_EQ(controller->AddFrame(Frame(book.animation.Get(), 0, 1)), kSuccess);
    controller->Update(1.5);
    EXPECT_EQ(plain->GetTexture(), base.Get());

    Ptr<LightmapAnimationController> loaded =
        test::LoadedRecord<LightmapAnimationController>(test::SavedRecord(controller.Get()));
    ASSERT_TRUE(loaded);
    Ptr<LightmapTextureEffect> effect(new LightmapTextureEffect());
    ASSERT_EQ(effect->SetController(loaded.Get()), kSuccess);
    loaded->Update(2.7);  // Position 0.9: the third picture of the loaded copy's animation.
    ASSERT_TRUE(effect->GetLightmap());
    EXPECT_NE(effect->GetLightmap(), book.pictures[2].Get());  // A loaded copy, not the original.
}

}  // namespace
}  // namespace zen
