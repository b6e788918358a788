#pragma once
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/text/LearnStyle.h"

namespace zen {

class ColorEffect;
class Texture;
class Triangles;

// A text panel of the learn system: a rectangle at `position` (its bottom left, screen units
// 0..1) of `size`, filled with the background texture (optional) tinted by the background
// colour, and the text laid out inside the borders (left, top, right, bottom margins).
// The text names its styles in braces: "{Title}Night{Body} falls" switches to style Title,
// then Body. Lines break at newlines and, between words, where the next word would pass the
// right border. Build lays the text out once; Draw draws panel and text at an opacity.
class LearnMessage {
public:
    LearnMessage();
    ~LearnMessage();
    LearnMessage(LearnMessage&&) noexcept;
    LearnMessage& operator=(LearnMessage&&) noexcept;

    // Lays out `value` with `styles`. 0 success; 1 when the text starts without a style
    // ("\t\tСообщение [%s] не имеет шрифта") or names one that is unknown, has no font or is
    // not closed ("\t\tОшибка в обозначении шрифта сообщения [%s]"): the message then draws
    // only its panel. 2 when the panel cannot be made (logged).
    int Build(const std::vector<LearnStyle>& styles);

    // Draws the panel and the text through the renderer's current camera (a screen camera),
    // colours' alpha multiplied by `opacity`.
    void Draw(float opacity);

    // One piece of text in one style, placed at its pen position (baseline left).
    struct Run {
        const LearnStyle* style;
        std::string text;
        float x, y;
    };
    const std::vector<Run>& Runs() const { return m_runs; }

    std::string name;
    float position[2] = {0, 0};
    float size[2] = {0, 0};
    Ptr<Texture> back;
    Vector4 backColour{0, 0, 0, 0};
    float borders[4] = {0, 0, 0, 0};  // Left, top, right, bottom.
    std::string value;

private:
    int BuildPanel();

    std::vector<Run> m_runs;
    Ptr<Triangles> m_panel;
    Ptr<ColorEffect> m_effect;  // A texture effect with a background picture, else a colour effect.
};

}  // namespace zen
