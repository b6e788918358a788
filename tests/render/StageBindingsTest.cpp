#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/render/StageBindings.h"

// What a pass leaves on the device for the next: the stages a new pass must unbind, and where a
// fixed-function draw ends the stage cascade for the textures and program bound since.
namespace zen {
namespace {

struct Bind {
    uint32_t stage;  // StageBindings::kStages: the pixel program instead.
    bool bound;
};

TEST(StageBindings, TheCascadeEndsAtTheFirstEmptyStageAboveZeroAndANewPassUnbindsEverything)
{
    constexpr uint32_t kProgram = StageBindings::kStages;
    const struct {
        const char* what;
        std::vector<Bind> binds;
        uint32_t textures;
        uint32_t cascade;
    } cases[] = {
        {"nothing bound", {}, 0x00, 1},
        {"one sprite texture", {{0, true}}, 0x01, 1},
        {"stage 0 empty, stage 1 bound", {{1, true}}, 0x02, 2},
        {"three maps", {{0, true}, {1, true}, {2, true}}, 0x07, 3},
        {"a gap at stage 2", {{0, true}, {1, true}, {3, true}}, 0x0B, 2},
        {"stage 1 unbound again", {{0, true}, {1, true}, {1, false}}, 0x01, 1},
        {"every stage", {{0, true}, {1, true}, {2, true}, {3, true}, {4, true}, {5, true}, {6, true}, {7, true}},
         0xFF, StageBindings::kNoStage},
        {"a pixel program reads no stage operations", {{0, true}, {kProgram, true}}, 0x01, StageBindings::kNoStage},
        {"its program unbound", {{0, true}, {kProgram, true}, {kProgram, false}}, 0x01, 1},
        {"a stage past the device's is ignored", {{9, true}, {31, true}, {40, true}}, 0x00, 1},
    };
    for (const auto& c : cases) {
        StageBindings bindings;
        for (const Bind& bind : c.binds) {
            if (bind.stage == kProgram)
                bindings.BindPixelShader(bind.bound);
            else
                bindings.BindTexture(bind.stage, bind.bound);
        }
        EXPECT_EQ(bindings.Textures(), c.textures) << c.what;
        EXPECT_EQ(bindings.EndOfCascade(), c.cascade) << c.what;
        // The next pass unbinds exactly those stages and starts from nothing, program included.
        EXPECT_EQ(bindings.BeginPass(), c.textures) << c.what;
        EXPECT_EQ(bindings.EndOfCascade(), 1u) << c.what;
        EXPECT_EQ(bindings.BeginPass(), 0u) << c.what;
    }
}

}  // namespace
}  // namespace zen
