#include "tools/scene/Mist.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "tools/art/Canvas.h"
#include "tools/model/KeyframePath.h"
#include "tools/scene/NightLight.h"
#include "tools/scene/TileNoise.h"

namespace zen::scene {

Ptr<Image> Mist::Picture(const char* fileName)
{
    const int s = 256;
    const TileNoise patches(0x4d157u, 4);
    art::Canvas canvas(s, s);
    canvas.Shade([&](art::Vec2 c, art::Color) {
        const float u = c.x / s, v = c.y / s;
        // Thick near the shore, thinning out to nothing well inside the layer's square, so its
        // edges never show.
        const float d = std::hypot(u - 0.5f, v - 0.5f) * kSize;
        const float reach = 1.0f - art::SmoothStep(130.0f, 245.0f, d);
        const float n = patches.Fractal(u, v, 4);
        const float density = std::pow(std::clamp((n - 0.5f) * 3.2f, 0.0f, 1.0f), 1.3f) * reach;
        return art::Color(0.62f, 0.68f, 0.80f, density);
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

model::MeshBuilder Mist::Sheet(const Image& picture)
{
    model::MeshBuilder mesh;
    const int s = static_cast<int>(picture.Width());
    if (picture.Format() != Image::kR8G8B8A8 || picture.Height() != picture.Width() || s < kSheetCells ||
        s % kSheetCells != 0 || !picture.Data())
        return mesh;
    const int texels = s / kSheetCells;
    // Which texels hold mist, by picture row (y down, as Picture draws it; the image's rows run
    // bottom-up).
    std::vector<uint8_t> misty(static_cast<size_t>(s) * static_cast<size_t>(s));
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const size_t stored = (static_cast<size_t>(s - 1 - y) * static_cast<size_t>(s) + static_cast<size_t>(x)) * 4;
            misty[static_cast<size_t>(y) * static_cast<size_t>(s) + static_cast<size_t>(x)] = picture.Data()[stored + 3] > 0;
        }
    auto anyMist = [&](int x0, int y0, int x1, int y1) {
        for (int y = std::max(y0, 0); y < std::min(y1, s); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, s); ++x)
                if (misty[static_cast<size_t>(y) * static_cast<size_t>(s) + static_cast<size_t>(x)])
                    return true;
        return false;
    };
    // Cell (i, k) spans x from i and z from k cells past the near-left corner; picture u grows
    // with x and v against z.
    const float cell = kSize / kSheetCells;
    const float half = 0.5f * kSize;
    std::vector<int32_t> corner(static_cast<size_t>(kSheetCells + 1) * (kSheetCells + 1), -1);
    auto vertex = [&](int i, int k) {
        int32_t& index = corner[static_cast<size_t>(k) * (kSheetCells + 1) + static_cast<size_t>(i)];
        if (index < 0) {
            const float x = -half + cell * static_cast<float>(i);
            const float z = -half + cell * static_cast<float>(k);
            index = static_cast<int32_t>(mesh.AddVertex({x, 0, z}, {0, 1, 0}, {(x + half) / kSize, (half - z) / kSize}));
        }
        return static_cast<uint32_t>(index);
    };
    for (int k = 0; k < kSheetCells; ++k)
        for (int i = 0; i < kSheetCells; ++i) {
            const int x0 = i * texels, y0 = (kSheetCells - 1 - k) * texels;
            if (!anyMist(x0 - kSheetMargin, y0 - kSheetMargin, x0 + texels + kSheetMargin, y0 + texels + kSheetMargin))
                continue;
            // Near-left, far-left, far-right, near-right, as the height fields wind their cells.
            mesh.AddQuad(vertex(i, k), vertex(i, k + 1), vertex(i + 1, k + 1), vertex(i + 1, k));
        }
    return mesh;
}

Result Mist::Add(SceneNode& parent, Texture* mist)
{
    const Image* picture = mist ? mist->GetImage() : nullptr;
    if (!picture)
        return kFailure;
    const model::MeshBuilder sheetMesh = Sheet(*picture);
    const art::Color m = NightLight::kMoonlight;
    const art::Color horizon = NightLight::kHorizon;
    // Three layers one over another give the mist some depth from the water; each turns about
    // the centre once in many minutes, the middle one the other way, so the patches change.
    const struct {
        const char* name;
        float height, opacity, turnSeconds, turns;
    } layers[] = {{"MistLow", 0.6f, 0.3f, 900.0f, 1.0f},
                  {"MistMiddle", 2.2f, 0.2f, 1300.0f, -1.0f},
                  {"MistHigh", 4.5f, 0.12f, 1700.0f, 1.0f}};
    for (const auto& layer : layers) {
        Ptr<TextureEffect> look = new TextureEffect();
        look->SetName(String((std::string(layer.name) + "Effect").c_str()));
        look->SetTexture(mist);
        look->SetColor({m.r, m.g, m.b, layer.opacity});
        look->SetFog(true, Vector4{horizon.r, horizon.g, horizon.b, 1}, NightLight::kFogDensity, 1.0f);
        (void)look->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
        look->SetCullEnabled(false);
        Ptr<Triangles> sheet = sheetMesh.Build(layer.name);
        if (!sheet || sheet->SetEffect(look.Get()) != kSuccess)
            return kFailure;
        const Vector3 at = Centre() + Vector3{0, layer.height, 0};
        Ptr<NodeAnimation> drift = model::KeyframePath::Spin(layer.name, {0, 1, 0}, layer.turns, at, 16);
        if (!drift ||
            sheet->SetController(model::KeyframePath::Play(layer.name, drift.Get(), layer.turnSeconds, true).Get()) !=
                kSuccess ||
            parent.AttachChild(sheet.Get()) != kSuccess)
            return kFailure;
    }
    return kSuccess;
}

}  // namespace zen::scene
