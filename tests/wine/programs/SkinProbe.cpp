// A Windows program for the Wine stage: a mesh skinned to two bones drawn through the
// "DirectX9" renderer twice, once deformed on the processor by the skin controller and once by a
// skinning vertex program reading the controller's palette, and once undeformed, each frame read
// back. The two skinned pictures must agree; the undeformed one must not.
//
//   SkinProbe.exe OUT LOG
//
// OUT gets "open <result>", then "skin <mean difference processor/program> <mean difference
// processor/undeformed> <lit pixels processor> <lit pixels program>" (differences over every
// channel of every pixel, 0-255), then for each lit effect with a skinned program
// ("Texture1DL1PL", "DarkmapNormalmapTexture1DL"), a strip whose right half turns away about
// the vertical axis and is lit by a sun and a lamp, "lit <effect> <mean difference
// processor/program> <mean difference processor/undeformed> <lit pixels program>", then
// "close", "release" and "done".
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/anim/SkinController.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/DarkmapNormalmapTexture1DLEffect.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Technique.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Texture1DL1PLEffect.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "tests/wine/programs/ProbeEngine.h"

namespace {

using namespace zen;
using probe::Line;

constexpr uint32_t kSide = 128;
constexpr uint32_t kColumns = 16, kRows = 4;  // Cells of the grid.

// Skinning in the vertex program: each of the four weighted bones transforms the position
// through its three palette registers (c16 + 3 x index, via a0), the results are summed by
// weight, then the clip position from c0-c3; texture coordinates pass through, the colour
// comes from c8. Inputs: position, TEXCOORD0 (texture), TEXCOORD1 (weights), TEXCOORD2
// (bone indices).
std::string SkinningProgram()
{
    std::string text =
        "vs_2_0\n"
        "dcl_position v0\n"
        "dcl_texcoord0 v1\n"
        "dcl_texcoord1 v2\n"
        "dcl_texcoord2 v3\n"
        "mul r2, v3, c208.y\n";
    for (const char bone : {'x', 'y', 'z', 'w'}) {
        text += std::string("mova a0.x, r2.") + bone + "\n";
        for (int row = 0; row < 3; ++row)
            text += std::string("dp4 r0.") + "xyz"[row] + ", v0, c[a0.x + " + std::to_string(16 + row) + "]\n";
        text += bone == 'x' ? "mul r1.xyz, r0.xyz, v2.x\n" : std::string("mad r1.xyz, r0.xyz, v2.") + bone + ", r1.xyz\n";
    }
    return text +
           "mov r1.w, c208.z\n"
           "mul r0, r1.x, c0\n"
           "mad r0, r1.y, c1, r0\n"
           "mad r0, r1.z, c2, r0\n"
           "mad oPos, r1.w, c3, r0\n"
           "mov oT0, v1\n"
           "mov oD0, c8\n";
}

constexpr const char* kTexturePixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "mul r0, t0, v0\n";

// The texture effect with the skinning vertex program: weights and indices come in as texture
// coordinate sets 1 and 2, the palette from the skin controller on the node drawn.
class SkinnedTextureEffect : public TextureEffect {
public:
    Result CreatePasses(uint32_t technique, Technique& out) override
    {
        static const std::string program = SkinningProgram();
        Ptr<GeometryNodeEffectPass> pass =
            CreateColorPass(technique, "SkinProbe.vs", program.c_str(), "SkinProbe.ps", kTexturePixelProgram);
        if (!pass || pass->AddInput(VertexElement::kTexCoords, 0) != kSuccess ||
            pass->AddInput(VertexElement::kTexCoords, 1) != kSuccess ||
            pass->AddInput(VertexElement::kTexCoords, 2) != kSuccess)
            return kOutOfMemory;
        return out.AddPass(pass.Get());
    }
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override
    {
        const Result bound = TextureEffect::BindPass(pass, renderer, node);
        SkinController* skin = SkinController::Find(&node);
        if (bound != kSuccess || !skin)
            return kFailure;
        return skin->WritePaletteConstants(renderer);
    }
};

// A checkerboard of 8 x 8 cells, 64 pixels a side.
Ptr<Texture> Checker()
{
    Ptr<Image> image = new Image(String("checker"), Image::kR8G8B8, 64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            uint8_t* p = image->Data() + (y * 64 + x) * 3;
            p[0] = light ? 240 : 40;
            p[1] = light ? 200 : 90;
            p[2] = light ? 60 : 160;
        }
    return new Texture(String("Checker"), image.Get());
}

// A strip from x = -1.6 to 1.6, y = -0.6 to 0.6, at depth 2 in the bind pose; the left half
// hangs on bone 0, the right half on bone 1, the middle column on both.
struct Strip {
    Ptr<Vector3Buffer> vertices;
    Ptr<Vector2Buffer> coords;
    Ptr<Vector4Buffer> weights;
    Ptr<Vector4Buffer> indices;
    Ptr<IntBuffer> triangles;
};

Strip MakeStrip()
{
    Strip strip;
    const uint32_t across = kColumns + 1, count = across * (kRows + 1);
    strip.vertices = new Vector3Buffer(count);
    strip.coords = new Vector2Buffer(count);
    strip.weights = new Vector4Buffer(count);
    strip.indices = new Vector4Buffer(count);
    for (uint32_t row = 0; row <= kRows; ++row)
        for (uint32_t column = 0; column <= kColumns; ++column) {
            const uint32_t i = row * across + column;
            const float u = static_cast<float>(column) / kColumns, v = static_cast<float>(row) / kRows;
            strip.vertices->Data()[i] = {-1.6f + 3.2f * u, -0.6f + 1.2f * v, 2};
            strip.coords->Data()[i] = {u * 4, v};
            const float right = column * 2 < kColumns ? 0.0f : column * 2 == kColumns ? 0.5f : 1.0f;
            strip.weights->Data()[i] = {1 - right, right, 0, 0};
            strip.indices->Data()[i] = {0, 1, 0, 0};
        }
    strip.triangles = new IntBuffer(kColumns * kRows * 6);
    int32_t* out = strip.triangles->Data();
    for (uint32_t row = 0; row < kRows; ++row)
        for (uint32_t column = 0; column < kColumns; ++column) {
            // Clockwise as seen from the camera at the origin (y up, x right).
            const int32_t a = static_cast<int32_t>(row * across + column), b = a + 1;
            const int32_t c = a + static_cast<int32_t>(across), d = c + 1;
            const int32_t cell[6] = {c, d, b, c, b, a};
            for (int k = 0; k < 6; ++k)
                *out++ = cell[k];
        }
    return strip;
}

Ptr<Vector3Buffer> CopyOf(const Vector3Buffer& buffer)
{
    Ptr<Vector3Buffer> copy = new Vector3Buffer(buffer.GetCount());
    for (uint32_t i = 0; i < buffer.GetCount(); ++i)
        copy->Data()[i] = buffer.Data()[i];
    return copy;
}

// A mesh over the strip's buffers: its own copy of the vertices (the processor path writes
// into them) and the shared coordinates; an unlit one (no `normals`) takes the weights and
// indices as coordinate sets 1 and 2, a lit one its own copy of `normals` and `tangents`.
Ptr<Triangles> MakeMesh(const Strip& strip, GeometryNodeEffect* effect, const Vector3Buffer* normals = nullptr,
                        Vector3Buffer* tangents = nullptr)
{
    Ptr<Triangles> mesh = new Triangles();
    mesh->SetVertices(CopyOf(*strip.vertices).Get());
    (void)mesh->SetTexCoords(0, strip.coords.Get());
    if (normals) {
        mesh->SetNormals(CopyOf(*normals).Get());
        mesh->SetTangents(tangents);
    } else {
        (void)mesh->SetTexCoords(1, strip.weights.Get());
        (void)mesh->SetTexCoords(2, strip.indices.Get());
    }
    mesh->SetIndices(strip.triangles.Get());
    mesh->UpdateGeometry(false, false);
    (void)mesh->SetEffect(effect);
    return mesh;
}

// Two bones under a root of their own: bone 0 stays, bone 1 turns by `turn` about the joint
// at (0, 0, 2) and moves by `lift` from it; a skin's bind transform for bone 1 takes the bind
// pose to the joint.
struct Rig {
    Rig(const Quaternion& turn, const Vector3& lift)
    {
        for (auto& bone : bones)
            (void)root->AttachChild(bone.Get());
        bones[1]->LocalTransform().SetRotation(turn);
        bones[1]->LocalTransform().SetTranslation(Vector3{0, 0, 2} + lift);
        toJoint.SetTranslation({0, 0, -2});
    }

