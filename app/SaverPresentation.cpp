// The saver's presentation: the loading screen, and the clock and frame-rate overlays drawn
// over the scene. Everything 2D is the one unit quad seen through the overlay camera, so it
// takes the same renderer path as the scene.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <new>

#include "app/Saver.h"
#include "engine/core/MessageLog.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Image.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/RenderState.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/vfs/FileManager.h"
#include "platform/Platform.h"

namespace brightfold {
namespace {

// Loading-screen pictures: the background, then the corners bottom left, bottom right, top
// left, top right.
const char* const kLoaderFiles[] = {"loader.jpg", "4loader_ld.tga", "4loader_rd.tga", "4loader_lu.tga",
                                    "4loader_ru.tga"};
// Glyph pictures, in the order of GlyphIndex.
const char* const kGlyphFiles[] = {"digit_0.tga", "digit_1.tga", "digit_2.tga", "digit_3.tga", "digit_4.tga",
                                   "digit_5.tga", "digit_6.tga", "digit_7.tga", "digit_8.tga", "digit_9.tga",
                                   "digit_a.tga", "digit_p.tga", "digit_m.tga", "digit_dot.tga", "digit_ddot.tga"};
static_assert(sizeof kLoaderFiles / sizeof *kLoaderFiles == 5);
static_assert(sizeof kGlyphFiles / sizeof *kGlyphFiles == 15);

constexpr float kCellWidth = 0.04f;    // Overlay units per glyph cell.
constexpr float kCellHeight = 0.075f;
constexpr float kFpsX = 0.01f, kFpsY = 0.915f;
constexpr float kClockY = 0.01f;

// The glyph slot of a character; -1 for characters without a picture.
int GlyphIndex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    switch (c) {
    case 'a': return 10;
    case 'p': return 11;
    case 'm': return 12;
    case '.': return 13;
    case ':': return 14;
    default: return -1;
    }
}

// A picture of the file tree as a texture with a full mip chain. A missing or undecodable
// picture is not fatal: it is logged and that picture is simply not drawn.
zen::Texture* LoadPicture(const char* name)
{
    zen::File* file = zen::FileManager::FindFile(zen::String(name));
    if (!file) {
        zen::Warning("Изображение [%s] не найдено.", name);
        return nullptr;
    }
    zen::Ptr<zen::Image> image(new (std::nothrow) zen::Image(file, zen::String(name)));
    if (!image || !image->Data()) {
        zen::Warning("Невозможно загрузить изображение [%s].", name);
        return nullptr;
    }
    zen::Texture* texture = new (std::nothrow) zen::Texture(zen::String(name), image.Get());
    if (texture)
        texture->SetMipLevels(0);
    return texture;
}

}  // namespace

