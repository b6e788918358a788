#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render/ShaderAssembler.h"
#include "engine/scene/ShaderCatalog.h"
#include "support/EngineScope.h"

// Every shader program in the tree assembles: the catalog finds the programs of every
// registered effect class (new effects are covered without editing this test), and each one
// goes through the assembler, so a broken program fails here rather than on a user's machine.
namespace zen {
namespace {

TEST(ShaderCatalogTest, EveryEffectProgramAssembles)
{
    test::EngineScope engine;
    Array<ShaderCatalog::Program> programs(16, 16);
    ASSERT_EQ(ShaderCatalog::Collect(programs), kSuccess);

    std::vector<std::string> names;
    for (uint32_t i = 0; i < programs.Count(); ++i) {
        const ShaderCatalog::Program& program = programs[i];
        names.emplace_back(program.name.CStr());
        std::vector<uint32_t> tokens;
        std::string message;
        EXPECT_EQ(ShaderAssembler::Assemble(std::string_view(program.source.CStr(), program.source.Length()), tokens,
                                            message),
                  kSuccess)
            << program.effect.CStr() << " " << program.name.CStr() << ": " << message;
        if (tokens.empty())
            continue;
        // A program of the wrong kind would be refused by the device: vertex programs carry
        // 0xFFFE in their version token, pixel programs 0xFFFF.
        EXPECT_EQ(tokens.front() >> 16, program.pixel ? 0xFFFFu : 0xFFFEu) << program.name.CStr();
        EXPECT_EQ(tokens.back(), 0x0000FFFFu);
    }
    // The first effects' programs are among them: the search reaches into the passes.
    for (const char* known : {"ColorEffect.vs", "ColorEffect.ps", "TextureEffect.vs", "TextureEffect.ps"})
        EXPECT_NE(std::find(names.begin(), names.end(), known), names.end()) << known;
}

}  // namespace
}  // namespace zen
