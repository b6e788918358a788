#include "tools/scene/Birds.h"

#include <cmath>
#include <string>

#include "engine/anim/AnimationFrame.h"
#include "engine/anim/NodeKeyframe.h"
#include "engine/anim/SkeletonAnimationController.h"
#include "engine/anim/SkinController.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "tools/art/Canvas.h"
#include "tools/model/KeyframePath.h"
#include "tools/model/MeshBuilder.h"
#include "tools/scene/Headland.h"

namespace zen::scene {
namespace {

using model::MeshBuilder;

// Modelled at a gull's size and drawn a little over twice that, so the birds read at the
// distances the cameras see them from.
constexpr float kScale = 2.2f;
constexpr float kWingRoot = 0.07f * kScale;  // Where a wing bone sits, either side of the body.
constexpr float kSpan = 0.72f;               // Root to tip, before scaling.

// The bird in its bind pose, facing +z, wings level; `bone` gets each vertex's bone (0 body,
// 1 left wing, 2 right wing) and how much the wing bone moves it.
MeshBuilder Bird(std::vector<Vector4>& indices, std::vector<Vector4>& weights)
{
    MeshBuilder mesh;
    auto add = [&](const Vector3& p, const Vector3& n, const Vector2& uv, int bone, float weight) {
        indices.push_back({0, static_cast<float>(bone), 0, 0});
        weights.push_back({1 - weight, weight, 0, 0});
        return mesh.AddVertex(p, n, uv);
    };
    // Body: a slim double pyramid from beak to tail.
    const Vector3 beak{0, 0, 0.32f}, tail{0, 0.01f, -0.30f};
    const Vector3 ring[4] = {{0, 0.07f, 0.02f}, {0.06f, 0, 0.02f}, {0, -0.06f, 0.02f}, {-0.06f, 0, 0.02f}};
    for (int i = 0; i < 4; ++i) {
        const Vector3 a = ring[i], b = ring[(i + 1) % 4];
        const Vector3 n = (a + b).Normalized();
        const uint32_t f0 = add(beak, n, {0.05f, 0.5f}, 0, 0), f1 = add(b, n, {0.05f, 0.5f}, 0, 0),
                       f2 = add(a, n, {0.05f, 0.5f}, 0, 0);
        mesh.AddTriangle(f0, f1, f2);
        const uint32_t t0 = add(tail, n, {0.05f, 0.5f}, 0, 0), t1 = add(a, n, {0.05f, 0.5f}, 0, 0),
                       t2 = add(b, n, {0.05f, 0.5f}, 0, 0);
        mesh.AddTriangle(t0, t1, t2);
    }
    // Wings: a swept blade each side, seen from above and below (two faces).
    for (int side : {1, -1}) {
        const float s = static_cast<float>(side);
        const int bone = side > 0 ? 2 : 1;
        const float root = kWingRoot / kScale;
        const Vector3 corners[4] = {{s * 0.04f, 0.01f, 0.10f}, {s * (root + kSpan), 0.0f, -0.06f},
                                    {s * (root + kSpan * 0.8f), 0.0f, -0.16f}, {s * 0.04f, 0.01f, -0.12f}};
        const float reach[4] = {0.0f, 1.0f, 0.85f, 0.0f};
        for (int face : {1, -1}) {
            const Vector3 n{0, static_cast<float>(face), 0};
            uint32_t v[4];
            for (int k = 0; k < 4; ++k)
                v[k] = add(corners[k], n, {0.1f + 0.85f * reach[k], 0.5f}, bone, reach[k] > 0 ? 1.0f : 0.35f);
            // Clockwise seen from the side the face looks to.
            if ((face > 0) == (side > 0))
                mesh.AddQuad(v[0], v[1], v[2], v[3]);
            else
                mesh.AddQuad(v[0], v[3], v[2], v[1]);
        }
    }
    Transform grow;
    grow.SetScale({kScale, kScale, kScale});
    mesh.Apply(grow);
    return mesh;
}

// The wing's beat: up, down and up again over one cycle.
Ptr<NodeAnimation> WingBeat(const std::string& name, int side)
{
    Ptr<NodeAnimation> beat = new NodeAnimation();
    beat->SetName(String(name.c_str()));
    const float angles[] = {0.55f, 0.1f, -0.45f, 0.1f};
    for (int k = 0; k < 4; ++k) {
        auto* key = static_cast<NodeKeyframe*>(beat->NewKeyframe());
        key->time = k / 4.0;
        key->translation = {static_cast<float>(side) * kWingRoot, 0, 0};
        const float half = -0.5f * angles[k] * static_cast<float>(side);
        key->rotation = Quaternion{0, 0, std::sin(half), std::cos(half)};
        (void)beat->AppendKeyframe(key);
    }
    return beat;
}

}  // namespace

Ptr<Image> Birds::Picture(const char* fileName)
{
    art::Canvas canvas(64, 8);
    canvas.Shade([](art::Vec2 c, art::Color) {
        const float u = c.x / 64.0f;
        return art::Mix(art::Color(0.78f, 0.80f, 0.84f), art::Color(0.12f, 0.12f, 0.13f), art::SmoothStep(0.72f, 0.86f, u));
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

Result Birds::Add(SceneNode& root, Texture* texture)
{
    Ptr<TextureEffect> effect = new TextureEffect();
    effect->SetName(String("GullEffect"));
    effect->SetTexture(texture);
    effect->SetColor(Vector4{0.75f, 0.8f, 0.95f, 1});
    effect->SetCullEnabled(false);
    const Vector3 tower = Headland::TowerBase();
    for (int b = 0; b < kCount; ++b) {
        const std::string name = "Gull" + std::to_string(b + 1);
        // A wide loop over the western cliffs, each bird at its own height and speed.
        const float radius = 16.0f + 7.0f * static_cast<float>(b);
        const Vector3 centre = tower + Vector3{-46.0f + 5.0f * static_cast<float>(b), 8.0f + 4.0f * static_cast<float>(b),
                                               -22.0f - 8.0f * static_cast<float>(b)};
        std::vector<Vector3> loop;
        for (int k = 0; k < 8; ++k) {
            const float a = 6.2831853f * static_cast<float>(k) / 8.0f * (b % 2 ? -1.0f : 1.0f);
            loop.push_back(centre + Vector3{radius * std::cos(a), 2.5f * std::sin(2 * a), radius * 0.7f * std::sin(a)});
        }
        Ptr<SceneNode> bird = new SceneNode();
        bird->SetName(String(name.c_str()));
        Ptr<NodeAnimation> path = model::KeyframePath::Path((name + "Path").c_str(), loop, true, 48, true);
        const double seconds = 22.0 + 5.0 * b;
        if (bird->SetController(model::KeyframePath::Play((name + "Flight").c_str(), path.Get(), seconds, true).Get()) !=
            kSuccess)
            return kFailure;

        // Bones: the body at the bird's origin, a wing bone either side.
        Ptr<SceneNode> body = new SceneNode();
        body->SetName(String((name + "Body").c_str()));
        Ptr<SkeletonAnimationController> skeleton = new SkeletonAnimationController();
        skeleton->SetName(String((name + "Wings").c_str()));
        Ptr<SceneNode> wings[2];
        for (int w = 0; w < 2; ++w) {
            const int side = w == 0 ? -1 : 1;
            wings[w] = new SceneNode();
            wings[w]->SetName(String((name + (side < 0 ? "LeftWing" : "RightWing")).c_str()));
            wings[w]->LocalTransform().SetTranslation({static_cast<float>(side) * kWingRoot, 0, 0});
            Ptr<NodeAnimation> beat = WingBeat(name + (side < 0 ? "LeftBeat" : "RightBeat"), side);
            Ptr<NodeAnimationController> flap = model::KeyframePath::Play((name + (side < 0 ? "LeftFlap" : "RightFlap")).c_str(),
                                                                          beat.Get(), 1.0, true);
            flap->SetActive(false);  // The skeleton controller plays it.
            if (wings[w]->SetController(flap.Get()) != kSuccess || skeleton->AddBoneController(flap.Get()) != kSuccess)
                return kFailure;
            (void)body->AttachChild(wings[w].Get());
        }
        skeleton->SetTrackPeriod(0.42 + 0.05 * b);
        if (body->SetController(skeleton.Get()) != kSuccess)
            return kFailure;
        (void)bird->AttachChild(body.Get());
        (void)root.AttachChild(bird.Get());

        std::vector<Vector4> indices, weights;
        const MeshBuilder mesh = Bird(indices, weights);
        Ptr<Triangles> skin = mesh.Build((name + "Skin").c_str());
        (void)skin->SetEffect(effect.Get());
        Ptr<SkinController> skinning = new SkinController();
        skinning->SetName(String((name + "Skinning").c_str()));
        Transform bind;
        (void)skinning->AddBone(body.Get(), bind);
        for (int w = 0; w < 2; ++w) {
            Transform wingBind;
            wingBind.SetTranslation({w == 0 ? kWingRoot : -kWingRoot, 0, 0});
            (void)skinning->AddBone(wings[w].Get(), wingBind);
        }
        Ptr<Vector4Buffer> indexBuffer = new Vector4Buffer(static_cast<uint32_t>(indices.size()));
        Ptr<Vector4Buffer> weightBuffer = new Vector4Buffer(static_cast<uint32_t>(weights.size()));
        Ptr<Vector3Buffer> bindVertices = new Vector3Buffer(mesh.VertexCount());
        Ptr<Vector3Buffer> bindNormals = new Vector3Buffer(mesh.VertexCount());
        for (uint32_t i = 0; i < mesh.VertexCount(); ++i) {
            indexBuffer->Data()[i] = indices[i];
            weightBuffer->Data()[i] = weights[i];
            bindVertices->Data()[i] = mesh.Vertices()[i].position;
            bindNormals->Data()[i] = mesh.Vertices()[i].normal;
        }
        skinning->SetIndices(indexBuffer.Get());
        skinning->SetWeights(weightBuffer.Get());
        skinning->SetBindVertices(bindVertices.Get());
        skinning->SetBindNormals(bindNormals.Get());
        if (skin->SetController(skinning.Get()) != kSuccess)
            return kFailure;
        (void)root.AttachChild(skin.Get());
    }
    return kSuccess;
}

}  // namespace zen::scene
