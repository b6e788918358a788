#pragma once
#include "tools/art/Canvas.h"

namespace zen::art {

// The bitmaps of the configuration dialog, the About box and the system's preview window. The
// saver scales each to its control, so each is drawn at about the size it is shown at on a
// 96-dpi screen (dialog units of "MS Shell Dlg" 8 are 1.5 × 1.625 pixels):
// - settings: the dialog's side picture, frame 172 × 169 units (258 × 275 pixels): the coast
//   in portrait with the product's name over the sea;
// - preview: the display settings page's preview, about 152 × 112 pixels: the coast with a small
//   title;
// - logo: the About box's picture, frame 60 × 108 units (90 × 176 pixels): the maker's mark and
//   name above a small lighthouse.
class DialogPictures {
public:
    static constexpr int kSettingsWidth = 258;
    static constexpr int kSettingsHeight = 275;
    static constexpr int kPreviewWidth = 152;
    static constexpr int kPreviewHeight = 112;
    static constexpr int kLogoWidth = 90;
    static constexpr int kLogoHeight = 176;

    static Canvas DrawSettings();
    static Canvas DrawPreview();
    static Canvas DrawLogo();
};

}  // namespace zen::art