std::string Saver::ClockText(int hour, int minute, int second, bool hour24)
{
    const char* suffix = "";
    if (!hour24) {
        suffix = hour < 12 ? " am " : " pm ";
        if (hour >= 13)
            hour -= 12;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d%s", hour, minute, second, suffix);
    return text;
}

float Saver::ClockLeft(size_t length, bool hour24)
{
    return 1.01f - static_cast<float>(length) * kCellWidth + (hour24 ? -0.02f : 0.02f);
}

int Saver::CreateVisuals()
{
    // The unit square as two triangles, texture coordinates (x, 1 - y).
    static const zen::Vector3 kCorners[6] = {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    m_quad = new (std::nothrow) zen::Triangles();
    zen::Ptr<zen::Vector3Buffer> positions(new (std::nothrow) zen::Vector3Buffer(6));
    zen::Ptr<zen::Vector2Buffer> coordinates(new (std::nothrow) zen::Vector2Buffer(6));
    zen::Ptr<zen::IntBuffer> indices(new (std::nothrow) zen::IntBuffer(6));
    m_spriteEffect = new (std::nothrow) zen::TextureEffect();
    m_overlayCamera = new (std::nothrow) zen::Camera();
    if (!m_quad || !positions || !coordinates || !indices || !m_spriteEffect || !m_overlayCamera ||
        !positions->Data() || !coordinates->Data() || !indices->Data()) {
        zen::Error("Недостаточно памяти для создания данных визуализации.");
        return 1;
    }
    for (int i = 0; i < 6; ++i) {
        positions->Data()[i] = kCorners[i];
        coordinates->Data()[i] = zen::Vector2{kCorners[i].x, 1.0f - kCorners[i].y};
        indices->Data()[i] = i;
    }
    m_quad->SetName(zen::String("Overlay"));
    m_quad->SetVertices(positions.Get());
    if (m_quad->SetTexCoords(0, coordinates.Get()) != zen::kSuccess) {
        zen::Error("Недостаточно памяти для создания данных визуализации.");
        return 1;
    }
    m_quad->SetIndices(indices.Get());
    m_quad->UpdateState(0.0, true);
    // Culling must never remove the quad, whatever the overlay camera's planes are.
    if (auto* bound = static_cast<zen::SphereBoundingVolume*>(m_quad->LocalBound()))
        bound->Set(zen::Vector3{0, 0, 0}, FLT_MAX);
    m_quad->UpdateState(0.0, true);
    (void)m_spriteEffect->SetBlending(true, zen::RenderState::kBlendSourceAlpha,
                                      zen::RenderState::kBlendInverseSourceAlpha);
    (void)m_quad->SetEffect(m_spriteEffect.Get());
    m_overlayCamera->SetFixedMatrices(zen::Matrix4::Identity(), zen::Camera::ScreenProjection());

    for (int i = 0; i < kLoaderTextures; ++i) {
        m_loaderTextures[i] = LoadPicture(kLoaderFiles[i]);
        if (i == 0)
            zen::Info("LoadingTexture Loaded");
    }
    for (int i = 0; i < kGlyphTextures; ++i)
        m_glyphTextures[i] = LoadPicture(kGlyphFiles[i]);
    return CreateOverlay();
}

void Saver::UseOverlayCamera(float sx, float sy, float x, float y)
{
    const zen::Matrix4 place = zen::Matrix4::FromRows({sx, 0, 0, 0}, {0, sy, 0, 0}, {0, 0, 1, 0}, {x, y, 0, 1});
    m_overlayCamera->SetFixedMatrices(zen::Matrix4::Identity(), place * zen::Camera::ScreenProjection());
    zen::Renderer::Current()->SetCamera(m_overlayCamera.Get());
}

void Saver::PlaceQuad(float x, float y, float w, float h)
{
    zen::Transform& local = m_quad->LocalTransform();
    local.SetScale(zen::Vector3{w, h, 1});
    local.SetTranslation(zen::Vector3{x, y, 0});
    m_quad->UpdateState(0.0, true);
}

void Saver::DrawOverlayQuad()
{
    zen::Renderer* renderer = zen::Renderer::Current();
    m_quad->Draw(renderer);
    renderer->FlushDeferred();
}

int Saver::ShowLoadingScreen()
{
    zen::Renderer* renderer = zen::Renderer::Current();
    UseOverlayCamera();
    renderer->Clear(zen::Renderer::kClearColor | zen::Renderer::kClearDepth, zen::Vector4{0, 0, 0, 1}, 1.0f, 0);
    const zen::Result begun = renderer->StartFrame();
    if (begun == zen::kSuccess) {
        m_spriteEffect->SetColor(zen::Vector4{1, 1, 1, 1});
        (void)m_spriteEffect->SetBlending(true, zen::RenderState::kBlendSourceAlpha,
                                          zen::RenderState::kBlendInverseSourceAlpha);
        PlaceQuad(0, 0, 1, 1);
        if (m_loaderTextures[0]) {
            m_spriteEffect->SetTexture(m_loaderTextures[0].Get());
            DrawOverlayQuad();
        }
        // Each corner picture at its own pixel size, flush with its corner.
        const float screenW = static_cast<float>(renderer->GetViewportWidth());
        const float screenH = static_cast<float>(renderer->GetViewportHeight());
        for (int corner = 1; corner < kLoaderTextures && screenW > 0 && screenH > 0; ++corner) {
            const zen::Texture* texture = m_loaderTextures[corner].Get();
            if (!texture || !texture->GetImage())
                continue;
            const float w = static_cast<float>(texture->GetImage()->Width()) / screenW;
            const float h = static_cast<float>(texture->GetImage()->Height()) / screenH;
            const bool right = corner == 2 || corner == 4;
            const bool top = corner >= 3;
            UseOverlayCamera(w, h, right ? 1 - w : 0, top ? 1 - h : 0);
            m_spriteEffect->SetTexture(m_loaderTextures[corner].Get());
            DrawOverlayQuad();
        }
        renderer->FinishFrame();
        // Wine shows a full-screen window's new contents only once its thread looks at its
        // messages again, which the scene's loading would otherwise put off until the first
        // frame: the loading screen would never be seen. The input this dispatches is queued
        // for the frame loop as usual.
        platform::PumpMessages();
    } else if (begun != zen::kFailure) {
        zen::Error("Неудачно начало рендеринга.");
        return 1;
    }
    // A device lost just now (kFailure) only costs the picture: the scene still loads.
    for (zen::Ptr<zen::Texture>& texture : m_loaderTextures)
        texture = nullptr;
    m_spriteEffect->SetTexture(nullptr);
    renderer->SetCamera(nullptr);
    return 0;
}

int Saver::DrawGlyphText(const char* text, float x, float y, float w, float h)
{
    zen::Texture* chosen = m_spriteEffect->GetTexture();
    for (const char* c = text; *c; ++c) {
        PlaceQuad(x, y, w, h);
        const int glyph = GlyphIndex(*c);
        if (glyph >= 0)
            chosen = m_glyphTextures[glyph].Get();
        if (*c == ' ') {
            x += w * 0.5f;
            continue;
        }
        if (chosen) {
            m_spriteEffect->SetTexture(chosen);
            DrawOverlayQuad();
        }
        x += w;
    }
    return 0;
}

void Saver::DrawOverlays()
{
    zen::Renderer* renderer = zen::Renderer::Current();
    if (!renderer || !m_quad)
        return;
    // What the scene queued is drawn under the scene's own camera first.
    renderer->FlushDeferred();
    const zen::Ptr<zen::Camera> previous(renderer->GetCamera());
    UseOverlayCamera();
    m_spriteEffect->SetColor(zen::Vector4{1, 1, 1, 1});
    const UserSettings& settings = m_store.Current();
    if (settings.showFps) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(std::ceil(m_frameRate.FramesPerSecond())));
        DrawGlyphText(text, kFpsX, kFpsY, kCellWidth, kCellHeight);
    }
    if (settings.showTime) {
        const std::time_t now = std::time(nullptr);
        if (const std::tm* local = std::localtime(&now)) {
            const std::string text = ClockText(local->tm_hour, local->tm_min, local->tm_sec, settings.hour24);
            DrawGlyphText(text.c_str(), ClockLeft(text.size(), settings.hour24), kClockY, kCellWidth, kCellHeight);
        }
    }
    renderer->SetCamera(previous.Get());
}

int Saver::DestroyVisuals()
{
    if (DestroyOverlay() != 0) {
        zen::Error("Невозможно удалить данные визуализации дочернего сейвера.");
        return 1;
    }
    m_quad = nullptr;
    m_spriteEffect = nullptr;
    m_overlayCamera = nullptr;
    for (zen::Ptr<zen::Texture>& texture : m_loaderTextures)
        texture = nullptr;
    for (zen::Ptr<zen::Texture>& texture : m_glyphTextures)
        texture = nullptr;
    return 0;
}

}  // namespace brightfold