    // A skin of the strip on the two bones (with its bind normals when given), deforming on the
    // processor or leaving that to a program.
    Ptr<SkinController> Skin(const Strip& strip, Vector3Buffer* bindNormals, bool onProcessor) const
    {
        Ptr<SkinController> skin = new SkinController();
        (void)skin->AddBone(bones[0].Get(), Transform());
        (void)skin->AddBone(bones[1].Get(), toJoint);
        skin->SetBindVertices(strip.vertices.Get());
        if (bindNormals)
            skin->SetBindNormals(bindNormals);
        skin->SetWeights(strip.weights.Get());
        skin->SetIndices(strip.indices.Get());
        skin->SetActive(onProcessor);
        return skin;
    }

    Ptr<SceneNode> root = new SceneNode();
    Ptr<SceneNode> bones[2] = {new SceneNode(), new SceneNode()};
    Transform toJoint;
};

struct Picture {
    Ptr<Image> image = new Image();
    bool read = false;
};

Picture Draw(Renderer& renderer, SceneNode& root, Node& mesh)
{
    Picture picture;
    root.UpdateState(0.0, true);
    picture.read = probe::ReadFrame(renderer, *picture.image, [&] { mesh.DrawIfVisible(&renderer); });
    return picture;
}

double MeanDifference(const Picture& a, const Picture& b)
{
    if (!a.read || !b.read || a.image->GetDataSize() != b.image->GetDataSize() || !a.image->Data())
        return 1000;
    const uint32_t size = a.image->GetDataSize();
    double sum = 0;
    for (uint32_t i = 0; i < size; ++i)
        sum += std::abs(static_cast<int>(a.image->Data()[i]) - static_cast<int>(b.image->Data()[i]));
    return sum / size;
}

uint32_t LitPixels(const Picture& picture)
{
    if (!picture.read || !picture.image->Data())
        return 0;
    uint32_t lit = 0;
    const uint8_t* p = picture.image->Data();
    for (uint32_t i = 0; i + 2 < picture.image->GetDataSize(); i += 3)
        lit += (p[i] | p[i + 1] | p[i + 2]) != 0;
    return lit;
}

// A flat normal map (every texel straight out of the surface).
Ptr<Texture> FlatNormals()
{
    Ptr<Image> image = new Image(String("flat"), Image::kR8G8B8, 4, 4);
    for (uint32_t i = 0; i < 16; ++i) {
        image->Data()[i * 3] = image->Data()[i * 3 + 1] = 128;
        image->Data()[i * 3 + 2] = 255;
    }
    return new Texture(String("Flat"), image.Get());
}

// The lit effects' skinned programs against the processor: the strip with normals (facing the
// camera) and tangents, its right half on bone 1, which turns 30 degrees about the vertical
// axis through the strip's middle, lit by a sun shining into the screen and a lamp in front.
void CompareLit(Renderer& renderer, const Strip& strip, Texture* checker)
{
    const float half = 0.26179939f;  // 15 degrees.
    const Rig rig({0, std::sin(half), 0, std::cos(half)}, {0, 0, 0});
    SceneNode* root = rig.root.Get();
    Ptr<Light> sun = new Light(Light::kDirectional);
    sun->SetColors(Vector4{0.2f, 0.2f, 0.2f, 1}, Vector4{0.9f, 0.9f, 0.9f, 1}, Vector4{1, 1, 1, 1});
    (void)sun->SetDirection(Vector3{0.5f, 0, 1});
    Ptr<Light> lamp = new Light(Light::kPoint);
    lamp->SetColors(Vector4{0, 0, 0, 1}, Vector4{0.8f, 0.5f, 0.2f, 1}, Vector4{0, 0, 0, 1});
    lamp->SetAttenuation(Vector3{1, 0.5f, 0}, true);
    lamp->LocalTransform().SetTranslation({-1, 0.3f, 1});
    (void)root->AttachChild(sun.Get());
    (void)root->AttachChild(lamp.Get());
    Ptr<Texture> flat = FlatNormals();

    const uint32_t count = strip.vertices->GetCount();
    Ptr<Vector3Buffer> bindNormals = new Vector3Buffer(count), tangents = new Vector3Buffer(count);
    for (uint32_t i = 0; i < count; ++i) {
        bindNormals->Data()[i] = {0, 0, -1};
        tangents->Data()[i] = {1, 0, 0};
    }
    Ptr<Texture1DL1PLEffect> twoLights = new Texture1DL1PLEffect();
    twoLights->SetTexture(checker);
    twoLights->SetLight(sun.Get());
    twoLights->SetPointLight(lamp.Get());
    Ptr<DarkmapNormalmapTexture1DLEffect> darkmapped = new DarkmapNormalmapTexture1DLEffect();
    darkmapped->SetTexture(checker);
    darkmapped->SetNormalMap(flat.Get());
    darkmapped->SetDarkmap(checker);
    (void)darkmapped->SetDarkmapSet(0);
    darkmapped->SetLight(sun.Get());
    GeometryNodeEffect* effects[2] = {twoLights.Get(), darkmapped.Get()};
    const char* names[2] = {"Texture1DL1PL", "DarkmapNormalmapTexture1DL"};
    for (int e = 0; e < 2; ++e) {
        Ptr<Triangles> meshes[3];
        for (int m = 0; m < 3; ++m) {
            meshes[m] = MakeMesh(strip, effects[e], bindNormals.Get(), tangents.Get());
            (void)root->AttachChild(meshes[m].Get());
            if (m < 2)  // The third stays undeformed.
                (void)meshes[m]->SetController(rig.Skin(strip, bindNormals.Get(), m == 0).Get());
        }
        const Picture processor = Draw(renderer, *root, *meshes[0]);
        const Picture program = Draw(renderer, *root, *meshes[1]);
        const Picture bind = Draw(renderer, *root, *meshes[2]);
        Line("lit %s %.3f %.3f %u", names[e], MeanDifference(processor, program), MeanDifference(processor, bind),
             LitPixels(program));
        for (auto& mesh : meshes)
            (void)root->DetachChild(mesh.Get());
    }
}

int Run()
{
    Renderer::SetMessageBoxesAllowed(false);
    if (LoadRenderer(String("DirectX9")) != kSuccess)
        return 1;
    Renderer* renderer = Renderer::Current();
    probe::OpenSquare(*renderer, "Brightfold Skin Probe", kSide);
    {
        Ptr<Camera> camera = new Camera();
        camera->SetFrustum(1.5707964f, 0.1f, 100.0f);
        renderer->SetCamera(camera.Get());

        // Bone 1 turns the right half 40 degrees about the strip's middle (the z axis through
        // (0, 0, 2)) and lifts it.
        const float half = 0.34906585f;  // 20 degrees.
        const Rig rig({0, 0, std::sin(half), std::cos(half)}, {0, 0.2f, 0});
        SceneNode* root = rig.root.Get();

        const Strip strip = MakeStrip();
        Ptr<Texture> checker = Checker();
        Ptr<TextureEffect> plain[2] = {new TextureEffect(), new TextureEffect()};
        for (auto& effect : plain)
            effect->SetTexture(checker.Get());
        Ptr<SkinnedTextureEffect> skinned = new SkinnedTextureEffect();
        skinned->SetTexture(checker.Get());

        Ptr<Triangles> processorMesh = MakeMesh(strip, plain[0].Get());
        (void)processorMesh->SetController(rig.Skin(strip, nullptr, true).Get());
        (void)root->AttachChild(processorMesh.Get());
        Ptr<Triangles> programMesh = MakeMesh(strip, skinned.Get());
        (void)programMesh->SetController(rig.Skin(strip, nullptr, false).Get());
        (void)root->AttachChild(programMesh.Get());
        Ptr<Triangles> bindMesh = MakeMesh(strip, plain[1].Get());
        (void)root->AttachChild(bindMesh.Get());

        const Picture processor = Draw(*renderer, *root, *processorMesh);
        const Picture program = Draw(*renderer, *root, *programMesh);
        const Picture bind = Draw(*renderer, *root, *bindMesh);
        Line("skin %.3f %.3f %u %u", MeanDifference(processor, program), MeanDifference(processor, bind),
             LitPixels(processor), LitPixels(program));
        CompareLit(*renderer, strip, checker.Get());
        renderer->SetCamera(nullptr);
    }
    Line("close %d", renderer->Close());
    Line("release %d", ReleaseRenderer());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return probe::WithEngine(argc, argv, 3, "SkinProbe OUT LOG", Run);
}
