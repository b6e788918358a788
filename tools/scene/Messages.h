#pragma once
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"

namespace zen::scene {

// The on-screen messages: a few short lines about lighthouses and the sea, each shown while one
// of the shots is on screen, in a texture font rasterised from DejaVu Sans (Debian's
// fonts-dejavu-core) at build time. The learn system node reads its configuration, the font's
// parameter file and picture from the media archive when the scene loads.
class Messages {
public:
    static constexpr const char* kConfigFile = "learn.txt";
    static constexpr const char* kFontPicture = "font.tga";
    static constexpr const char* kFontParameters = "font.txt";
    static constexpr int kFontPictureSize = 512;
    static constexpr float kFontPixels = 48.0f;

    struct Text {
        std::string name;
        std::string bytes;
    };
    // The system's DejaVu Sans (through Wine's drive Z: in the Windows build of the tools).
    static std::string FontFile();
    // The font picture (R8G8B8A8), and the texts the archive carries beside it: the learn
    // system's configuration and the font's parameter file. kFailure (logged) without the font.
    [[nodiscard]] static Result Make(Ptr<Image>& picture, std::vector<Text>& texts);
    // The configuration alone (the tag language, root "LS").
    static std::string Configuration();
    // Adds the learn system "Messages" to `root`, its configuration checked by loading it from
    // `picture` and `texts` in memory (a warning there fails the build).
    [[nodiscard]] static Result Add(SceneNode& root, const Image& picture, const std::vector<Text>& texts);
};

}  // namespace zen::scene
