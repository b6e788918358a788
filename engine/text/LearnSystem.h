#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/String.h"
#include "engine/scene/Node.h"
#include "engine/text/LearnActivator.h"
#include "engine/text/LearnMessage.h"
#include "engine/text/LearnStyle.h"

namespace zen {

class Camera;
class Texture;
class TextureFont2;
struct TagElement;

// On-screen messages tied to cameras ("ZEN.LearnSystem", a scene node): while a camera is the
// renderer's current one, the activator configured for it shows its messages one at a time,
// picked at random, with fades (see LearnActivator). Textures, fonts, styles, messages and
// activators come from a configuration file in the tag language (TagParser) whose root is
// "LS", read when the node loads. A missing or malformed file leaves the node silent.
// Stream form after the node fields: the configuration file name (String).
class LearnSystem : public Node {
    ZEN_DECLARE_CLASS

public:
    LearnSystem();
    ~LearnSystem() override;

    const String& ConfigFile() const { return m_configFile; }
    // Sets the file name and loads the configuration from the file tree.
    void SetConfigFile(const String& name);
    // Loads the configuration from the file tree (everything loaded before is dropped).
    // 0 loaded; otherwise the reader's or parser's code (3 missing file, 1 unreadable or
    // malformed, 2 out of memory) or 1 for a root other than "LS", each with its warning.
    int LoadConfiguration();
    // The same from text already in memory (`size` bytes).
    int LoadConfigurationText(const char* text, uint32_t size);

    // Node: controllers and world transform, then the camera rule: the current camera's
    // activator advances; a new camera activates its activator (the first for that name).
    void Update(double time) override;
    // Draws the current activator's message, when it is visible, over everything drawn so far.
    void Draw(Renderer* renderer) override;
    void DrawIfVisible(Renderer* renderer) override;  // Never culled: it lies on the screen.

    // What the configuration made
    uint32_t TextureCount() const { return static_cast<uint32_t>(m_textures.size()); }
    uint32_t FontCount() const { return static_cast<uint32_t>(m_fonts.size()); }
    const std::vector<LearnStyle>& Styles() const { return m_styles; }
    const std::vector<LearnMessage>& Messages() const { return m_messages; }
    const std::vector<LearnActivator>& Activators() const { return m_activators; }
    int32_t CurrentActivator() const { return m_currentActivator; }
    const std::string& CurrentCamera() const { return m_currentCamera; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    void Clear();
    void LoadTextures(const TagElement& section);
    void LoadFonts(const TagElement& section);
    void LoadStyles(const TagElement& section);
    void LoadMessages(const TagElement& section);
    void LoadActivators(const TagElement& section);
    Texture* FindTexture(const std::string& name) const;

    String m_configFile;
    std::vector<Ptr<Texture>> m_textures;
    std::vector<Ptr<TextureFont2>> m_fonts;
    std::vector<LearnStyle> m_styles;
    std::vector<LearnMessage> m_messages;
    std::vector<LearnActivator> m_activators;
    std::string m_currentCamera;
    int32_t m_currentActivator = -1;
    Ptr<Camera> m_screenCamera;  // Maps (0, 0)-(1, 1) onto the screen while messages draw.
};

}  // namespace zen
