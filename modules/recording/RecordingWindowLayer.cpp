#include "modules/recording/RecordingWindowLayer.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/MessageLog.h"

namespace zen {

Result RecordingWindowLayer::CreateSystemWindow(void** out, const String& title, void* parent, bool fullscreen,
                                                uint32_t bits, int32_t x, int32_t y, uint32_t width, uint32_t height)
{
    char line[512];
    std::snprintf(line, sizeof line, "CreateSystemWindow [%s] parent %s %s %u bits at %d %d size %u %u",
                  title.CStr(), parent ? "set" : "none", fullscreen ? "fullscreen" : "windowed", bits, x, y, width,
                  height);
    m_journal.emplace_back(line);
    if (!out)
        return kInvalidArgument;
    if (failCreation) {
        Error("Невозможно создать окно [%s].", title.CStr());
        return kFailure;
    }
    const uintptr_t handle = m_nextHandle;
    m_nextHandle += 0x10;
    m_open.push_back(handle);
    *out = reinterpret_cast<void*>(handle);
    return kSuccess;
}

Result RecordingWindowLayer::DestroySystemWindow(void* window)
{
    const auto handle = reinterpret_cast<uintptr_t>(window);
    m_journal.emplace_back(window ? "DestroySystemWindow" : "DestroySystemWindow none");
    if (!window)
        return kSuccess;
    const auto found = std::find(m_open.begin(), m_open.end(), handle);
    if (found == m_open.end()) {
        Error("Невозможно удалить системное окно.");
        return kFailure;
    }
    m_open.erase(found);
    return kSuccess;
}

}  // namespace zen
