// A Windows program for the Wine stage that draws through the "DirectX9" renderer with the
// engine's own scene objects and reads each frame back (Renderer::ReadFrame), to check the
// device side of what the test scene of `zen render` does not reach: render targets, cube and
// volume textures, the uploaded mip chain, occlusion queries, non-indexed drawing, mirror culling, the depth-equal
// override, indices past the vertices, a shader text that does not assemble, and textures
// rebuilt after a lost device.
//
//   DrawProbe.exe OUT LOG [lost]
//
// OUT gets one line per check ("<name> <values>", colours as r,g,b), then "done". The camera
// sits at the origin looking along +z with a 90-degree view on a square window, so a quad at
// depth 1 spanning -1..1 covers the picture.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/OcclusionQuery.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/VertexShader.h"
#include "engine/scene/VolumeImage.h"
#include "engine/scene/VolumeTexture.h"
#include "modules/directx9/D3D9Renderer.h"
#include "modules/directx9/D3D9TextureUpload.h"
#include "tests/wine/programs/ProbeEngine.h"

namespace {

using namespace zen;

constexpr uint32_t kSide = 128;  // Window and picture size.

using probe::Line;

// A rectangle facing the camera at depth z (clockwise from the top left, as the device draws
// front faces), with coordinates (0, 0) at the top left; `indexed` gives it indices.
Ptr<Triangles> Quad(float left, float right, float bottom, float top, float z, bool indexed = true)
{
    Ptr<Triangles> quad = new Triangles();
    quad->SetName(String("Quad"));
    const Vector3 corners[4] = {{left, top, z}, {right, top, z}, {right, bottom, z}, {left, bottom, z}};
    const Vector2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int order[6] = {0, 1, 2, 0, 2, 3};
    Ptr<Vector3Buffer> vertices = new Vector3Buffer(indexed ? 4 : 6);
    Ptr<Vector2Buffer> coords = new Vector2Buffer(indexed ? 4 : 6);
    for (uint32_t i = 0; i < vertices->GetCount(); ++i) {
        vertices->Data()[i] = corners[indexed ? i : order[i]];
        coords->Data()[i] = uv[indexed ? i : order[i]];
    }
    quad->SetVertices(vertices.Get());
    (void)quad->SetTexCoords(0, coords.Get());
    if (indexed) {
        Ptr<IntBuffer> indices = new IntBuffer(6);
        for (int i = 0; i < 6; ++i)
            indices->Data()[i] = order[i];
        quad->SetIndices(indices.Get());
    }
    quad->UpdateGeometry(false, false);
    return quad;
}

void Paint(Triangles& quad, const Vector4& color)
{
    Ptr<ColorEffect> effect = new ColorEffect();
    effect->SetColor(color);
    (void)quad.SetEffect(effect.Get());
}

void Texture(Triangles& quad, BaseTexture* texture)
{
    Ptr<TextureEffect> effect = new TextureEffect();
    if (texture && texture->IsDerivedFrom(&zen::Texture::TYPE))
        effect->SetTexture(static_cast<zen::Texture*>(texture));
    (void)quad.SetEffect(effect.Get());
}

// An image of `side` x `side` pixels in four quadrants as seen: red top left, green top right,
// blue bottom left, yellow bottom right (rows are stored bottom-up).
Ptr<Image> Quadrants(uint32_t side)
{
    Ptr<Image> image = new Image(String("quadrants"), Image::kR8G8B8, side, side);
    const uint8_t colors[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    for (uint32_t row = 0; row < side; ++row)
        for (uint32_t x = 0; x < side; ++x) {
            const int quadrant = (row >= side / 2 ? 0 : 2) + (x < side / 2 ? 0 : 1);
            for (int c = 0; c < 3; ++c)
                image->Data()[(row * side + x) * 3 + c] = colors[quadrant][c];
        }
    return image;
}

class Probe {
public:
    explicit Probe(D3D9Renderer* renderer) : m_renderer(renderer)
    {
        m_camera = new Camera();
        m_camera->SetFrustum(1.5707964f, 0.1f, 100.0f);
        m_renderer->SetCamera(m_camera.Get());
    }

    // One frame: cleared black, `draw` called, the blended geometry flushed, the picture read.
    // False when the frame was skipped.
    bool Frame(const std::function<void()>& draw) { return probe::ReadFrame(*m_renderer, *m_picture, draw); }

    void Draw(Node& node)
    {
        node.UpdateState(0.0, true);
        node.DrawIfVisible(m_renderer);
    }

    // "r,g,b" of the picture at column x, row y (from the top).
    std::string Pixel(uint32_t x, uint32_t y) const
    {
        const uint32_t width = m_picture->Width(), height = m_picture->Height();
        if (x >= width || y >= height || !m_picture->Data())
            return "none";
        const uint8_t* p = m_picture->Data() + ((height - 1 - y) * width + x) * 3;
        return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
    }
    // The pixel showing the point (x, y) at depth 1 (the view is 90 degrees high).
    std::string PixelAt(float x, float y) const
    {
        const float width = static_cast<float>(m_picture->Width()), height = static_cast<float>(m_picture->Height());
        return Pixel(static_cast<uint32_t>(width / 2 + x * height / 2), static_cast<uint32_t>(height / 2 - y * height / 2));
    }

    D3D9Renderer* m_renderer;
    Ptr<Camera> m_camera;
    Ptr<Image> m_picture = new Image();
};

void CheckOrientation(Probe& probe, const char* name)
{
    Ptr<Triangles> quad = Quad(-1, 1, -1, 1, 1);
    Ptr<Image> image = Quadrants(8);
    Ptr<zen::Texture> texture = new zen::Texture(String("Quadrants"), image.Get());
    Texture(*quad, texture.Get());
    probe.Frame([&] { probe.Draw(*quad); });
    Line("%s %s %s %s %s", name, probe.Pixel(32, 32).c_str(), probe.Pixel(96, 32).c_str(), probe.Pixel(32, 96).c_str(),
         probe.Pixel(96, 96).c_str());
}

// Black geometry at depth 5 in white exponential fog of density 0.2: e^-1 of the colour is
// left, so the pixel is about 255 x (1 - 0.368) = 161, with programs and without.
void CheckFog(Probe& probe, const char* name)
{
    Ptr<Triangles> quad = Quad(-5, 5, -5, 5, 5);
    Paint(*quad, Vector4{0, 0, 0, 1});
    static_cast<ColorEffect*>(quad->GetEffect())->SetFog(true, Vector4{1, 1, 1, 1}, 0.2f, 2.0f);
    probe.Frame([&] { probe.Draw(*quad); });
    Line("%s %s", name, probe.Pixel(64, 64).c_str());
}

void CheckRenderTarget(Probe& probe)
{
    Ptr<Image> image = new Image(String("target"), Image::kR8G8B8, 64, 64);
    Ptr<zen::Texture> target = new zen::Texture(String("Target"), image.Get());
    Ptr<Triangles> quad = Quad(-1, 1, -1, 1, 1);
    Texture(*quad, target.Get());
    uint32_t inside[2] = {0, 0};
    probe.Frame([&] {
        probe.m_renderer->BeginRenderTarget(target.Get());
        inside[0] = probe.m_renderer->GetViewportWidth();
        inside[1] = probe.m_renderer->GetViewportHeight();
        probe.m_renderer->Clear(Renderer::kClearColor | Renderer::kClearDepth, Vector4{1, 0, 1, 1}, 1.0f, 0);
        probe.m_renderer->EndRenderTarget();
        probe.Draw(*quad);
    });
    Line("target viewport %u %u after %u %u pixel %s dirty %d", inside[0], inside[1],
         probe.m_renderer->GetViewportWidth(), probe.m_renderer->GetViewportHeight(), probe.Pixel(64, 64).c_str(),
         target->IsDirty() ? 1 : 0);
}

void CheckCubeAndVolume(Probe& probe)
{
    Ptr<VolumeImage> faces = new VolumeImage(String("faces"), Image::kR8G8B8A8, 8, 8, 6);
    Ptr<CubeTexture> cube = new CubeTexture(String("Cube"), faces.Get());
    Ptr<VolumeImage> slices = new VolumeImage(String("slices"), Image::kA8, 8, 8, 4);
    Ptr<VolumeTexture> volume = new VolumeTexture(String("Volume"), slices.Get());
    Ptr<VolumeImage> wrong = new VolumeImage(String("wrong"), Image::kR8G8B8, 8, 4, 6);  // Not square.
    Ptr<CubeTexture> broken = new CubeTexture(String("Skewed"), wrong.Get());
    IDirect3DDevice9* device = probe.m_renderer->Device();
    auto kind = [device](DWORD stage) {
        IDirect3DBaseTexture9* bound = nullptr;
        if (FAILED(device->GetTexture(stage, &bound)) || !bound)
            return std::string("none");
        const D3DRESOURCETYPE type = bound->GetType();
        const DWORD levels = bound->GetLevelCount();
        bound->Release();
        return std::string(type == D3DRTYPE_CUBETEXTURE ? "cube" : type == D3DRTYPE_VOLUMETEXTURE ? "volume" : "other") +
               "/" + std::to_string(levels);
    };
    probe.Frame([&] {
        probe.m_renderer->SetTexture(0, cube.Get());
        probe.m_renderer->SetTexture(1, volume.Get());
        probe.m_renderer->SetTexture(2, broken.Get());
    });
    Line("textures %s %s %s dirty %d %d %d", kind(0).c_str(), kind(1).c_str(), kind(2).c_str(), cube->IsDirty() ? 1 : 0,
         volume->IsDirty() ? 1 : 0, broken->IsDirty() ? 1 : 0);
}

// The upload's mip chain on the device: a 4x2 picture whose left 2x2 block alternates black and
// white (alpha 0 and 255) and whose right block holds greys 10, 20, 200, 250 (alpha 255); each
// level of the device's texture copied to a render target and read back, "r,g,b,a" per texel.
void CheckMipChain(Probe& probe)
{
    Ptr<Image> picture = new Image();
    const uint8_t greys[2][4] = {{0, 255, 10, 20}, {255, 0, 200, 250}};  // Rows bottom-up.
    const uint8_t alphas[2][4] = {{0, 255, 255, 255}, {255, 0, 255, 255}};
    IDirect3DDevice9* device = probe.m_renderer->Device();
    IDirect3DTexture9* texture = nullptr;
    if (picture->Allocate(Image::kR8G8B8A8, 4, 2) != kSuccess) {
        Line("mips none");
        return;
    }
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 4; ++c)
                picture->Data()[(row * 4 + x) * 4 + c] = c == 3 ? alphas[row][x] : greys[row][x];
    if (
        D3D9TextureUpload::Create2D(device, *picture, 0, false, String("Chain"), &texture) != kSuccess) {
        Line("mips none");
        return;
    }
    std::string text = "mips " + std::to_string(texture->GetLevelCount());
    for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
        IDirect3DSurface9 *surface = nullptr, *target = nullptr, *copy = nullptr;
        D3DSURFACE_DESC description{};
        D3DLOCKED_RECT locked{};
        text += " |";
        if (SUCCEEDED(texture->GetSurfaceLevel(level, &surface)) && SUCCEEDED(surface->GetDesc(&description)) &&
            SUCCEEDED(device->CreateRenderTarget(description.Width, description.Height, D3DFMT_A8R8G8B8,
                                                 D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr)) &&
            SUCCEEDED(device->StretchRect(surface, nullptr, target, nullptr, D3DTEXF_POINT)) &&
            SUCCEEDED(device->CreateOffscreenPlainSurface(description.Width, description.Height, D3DFMT_A8R8G8B8,
                                                          D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
            SUCCEEDED(device->GetRenderTargetData(target, copy)) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            for (UINT y = 0; y < description.Height; ++y)
                for (UINT x = 0; x < description.Width; ++x) {
                    const uint8_t* bgra = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4;
                    char texel[24];
                    std::snprintf(texel, sizeof texel, " %u,%u,%u,%u", bgra[2], bgra[1], bgra[0], bgra[3]);
                    text += texel;
                }
            copy->UnlockRect();
        } else {
            text += " unread";
        }
        for (IDirect3DSurface9* held : {surface, target, copy})
            if (held)
                held->Release();
    }
    texture->Release();
    Line("%s", text.c_str());
}

void CheckOcclusion(Probe& probe)
{
    Ptr<Triangles> quad = Quad(-0.25f, 0.25f, -0.25f, 0.25f, 1);
    Paint(*quad, Vector4{1, 1, 1, 1});
    Ptr<OcclusionQuery> query = new OcclusionQuery();
    probe.Frame([&] {
        probe.m_renderer->BeginOcclusionQuery(query.Get());
        probe.Draw(*quad);
        probe.m_renderer->EndOcclusionQuery(query.Get());
    });
    // The renderer never waits for a count: it arrives once the device has finished the frame,
    // and each further EndOcclusionQuery looks again without waiting.
    const DWORD start = GetTickCount();
    while (query->VisiblePixels() == 0 && GetTickCount() - start < 5000)
        probe.m_renderer->EndOcclusionQuery(query.Get());
    Line("occlusion %u", query->VisiblePixels());
}

void CheckNonIndexed(Probe& probe)
{
    Ptr<Triangles> quad = Quad(-1, 1, -1, 1, 1, false);
    Paint(*quad, Vector4{0, 1, 0, 1});
    probe.Frame([&] { probe.Draw(*quad); });
    const std::string whole = probe.Pixel(100, 100);
    // Only the first triangle (top left, top right, bottom right).
    probe.Frame([&] {
        quad->UpdateState(0.0, true);
        probe.m_renderer->SetCurrentGeometry(quad.Get());
        if (quad->GetEffect()->GetPassCount() == 1 && quad->GetEffect()->ApplyPass(0, probe.m_renderer) == kSuccess)
            probe.m_renderer->DrawNonIndexed(1);
    });
    Line("nonindexed whole %s first %s %s", whole.c_str(), probe.Pixel(100, 20).c_str(), probe.Pixel(20, 100).c_str());
}

void CheckOverrides(Probe& probe)
{
    Ptr<Triangles> front = Quad(-1, 1, -1, 1, 1);
    Paint(*front, Vector4{1, 0, 0, 1});
    probe.m_renderer->SetMirrorCulling(true);
    probe.Frame([&] { probe.Draw(*front); });
    probe.m_renderer->SetMirrorCulling(false);
    const std::string mirrored = probe.Pixel(64, 64);
    probe.Frame([&] { probe.Draw(*front); });
    const std::string plain = probe.Pixel(64, 64);
    Line("mirror %s plain %s", mirrored.c_str(), plain.c_str());

    Ptr<Triangles> behind = Quad(-2, 2, -2, 2, 2);
    Paint(*behind, Vector4{0, 1, 0, 1});
    Ptr<Triangles> same = Quad(-1, 1, -1, 1, 1);
    Paint(*same, Vector4{0, 0, 1, 1});
    probe.Frame([&] {
        probe.Draw(*front);
        probe.m_renderer->SetDepthEqual(true);
        probe.Draw(*behind);  // Fails the equal test where the front quad is.
        probe.Draw(*same);    // Passes it.
        probe.m_renderer->SetDepthEqual(false);
    });
    Line("depthequal %s", probe.Pixel(64, 64).c_str());
}

void CheckBadInput(Probe& probe, const std::string& logPath)
{
    // Indices past the vertices: not drawn.
    Ptr<Triangles> quad = Quad(-1, 1, -1, 1, 1);
    quad->Indices()->Data()[5] = 99;
    quad->Indices()->SetDirty(true);
    Paint(*quad, Vector4{1, 1, 1, 1});
    probe.Frame([&] { probe.Draw(*quad); });
    Line("badindices %s", probe.Pixel(64, 64).c_str());

    // A program that does not assemble: unbound, reported once for both objects with its text.
    Ptr<VertexShader> first = new VertexShader(String("Broken"), String("vs_1_1\nbogus r0, v0\n"));
    Ptr<VertexShader> second = new VertexShader(String("Broken"), String("vs_1_1\nbogus r0, v0\n"));
    IDirect3DVertexShader9* bound = nullptr;
    probe.Frame([&] {
        probe.m_renderer->SetVertexShader(first.Get());
        probe.m_renderer->SetVertexShader(second.Get());
        probe.m_renderer->Device()->GetVertexShader(&bound);
    });
    if (bound)
        bound->Release();
    // The log so far, read through a second handle.
    std::string log;
    if (std::FILE* file = std::fopen(logPath.c_str(), "rb")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            log.append(buffer, got);
        std::fclose(file);
    }
    int reports = 0;
    for (size_t at = log.find("[Broken]"); at != std::string::npos; at = log.find("[Broken]", at + 1))
        ++reports;
    Line("badshader bound %d reports %d", bound ? 1 : 0, reports);
}

void CheckLostDevice(Probe& probe)
{
    Ptr<Triangles> quad = Quad(-1, 1, -1, 1, 1);
    Ptr<Image> image = Quadrants(8);
    Ptr<zen::Texture> texture = new zen::Texture(String("Quadrants"), image.Get());
    Texture(*quad, texture.Get());
    // Corners filled again every frame, as particles are: from the second fill on they live in
    // the default pool too, and must come back with the device.
    auto draw = [&] {
        quad->Vertices()->SetDirty();
        probe.Draw(*quad);
    };
    probe.Frame(draw);
    probe.Frame(draw);
    Line("before %s pool %u", probe.PixelAt(-0.5f, 0.5f).c_str(), probe.m_renderer->DefaultPoolCount());
    HWND window = static_cast<HWND>(probe.m_renderer->Window());
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    const bool drawn = probe.Frame(draw);
    Line("lost drawn %d pool %u dirty %d", drawn ? 1 : 0, probe.m_renderer->DefaultPoolCount(),
         texture->IsDirty() ? 1 : 0);
    SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);
    bool back = false;
    for (int attempt = 0; attempt < 50 && !back; ++attempt) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        back = probe.Frame(draw);
    }
    Line("back %d %s dirty %d pool %u", back ? 1 : 0, probe.PixelAt(-0.5f, 0.5f).c_str(), texture->IsDirty() ? 1 : 0,
         probe.m_renderer->DefaultPoolCount());
    const bool refilled = probe.Frame(draw);
    Line("refilled %d %s pool %u", refilled ? 1 : 0, probe.PixelAt(-0.5f, 0.5f).c_str(),
         probe.m_renderer->DefaultPoolCount());
}

