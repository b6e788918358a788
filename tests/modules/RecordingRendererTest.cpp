#include <gtest/gtest.h>

#include "engine/modules/Module.h"
#include "engine/modules/ModuleManager.h"
#include "engine/render/Renderer.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"

namespace zen {
namespace {

TEST(RecordingRendererModule, IsAlwaysThereAndStandsInOnlyWhenAsked)
{
    {
        test::EngineScope engine;
        Module* module = ModuleManager::FindModule(String("Recording"));
        ASSERT_NE(module, nullptr);
        ModuleEntry entry = nullptr;
        for (const char* name : {"Initialize", "Shutdown", "CreateRenderer"})
            EXPECT_EQ(module->GetSymbol(String(name), &entry), kSuccess) << name;
        EXPECT_EQ(ModuleManager::FindModule(String("DirectX9")), nullptr);
    }
    RecordingRenderer::StandInFor(String("DirectX9"));
    {
        test::EngineScope engine;
        ASSERT_EQ(LoadRenderer(String("DirectX9")), kSuccess);
        EXPECT_EQ(Renderer::Current(), RecordingRenderer::Latest());
        EXPECT_EQ(Renderer::Current()->DisplayModeCount(), 2u);
        EXPECT_EQ(Renderer::Current()->DesktopModeIndex(), 1);
        EXPECT_EQ(ReleaseRenderer(), kSuccess);
        EXPECT_EQ(RecordingRenderer::Latest(), nullptr);
    }
    RecordingRenderer::StandInFor(String());
    test::EngineScope engine;
    EXPECT_EQ(ModuleManager::FindModule(String("DirectX9")), nullptr);
}

TEST(RecordingRendererModule, JournalNamesObjectsInTheOrderFirstSeen)
{
    Renderer* made = nullptr;
    ASSERT_EQ(RecordingRenderer::Create(&made), kSuccess);
    Ptr<Renderer> keep(made);
    auto* renderer = static_cast<RecordingRenderer*>(made);
    int a = 0, b = 0;
    renderer->SetPass(reinterpret_cast<Pass*>(&a));
    renderer->SetTexture(1, reinterpret_cast<BaseTexture*>(&b));
    renderer->SetPass(reinterpret_cast<Pass*>(&a));
    renderer->SetIndices(nullptr);
    renderer->Clear(Renderer::kClearColor | Renderer::kClearDepth, Vector4{0.5f, 0, 0, 1}, 1.0f, 0);
    renderer->Clear(Renderer::kClearDepth, Vector4{1, 1, 1, 1}, 1.0f, 0);
    const std::vector<std::string> expected = {"SetPass #1", "SetTexture 1 #2", "SetPass #1", "SetIndices null",
                                               "Clear 3 (0.5 0 0 1) 1 0", "Clear 2 (1 1 1 1) 1 0"};
    EXPECT_EQ(renderer->Journal(), expected);
    EXPECT_EQ(renderer->ClearColor(), (Vector4{0.5f, 0, 0, 1}));  // Only a colour clear changes it.
}

}  // namespace
}  // namespace zen
