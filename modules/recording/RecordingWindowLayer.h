#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/WindowLayer.h"

namespace zen {

// A window layer without a window system, for tests: each window is a stand-in handle, every
// call appends one line to the journal, and creation fails on request. Destroying a handle
// that is not open fails like the system's layer does ("Невозможно удалить системное окно.").
class RecordingWindowLayer : public WindowLayer {
public:
    Result CreateSystemWindow(void** out, const String& title, void* parent, bool fullscreen, uint32_t bits,
                              int32_t x, int32_t y, uint32_t width, uint32_t height) override;
    Result DestroySystemWindow(void* window) override;

    const std::vector<std::string>& Journal() const { return m_journal; }
    void ClearJournal() { m_journal.clear(); }
    uint32_t OpenWindowCount() const { return static_cast<uint32_t>(m_open.size()); }

    bool failCreation = false;  // The next creations fail (logged) until cleared.

private:
    std::vector<std::string> m_journal;
    std::vector<uintptr_t> m_open;  // Handles of the open stand-in windows.
    uintptr_t m_nextHandle = 0x1000;
};

}  // namespace zen
