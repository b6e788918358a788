#include "modules/directx9/D3D9ModeList.h"

#include <algorithm>

#include "modules/directx9/D3D9Formats.h"

namespace zen {
namespace {

constexpr UINT kAdapter = D3DADAPTER_DEFAULT;
constexpr D3DDEVTYPE kDeviceType = D3DDEVTYPE_HAL;

}  // namespace

void D3D9ModeList::Enumerate(IDirect3D9* direct3d)
{
    m_entries.clear();
    m_desktopIndex = -1;
    if (!direct3d)
        return;
    D3DDISPLAYMODE desktop{};
    const bool haveDesktop = SUCCEEDED(direct3d->GetAdapterDisplayMode(kAdapter, &desktop));

    for (const D3D9Formats::ColorFormat& display : D3D9Formats::kDisplayFormats) {
        const UINT count = direct3d->GetAdapterModeCount(kAdapter, display.format);
        for (UINT i = 0; i < count; ++i) {
            D3DDISPLAYMODE mode{};
            if (FAILED(direct3d->EnumAdapterModes(kAdapter, display.format, i, &mode)))
                continue;
            AddCombinations(direct3d, display.format, mode.Width, mode.Height, false);
        }
    }
    if (haveDesktop)
        AddCombinations(direct3d, desktop.Format, desktop.Width, desktop.Height, true);

    // Refresh rates list each size several times: equal records are kept once, the first found.
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const Entry& a, const Entry& b) { return DisplayMode::Precedes(a.mode, b.mode); });
    m_entries.erase(std::unique(m_entries.begin(), m_entries.end(),
                                [](const Entry& a, const Entry& b) { return a.mode == b.mode; }),
                    m_entries.end());

    if (!haveDesktop)
        return;
    for (uint32_t i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[i];
        if (entry.mode.fullscreen && entry.mode.width == desktop.Width && entry.mode.height == desktop.Height &&
            entry.displayFormat == desktop.Format) {
            m_desktopIndex = static_cast<int32_t>(i);
            return;
        }
    }
}

void D3D9ModeList::AddCombinations(IDirect3D9* direct3d, D3DFORMAT displayFormat, uint32_t width, uint32_t height,
                                   bool windowed)
{
    for (const D3D9Formats::ColorFormat& back : D3D9Formats::kBackBufferFormats) {
        if (FAILED(direct3d->CheckDeviceType(kAdapter, kDeviceType, displayFormat, back.format, windowed)))
            continue;
        for (const D3D9Formats::DepthFormat& depth : D3D9Formats::kDepthFormats) {
            if (FAILED(direct3d->CheckDeviceFormat(kAdapter, kDeviceType, displayFormat, D3DUSAGE_DEPTHSTENCIL,
                                                   D3DRTYPE_SURFACE, depth.format)) ||
                FAILED(direct3d->CheckDepthStencilMatch(kAdapter, kDeviceType, displayFormat, back.format,
                                                        depth.format)))
                continue;
            for (D3DMULTISAMPLE_TYPE multisample : D3D9Formats::kMultisampleTypes) {
                if (multisample != D3DMULTISAMPLE_NONE &&
                    (FAILED(direct3d->CheckDeviceMultiSampleType(kAdapter, kDeviceType, back.format, windowed,
                                                                 multisample, nullptr)) ||
                     FAILED(direct3d->CheckDeviceMultiSampleType(kAdapter, kDeviceType, depth.format, windowed,
                                                                 multisample, nullptr))))
                    continue;
                Entry entry;
                entry.mode = DisplayMode{width,           height,          back.colorBits,
                                         back.alphaBits,  depth.depthBits, depth.stencilBits,
                                         D3D9Formats::Samples(multisample), !windowed};
                entry.displayFormat = displayFormat;
                entry.backBufferFormat = back.format;
                entry.depthFormat = depth.format;
                entry.multisample = multisample;
                m_entries.push_back(entry);
            }
        }
    }
}

}  // namespace zen
