#include "engine/text/LearnMessage.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/render/Renderer.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/RenderState.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen {
namespace {

// The font of `style` set to the style's glyph size, so its widths are the style's.
TextureFont2* Sized(const LearnStyle& style)
{
    style.font->SetScale(style.size[0], style.size[1]);
    return style.font.Get();
}

float LineAdvance(const LearnStyle& style)
{
    return style.font->Metrics().lineHeight * style.size[1];
}

}  // namespace

LearnMessage::LearnMessage() = default;
LearnMessage::~LearnMessage() = default;
LearnMessage::LearnMessage(LearnMessage&&) noexcept = default;
LearnMessage& LearnMessage::operator=(LearnMessage&&) noexcept = default;

int LearnMessage::BuildPanel()
{
    m_panel = new (std::nothrow) Triangles();
    if (!m_panel) {
        Error("Недостаточно памяти для создания геометрии LearnMessage. Имя[%s].", name.c_str());
        return 2;
    }
    Ptr<Vector3Buffer> vertices(new (std::nothrow) Vector3Buffer(4));
    if (!vertices || !vertices->Data()) {
        Error("Недостаточно памяти для создания вершин LearnMessage. Имя[%s]", name.c_str());
        return 2;
    }
    Ptr<IntBuffer> indices(new (std::nothrow) IntBuffer(6));
    if (!indices || !indices->Data()) {
        Error("Недостаточно памяти для создания индексов LearnMessage. Имя[%s]", name.c_str());
        return 2;
    }
    Ptr<Vector2Buffer> coordinates(new (std::nothrow) Vector2Buffer(4));
    if (!coordinates || !coordinates->Data()) {
        Error("Недостаточно памяти для создания буффера текстурных координат LearnMessage. Имя[%s]", name.c_str());
        return 2;
    }
    if (back) {
        TextureEffect* effect = new (std::nothrow) TextureEffect();
        if (effect)
            effect->SetTexture(back.Get());
        m_effect = effect;
    } else {  // No background picture: the colour alone.
        m_effect = new (std::nothrow) ColorEffect();
    }
    if (!m_effect) {
        Error("Недостаточно памяти для создания эффекта LearnMessage. Имя[%s]", name.c_str());
        return 2;
    }
    const float x0 = position[0], y0 = position[1], x1 = x0 + size[0], y1 = y0 + size[1];
    Vector3* v = vertices->Data();
    v[0] = Vector3{x0, y0, 0};
    v[1] = Vector3{x1, y0, 0};
    v[2] = Vector3{x1, y1, 0};
    v[3] = Vector3{x0, y1, 0};
    Vector2* t = coordinates->Data();
    t[0] = Vector2{0, 1};
    t[1] = Vector2{1, 1};
    t[2] = Vector2{1, 0};
    t[3] = Vector2{0, 0};
    const int32_t quad[6] = {0, 2, 1, 0, 3, 2};
    for (int i = 0; i < 6; ++i)
        indices->Data()[i] = quad[i];
    m_panel->SetName(String(name.c_str()));
    m_panel->SetVertices(vertices.Get());
    (void)m_panel->SetTexCoords(0, coordinates.Get());
    m_panel->SetIndices(indices.Get());
    m_panel->UpdateState(0.0, true);
    (void)m_effect->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
    (void)m_panel->SetEffect(m_effect.Get());
    return 0;
}

int LearnMessage::Build(const std::vector<LearnStyle>& styles)
{
    m_runs.clear();
    const int panel = BuildPanel();
    if (panel != 0)
        return panel;

    const float left = position[0] + borders[0];
    const float right = position[0] + size[0] - borders[2];
    const float top = position[1] + size[1] - borders[1];
    const LearnStyle* style = nullptr;
    float pen = left, baseline = top;
    bool lineEmpty = true;

    // The first line's glyph tops touch the top border; each further line is one line height
    // (of the style current at the break) lower.
    auto startLine = [&](bool first) {
        const FontMetrics& metrics = style->font->Metrics();
        baseline = first ? top - (metrics.lineHeight - metrics.baseShift) * style->size[1]
                         : baseline - LineAdvance(*style);
        pen = left;
        lineEmpty = true;
        m_runs.push_back(Run{style, std::string(), pen, baseline});
    };
    auto startRun = [&]() {
        if (!m_runs.empty() && m_runs.back().text.empty()) {
            m_runs.back().style = style;
            return;
        }
        m_runs.push_back(Run{style, std::string(), pen, baseline});
    };
    auto width = [&](const std::string& text) {
        const TextureFont2* font = Sized(*style);
        float sum = 0;
        for (unsigned char c : text)
            sum += font->CharWidth(c);
        return sum;
    };

    size_t at = value.find_first_not_of(" \t\r\n");
    if (at == std::string::npos)
        return 0;  // No text: the panel alone.
    bool first = true;
    while (at < value.size()) {
        if (value[at] == '{') {
            const size_t close = value.find('}', at + 1);
            const LearnStyle* named = nullptr;
            if (close != std::string::npos)
                for (const LearnStyle& candidate : styles)
                    if (value.compare(at + 1, close - at - 1, candidate.name) == 0) {
                        named = &candidate;
                        break;
                    }
            if (!named) {
                Error("\t\tОшибка в обозначении шрифта сообщения [%s]", name.c_str());
                m_runs.clear();
                return 1;
            }
            if (!named->font) {
                Error("\t\tСообщение [%s] не имеет шрифта", name.c_str());
                m_runs.clear();
                return 1;
            }
            style = named;
            if (first) {
                startLine(true);
                first = false;
            } else {
                startRun();
            }
            at = close + 1;
            continue;
        }
        if (!style) {
            Error("\t\tСообщение [%s] не имеет шрифта", name.c_str());
            return 1;
        }
        const char c = value[at];
        if (c == '\n') {
            startLine(false);
            ++at;
            continue;
        }
        if (c == '\r') {
            ++at;
            continue;
        }
        if (c == ' ') {
            m_runs.back().text += ' ';
            pen += width(" ");
            ++at;
            continue;
        }
        size_t end = at;
        while (end < value.size() && value[end] != ' ' && value[end] != '\n' && value[end] != '\r' && value[end] != '{')
            ++end;
        const std::string word = value.substr(at, end - at);
        const float w = width(word);
        if (!lineEmpty && pen + w > right) {
            // Trailing spaces of the broken line stay where they are: they draw nothing.
            startLine(false);
        }
        m_runs.back().text += word;
        pen += w;
        lineEmpty = false;
        at = end;
    }
    // Pieces that hold nothing to draw are dropped.
    std::vector<Run> kept;
    for (Run& run : m_runs)
        if (run.text.find_first_not_of(' ') != std::string::npos)
            kept.push_back(std::move(run));
    m_runs = std::move(kept);
    return 0;
}

void LearnMessage::Draw(float opacity)
{
    Renderer* renderer = Renderer::Current();
    if (!renderer || !m_panel || !m_effect)
        return;
    if (opacity < 0.0f)
        opacity = 0.0f;
    if (opacity > 1.0f)
        opacity = 1.0f;
    m_effect->SetColor(Vector4{backColour.x, backColour.y, backColour.z, backColour.w * opacity});
    m_panel->Draw(renderer);
    renderer->FlushDeferred();
    for (const Run& run : m_runs) {
        TextureFont2* font = Sized(*run.style);
        const Vector4& c = run.style->colour;
        font->SetColour(Vector4{c.x, c.y, c.z, c.w * opacity});
        (void)font->DrawString(run.x, run.y, 0.0f, run.text.c_str());
    }
}

}  // namespace zen