int Run(bool lost, const std::string& logPath)
{
    Renderer::SetMessageBoxesAllowed(false);
    if (LoadRenderer(String("DirectX9")) != kSuccess)
        return 1;
    auto* renderer = static_cast<D3D9Renderer*>(Renderer::Current());
    probe::OpenSquare(*renderer, "Brightfold Draw Probe", kSide, lost);
    {
        Probe probe(renderer);
        if (lost) {
            CheckLostDevice(probe);  // Full screen: only there does deactivation lose the device.
        } else {
            CheckOrientation(probe, "orientation");
            CheckFog(probe, "fog");
            renderer->LimitShaderVersion(0);
            CheckOrientation(probe, "fixed");
            CheckFog(probe, "fixedfog");
            renderer->LimitShaderVersion(0xFFFFFFFFu);
            CheckRenderTarget(probe);
            CheckCubeAndVolume(probe);
            CheckMipChain(probe);
            CheckOcclusion(probe);
            CheckNonIndexed(probe);
            CheckOverrides(probe);
            CheckBadInput(probe, logPath);
        }
        renderer->SetCamera(nullptr);
    }
    Line("close %d", renderer->Close());
    Line("release %d", ReleaseRenderer());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return probe::WithEngine(argc, argv, 3, "DrawProbe OUT LOG [lost]",
                             [&] { return Run(argc > 3 && std::string(argv[3]) == "lost", argv[2]); });
}
