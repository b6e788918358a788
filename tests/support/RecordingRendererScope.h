#pragma once
#include "engine/render/WindowLayer.h"
#include "modules/recording/RecordingRenderer.h"
#include "modules/recording/RecordingWindowLayer.h"

namespace zen::test {

// For one test: the recording renderer stands in for "DirectX9" at the next engine start, with
// its default modes, and windows come from a recording window layer. Restores the process
// afterwards. Declare it before anything that may hold a renderer, so it goes last.
class RecordingRendererScope {
public:
    RecordingRendererScope()
    {
        RecordingRenderer::ResetNextSetup();
        RecordingRenderer::StandInFor(String("DirectX9"));
        m_previous = WindowLayer::Install(&windows);
    }
    ~RecordingRendererScope()
    {
        RecordingRenderer::StandInFor(String());
        RecordingRenderer::ResetNextSetup();
        WindowLayer::Install(m_previous);
    }
    RecordingRendererScope(const RecordingRendererScope&) = delete;
    RecordingRendererScope& operator=(const RecordingRendererScope&) = delete;

    RecordingWindowLayer windows;

private:
    WindowLayer* m_previous = nullptr;
};

}  // namespace zen::test
