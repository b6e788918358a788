#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/ClassRegistry.h"
#include "engine/render/ShaderAssembler.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/PixelShader.h"
#include "engine/scene/ProjectedCausticEffect.h"
#include "engine/scene/ShaderCatalog.h"
#include "engine/scene/ShadowmapEffect.h"
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

    std::vector<std::string> names, sources;
    for (uint32_t i = 0; i < programs.Count(); ++i) {
        const ShaderCatalog::Program& program = programs[i];
        names.emplace_back(program.name.CStr());
        sources.emplace_back(program.source.CStr());
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
    // So are the programs that scene-node effects keep outside their techniques.
    for (const char* text : {ShadowmapEffect::kDepthVertexProgram, ShadowmapEffect::kDepthPixelProgram,
                             ShadowmapEffect::kShadowVertexProgram, ShadowmapEffect::kShadowPixelProgram,
                             ProjectedCausticEffect::kVertexProgram, ProjectedCausticEffect::kPixelProgram})
        EXPECT_NE(std::find(sources.begin(), sources.end(), text), sources.end()) << text;
}

// Classes another part of the program adds later: an effect with programs of its own, and a
// plain object that holds a shader outside any pass and shows it to CollectByType.
constexpr const char* kLaterVertex = "vs_1_1\ndcl_position v0\nmov oPos, v0\nmov oD0, c8\n";
constexpr const char* kLaterPixel = "ps.1.1\nmov r0, 1-v0\n";
constexpr const char* kHeldPixel = "ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\n";

class LaterEffect : public ColorEffect {
public:
    Result CreatePasses(uint32_t technique, Technique& out) override
    {
        Ptr<GeometryNodeEffectPass> pass = CreateColorPass(technique, "Later.vs", kLaterVertex, "Later.ps", kLaterPixel);
        return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
    }
};

class ShaderHolder : public Object {
public:
    ShaderHolder() : m_shader(new PixelShader(String("Held.ps"), String(kHeldPixel))) {}
    void CollectByType(const Rtti* type, Array<Object*>& out) override
    {
        Object::CollectByType(type, out);
        m_shader->CollectByType(type, out);
    }

private:
    Ptr<PixelShader> m_shader;
};

TEST(ShaderCatalogTest, ClassesRegisteredLaterAreFound)
{
    test::EngineScope engine;
    ASSERT_EQ(ClassRegistry::Add(String("ZEN.LaterEffect"), &CreateObject<LaterEffect>), kSuccess);
    ASSERT_EQ(ClassRegistry::Add(String("ZEN.ShaderHolder"), &CreateObject<ShaderHolder>), kSuccess);
    Array<ShaderCatalog::Program> programs(16, 16);
    const Result collected = ShaderCatalog::Collect(programs);
    (void)ClassRegistry::Remove(String("ZEN.LaterEffect"));
    (void)ClassRegistry::Remove(String("ZEN.ShaderHolder"));
    ASSERT_EQ(collected, kSuccess);

    struct Expected {
        const char* owner;
        const char* name;
        const char* source;
        bool pixel;
    };
    const Expected expected[] = {
        {"ZEN.LaterEffect", "Later.vs", kLaterVertex, false},
        {"ZEN.LaterEffect", "Later.ps", kLaterPixel, true},
        {"ZEN.ShaderHolder", "Held.ps", kHeldPixel, true},
    };
    for (const Expected& program : expected) {
        bool found = false;
        for (uint32_t i = 0; i < programs.Count(); ++i)
            if (programs[i].name == program.name) {
                found = true;
                EXPECT_TRUE(programs[i].effect == program.owner) << program.name;
                EXPECT_TRUE(programs[i].source == program.source) << program.name;
                EXPECT_EQ(programs[i].pixel, program.pixel) << program.name;
            }
        EXPECT_TRUE(found) << program.name;
    }
}

}  // namespace
}  // namespace zen
