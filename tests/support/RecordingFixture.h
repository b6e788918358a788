#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/SceneNode.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/EngineScope.h"
#include "support/Near.h"

namespace zen::test {

// A test with the engine started and the recording renderer loaded; the renderer goes after
// the test (with the scene and camera a test may have set), before the fixture's own members.
class RecordingFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(LoadRenderer(String("Recording")), kSuccess);
        renderer = RecordingRenderer::Latest();
    }
    void TearDown() override
    {
        root = nullptr;
        camera = nullptr;
        EXPECT_EQ(ReleaseRenderer(), kSuccess);
    }

    // An 800 x 600 device (mode 0) looking from the origin along +z, and an empty scene.
    void UseDeviceAndScene()
    {
        ASSERT_EQ(renderer->CreateDevice(0, 800, 600), kSuccess);
        camera = new Camera();
        renderer->SetCamera(camera.Get());
        root = new SceneNode();
    }

    // One frame of the scene, `elapsed` seconds after the last, with a fresh journal.
    void DrawFrame(double elapsed = 0.0)
    {
        root->UpdateState(elapsed, true);
        renderer->ClearJournal();
        ASSERT_EQ(renderer->StartFrame(), kSuccess);
        root->DrawIfVisible(renderer);
        renderer->FinishFrame();
    }

    // The device as if its shaders went up to `version` (major x 10 + minor; 0: none).
    void UseShaderVersion(uint32_t version)
    {
        RendererCapabilities caps = renderer->GetCapabilities();
        caps.valid = true;
        caps.vertexShaderVersion = caps.pixelShaderVersion = version;
        renderer->SetDeviceCapabilities(caps);
    }

    // The journal's lines that start with any of `prefixes`, in their order.
    std::vector<std::string> Lines(std::initializer_list<const char*> prefixes) const
    {
        std::vector<std::string> found;
        for (const std::string& line : renderer->Journal())
            for (const char* prefix : prefixes)
                if (line.rfind(prefix, 0) == 0) {
                    found.push_back(line);
                    break;
                }
        return found;
    }

    // Draws `node` `frames` times; the draws of it the journal shows.
    int Draws(GeometryNode& node, int frames = 1)
    {
        renderer->ClearJournal();
        for (int i = 0; i < frames; ++i)
            node.Draw(renderer);
        return static_cast<int>(Lines({("DrawCurrentGeometry [" + node.Name().Std() + "]").c_str()}).size());
    }

    bool Journaled(const std::string& line) const
    {
        const std::vector<std::string>& journal = renderer->Journal();
        return std::find(journal.begin(), journal.end(), line) != journal.end();
    }

    EngineScope engine;
    RecordingRenderer* renderer = nullptr;
    Ptr<Camera> camera;
    Ptr<SceneNode> root;
};

}  // namespace zen::test
