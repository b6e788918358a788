#include "tools/art/DialogPictures.h"

#include "tools/art/BrightfoldMark.h"
#include "tools/art/Lettering.h"
#include "tools/art/NightCoast.h"

namespace zen::art {
namespace {

constexpr int kSupersample = 4;

TextStyle TitleStyle(float capHeight, float baseline)
{
    TextStyle title;
    title.capHeight = capHeight;
    title.weight = 0.11f;
    title.tracking = 0.1f;
    title.fill = LinearPaint(Vec2(0, baseline - capHeight), Vec2(0, baseline),
                             Gradient{{0, Color(1.0f, 0.98f, 0.92f)}, {0.55f, Color(1.0f, 0.9f, 0.7f)},
                                      {1, Color(0.98f, 0.74f, 0.45f)}});
    title.outline = Color(0.01f, 0.02f, 0.05f, 0.6f);
    title.outlineWidth = capHeight * 0.05f;
    title.outlineBlur = capHeight * 0.04f;
    title.shadow = Color(0, 0.005f, 0.02f, 0.75f);
    title.shadowOffset = Vec2(capHeight * 0.05f, capHeight * 0.07f);
    title.shadowBlur = capHeight * 0.07f;
    title.glow = Color(0.5f, 0.56f, 0.72f, 0.5f);
    title.glowBlur = capHeight * 0.25f;
    return title;
}

TextStyle SubtitleStyle(float capHeight)
{
    TextStyle subtitle;
    subtitle.capHeight = capHeight;
    subtitle.weight = 0.14f;
    subtitle.tracking = 0.5f;
    subtitle.fill = SolidPaint(Color(0.84f, 0.9f, 1.0f));
    subtitle.shadow = Color(0, 0, 0.02f, 0.8f);
    subtitle.shadowOffset = Vec2(capHeight * 0.08f, capHeight * 0.1f);
    subtitle.shadowBlur = capHeight * 0.1f;
    return subtitle;
}

}  // namespace

Canvas DialogPictures::DrawSettings()
{
    Canvas canvas(kSettingsWidth * kSupersample, kSettingsHeight * kSupersample, Color(0, 0, 0, 1));
    const float w = static_cast<float>(canvas.Width());
    const float h = static_cast<float>(canvas.Height());
    CoastLayout layout;
    layout.horizon = 0.64f;
    layout.moon = Vec2(0.8f, 0.17f);
    layout.moonRadius = 0.045f;
    layout.towerX = 0.34f;
    layout.towerBase = 0.57f;
    layout.towerHeight = 0.34f;
    layout.headlandEnd = 0.78f;
    layout.headlandShore = 0.08f;
    layout.beamDegrees = -14;
    layout.beamReach = 0.9f;
    layout.rockHeight = 0;
    layout.starDensity = 1.2f;
    layout.vignette = 0.3f;
    NightCoast(canvas, layout).Paint();

    const float baseline = 0.875f * h;
    const float centre = 0.5f * w;
    Lettering::Draw(canvas, "LIGHTHOUSE", Vec2(centre, baseline), Align::kCentre, TitleStyle(0.072f * h, baseline));
    Lettering::Draw(canvas, "3D SCREENSAVER", Vec2(centre, baseline + 0.065f * h), Align::kCentre,
                    SubtitleStyle(0.026f * h));
    return canvas.Resampled(kSettingsWidth, kSettingsHeight);
}

Canvas DialogPictures::DrawPreview()
{
    Canvas canvas(kPreviewWidth * kSupersample, kPreviewHeight * kSupersample, Color(0, 0, 0, 1));
    const float w = static_cast<float>(canvas.Width());
    const float h = static_cast<float>(canvas.Height());
    CoastLayout layout;
    layout.horizon = 0.66f;
    layout.moon = Vec2(0.82f, 0.21f);
    layout.moonRadius = 0.05f;
    layout.towerX = 0.22f;
    layout.towerBase = 0.56f;
    layout.towerHeight = 0.36f;
    layout.headlandEnd = 0.56f;
    layout.headlandShore = 0.1f;
    layout.beamDegrees = -16;
    layout.rockHeight = 0;
    layout.starDensity = 0.8f;
    layout.vignette = 0.25f;
    NightCoast(canvas, layout).Paint();
    const float baseline = 0.9f * h;
    Lettering::Draw(canvas, "LIGHTHOUSE", Vec2(0.5f * w, baseline), Align::kCentre, TitleStyle(0.095f * h, baseline));
    return canvas.Resampled(kPreviewWidth, kPreviewHeight);
}

Canvas DialogPictures::DrawLogo()
{
    Canvas canvas(kLogoWidth * kSupersample, kLogoHeight * kSupersample, Color(0, 0, 0, 1));
    const float w = static_cast<float>(canvas.Width());
    const float h = static_cast<float>(canvas.Height());
    CoastLayout layout;
    layout.horizon = 0.87f;
    layout.moon = Vec2(0.2f, 0.08f);
    layout.moonRadius = 0.025f;
    layout.towerX = 0.7f;
    layout.towerBase = 0.85f;
    layout.towerHeight = 0.14f;
    layout.headlandEnd = 1.1f;
    layout.headlandShore = 0.05f;
    layout.beamDegrees = -10;
    layout.beamReach = 0.8f;
    layout.rockHeight = 0;
    layout.starDensity = 1.4f;
    layout.vignette = 0.2f;
    NightCoast(canvas, layout).Paint();

    BrightfoldMark::Draw(canvas, Vec2(0.5f * w, 0.3f * h), 0.3f * h);
    TextStyle name;
    name.capHeight = 0.041f * h;
    name.weight = 0.13f;
    name.tracking = 0.12f;
    name.fill = LinearPaint(Vec2(0, 0.5f * h - name.capHeight), Vec2(0, 0.5f * h),
                            Gradient{{0, Color(1.0f, 0.96f, 0.84f)}, {1, Color(0.95f, 0.8f, 0.52f)}});
    name.shadow = Color(0, 0, 0.02f, 0.8f);
    name.shadowOffset = Vec2(0.004f * h, 0.005f * h);
    name.shadowBlur = 0.005f * h;
    name.glow = Color(0.6f, 0.5f, 0.3f, 0.3f);
    name.glowBlur = 0.015f * h;
    Lettering::Draw(canvas, "BRIGHTFOLD", Vec2(0.5f * w, 0.53f * h), Align::kCentre, name);
    return canvas.Resampled(kLogoWidth, kLogoHeight);
}

}  // namespace zen::art
