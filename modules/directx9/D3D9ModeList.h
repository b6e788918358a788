#pragma once
#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "engine/render/DisplayMode.h"

namespace zen {

// The display modes of adapter 0 (hardware device) as the Direct3D 9 renderer offers them:
// every display mode of each display format, with each back-buffer format the device accepts
// there, each matching depth-stencil format and each supported multisample type, full screen;
// and the same combinations windowed at the desktop's size and format. Sorted in
// DisplayMode::Precedes order, with records that read the same kept once (the first found).
// Each record keeps the device formats it was found with, so a mode index maps straight back.
class D3D9ModeList {
public:
    struct Entry {
        DisplayMode mode;
        D3DFORMAT displayFormat;     // Adapter format (full screen) or the desktop's (windowed).
        D3DFORMAT backBufferFormat;
        D3DFORMAT depthFormat;
        D3DMULTISAMPLE_TYPE multisample;
    };

    // Fills the list from `direct3d`; an adapter without modes leaves it empty.
    void Enumerate(IDirect3D9* direct3d);

    uint32_t Count() const { return static_cast<uint32_t>(m_entries.size()); }
    const Entry& operator[](uint32_t index) const { return m_entries[index]; }
    // The first full-screen record of the desktop's size and format; -1 when none.
    int32_t DesktopIndex() const { return m_desktopIndex; }

private:
    void AddCombinations(IDirect3D9* direct3d, D3DFORMAT displayFormat, uint32_t width, uint32_t height,
                         bool windowed);

    std::vector<Entry> m_entries;
    int32_t m_desktopIndex = -1;
};

}  // namespace zen
