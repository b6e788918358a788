#include <gtest/gtest.h>

#include "anim/AnimTestSupport.h"
#include "engine/anim/FlareColorController.h"
#include "engine/anim/FlareSizeController.h"
#include "engine/anim/LensFlareColorController.h"
#include "engine/anim/LensFlareSizeController.h"
#include "engine/scene/Flare.h"
#include "engine/scene/LensFlares.h"
#include "engine/scene/Light.h"

// The four flare controllers blend their animation into a flare's or lens flares' colour or
// size, and write nothing into an owner of another kind.
namespace zen {
namespace {

using test::Frame;

// Keys at 0 and 0.5; after 1 s of an 8 s track (position 0.125) a quarter of the way.
Ptr<ColorAnimation> Glow()
{
    return test::ColorKeys("glow", {{0.0, {0, 0, 0, 0}}, {0.5, {1, 0.5f, 0.25f, 1}}});
}

Ptr<FloatAnimation> Grow()
{
    return test::FloatKeys("grow", {{0.0, 2.0f}, {0.5, 10.0f}});
}

void Play(AnimationController& controller, Animation* animation)
{
    controller.SetTrackPeriod(8);
    ASSERT_EQ(controller.AddFrame(Frame(animation, 0, 1)), kSuccess);
    controller.Update(1);
}

TEST(FlareControllers, ColourAndSizeFollowTheirAnimations)
{
    const Vector4 quarter{0.25f, 0.125f, 0.0625f, 0.25f};
    Ptr<Flare> flare(new Flare());
    Ptr<LensFlares> lens(new LensFlares());
    struct Case {
        Object* owner;
        Ptr<AnimationController> controller;
        bool colour;
    };
    Case cases[] = {{flare.Get(), new FlareColorController(), true},
                    {lens.Get(), new LensFlareColorController(), true},
                    {flare.Get(), new FlareSizeController(), false},
                    {lens.Get(), new LensFlareSizeController(), false}};
    Ptr<ColorAnimation> glow = Glow();
    Ptr<FloatAnimation> grow = Grow();
    for (Case& c : cases) {
        SCOPED_TRACE(c.controller->GetRtti()->Name().CStr());
        ASSERT_EQ(c.owner->SetController(c.controller.Get()), kSuccess);
        Play(*c.controller, c.colour ? static_cast<Animation*>(glow.Get()) : grow.Get());
    }
    EXPECT_EQ(flare->Color(), quarter);
    EXPECT_EQ(lens->Color(), quarter);
    EXPECT_FLOAT_EQ(flare->Size(), 4.0f);
    EXPECT_FLOAT_EQ(lens->Size(), 4.0f);
}

TEST(FlareControllers, AnOwnerOfAnotherKindIsLeftAlone)
{
    Ptr<Light> light(new Light(Light::kPoint));
    const Vector4 diffuse = light->Diffuse();
    Ptr<AnimationController> controllers[] = {new FlareColorController(), new LensFlareColorController()};
    Ptr<ColorAnimation> glow = Glow();
    for (Ptr<AnimationController>& controller : controllers) {
        ASSERT_EQ(light->SetController(controller.Get()), kSuccess);
        Play(*controller, glow.Get());
        EXPECT_EQ(light->Diffuse(), diffuse);
    }
    // A lens-flare controller on a flare writes nothing either.
    Ptr<Flare> flare(new Flare());
    Ptr<LensFlareSizeController> size(new LensFlareSizeController());
    ASSERT_EQ(flare->SetController(size.Get()), kSuccess);
    Ptr<FloatAnimation> grow = Grow();
    Play(*size, grow.Get());
    EXPECT_EQ(flare->Size(), 1.0f);
}

}  // namespace
}  // namespace zen
