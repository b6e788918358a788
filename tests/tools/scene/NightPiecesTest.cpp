#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "support/EngineScope.h"
#include "support/TempFolder.h"
#include "support/ToolOutput.h"
#include "engine/anim/RenderScreenspaceReflectTextureController.h"
#include "tools/model/KeyframePath.h"
#include "tools/model/Primitives.h"
#include "tools/scene/Boat.h"
#include "tools/scene/Flares.h"
#include "tools/scene/Headland.h"
#include "tools/scene/LighthouseScene.h"
#include "tools/scene/Mist.h"

namespace zen::scene {
namespace {

// The ground's baked light at places whose light can be worked out by hand: on the level pad
// under the lamp (facing straight up, open to the moon) it is sky light + moonlight x the
// moon's height (0.34 / 0.9988) + the lamp's 0.55 (the windows' glow is 48 m off, nothing).
TEST(HeadlandMaps, LightOnTheTowerPadIsWorkedOutByHand)
{
    const Vector3 tower = Headland::TowerBase();
    const float moonUp = 0.34f / std::sqrt(0.42f * 0.42f + 0.34f * 0.34f + 0.84f * 0.84f);
    const art::Color light = Headland::Light(tower.x, tower.z);
    const art::Color expected{0.20f + 0.78f * moonUp + 1.0f * 0.55f, 0.25f + 0.86f * moonUp + 0.78f * 0.55f,
                              0.36f + 1.0f * moonUp + 0.45f * 0.55f};
    EXPECT_NEAR(light.r, expected.r, 0.01f);
    EXPECT_NEAR(light.g, expected.g, 0.01f);
    EXPECT_NEAR(light.b, expected.b, 0.01f);
    EXPECT_FLOAT_EQ(Headland::MoonShadow(tower.x, tower.z), 1.0f);
    // The relief on the level pad is flat.
    const Vector3 relief = Headland::ReliefNormal(tower.x, tower.z);
    EXPECT_GT(relief.z, 0.999f);
}

// The moon stands low over the sea to the west (-x, +z): the sea bed just off the eastern foot
// of the cliffs lies in the headland's shadow, the same off the western foot in the moonlight.
TEST(HeadlandMaps, TheRidgeShadowsTheEastAndNotTheWest)
{
    struct Place {
        const char* name;
        float x, z;
        float shadow;  // Expected MoonShadow, within 0.05.
    } places[] = {
        {"east foot", 60, -40, 0},
        {"west foot", -60, -40, 1},
        {"open sea ahead", 0, 170, 1},
        {"grass top", 10, -60, 1},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        EXPECT_NEAR(Headland::MoonShadow(place.x, place.z), place.shadow, 0.05f);
    }
}

TEST(LampFlares, PeakAsEachBeamPasses)
{
    const struct {
        float phase, level;
    } cases[] = {{0.0f, 1.0f}, {0.5f, 1.0f}, {1.0f, 1.0f}, {0.25f, 0.25f}, {0.75f, 0.25f},
                 // A half-turn phase of 0.045 is one standard deviation off the peak.
                 {0.0225f, 0.25f + 0.75f * std::exp(-0.5f)}, {0.4775f, 0.25f + 0.75f * std::exp(-0.5f)}};
    for (const auto& c : cases)
        EXPECT_NEAR(Flares::BeamPass(c.phase), c.level, 1e-4f) << c.phase;
}

// The flares' glow read where it is drawn: a solid core, rays several texels wide that stand
// well above the space between them and fade out before the edge, white wherever it shows (the
// flare's colour tints it; blending adds colour times alpha, so no edge can darken the sky).
TEST(LampFlares, GlowHasACoreAndWideFadingRays)
{
    const Ptr<Image> glow = Flares::GlowPicture("glow.tga");
    ASSERT_TRUE(glow);
    const int s = static_cast<int>(glow->Width());
    auto alpha = [&](float radius, float degrees, float offTexels = 0) {
        const float a = degrees * 3.14159265f / 180.0f;
        const float x = 0.5f * s + radius * 0.5f * s * std::cos(a) - offTexels * std::sin(a);
        const float y = 0.5f * s + radius * 0.5f * s * std::sin(a) + offTexels * std::cos(a);
        return static_cast<int>(glow->Data()[(static_cast<size_t>(y) * static_cast<size_t>(s) + static_cast<size_t>(x)) * 4 + 3]);
    };
    EXPECT_GE(alpha(0, 0), 250);
    const struct {
        float radius;
        int minRay, maxBetween;  // On a long ray; at 22.5 degrees, between rays.
    } rings[] = {{0.3f, 90, 40}, {0.5f, 45, 15}};
    for (const auto& ring : rings) {
        SCOPED_TRACE(ring.radius);
        for (const float axis : {0.0f, 90.0f, 180.0f, 270.0f}) {
            EXPECT_GE(alpha(ring.radius, axis), ring.minRay);
            // Three texels off the ray's line still most of its brightness: several pixels wide.
            EXPECT_GE(alpha(ring.radius, axis, 3), alpha(ring.radius, axis) / 2);
        }
        EXPECT_LE(alpha(ring.radius, 22.5f), ring.maxBetween);
        EXPECT_GT(alpha(ring.radius, 45.0f), alpha(ring.radius, 22.5f));  // The short rays.
    }
    // The rays fade out towards the rim.
    EXPECT_LT(alpha(0.7f, 0), alpha(0.5f, 0) / 2);
    EXPECT_EQ(alpha(0.98f, 0), 0);
    for (size_t i = 0; i < static_cast<size_t>(s) * static_cast<size_t>(s); ++i) {
        if (glow->Data()[i * 4 + 3] > 0) {
            ASSERT_EQ(glow->Data()[i * 4] + glow->Data()[i * 4 + 1] + glow->Data()[i * 4 + 2], 3 * 255) << i;
        }
    }
}

// The mist lies in patches, not as a wash, and fades out well inside its layer, so no edge of
// the layer shows on the water.
TEST(Mist, PatchesFadeOutBeforeTheLayersEdge)
{
    const Ptr<Image> mist = Mist::Picture("mist.tga");
    ASSERT_TRUE(mist);
    const int s = static_cast<int>(mist->Width());
    int inner = 0, misty = 0, thick = 0;
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const int a = mist->Data()[(static_cast<size_t>(y) * static_cast<size_t>(s) + static_cast<size_t>(x)) * 4 + 3];
            const float metres = std::hypot(x + 0.5f - 0.5f * s, y + 0.5f - 0.5f * s) / s * Mist::kSize;
            if (metres >= 245.0f) {
                ASSERT_EQ(a, 0) << x << "," << y;
            } else if (metres < 120.0f) {
                ++inner;
                misty += a > 8;
                thick += a > 128;
            }
        }
    EXPECT_GT(misty, inner / 5);
    EXPECT_LT(misty, inner * 4 / 5);
    EXPECT_GT(thick, 0);
}

// A layer's sheet is the full square's grid with the cells that would only ever be blended at
// zero opacity left out: every cell it keeps is the plain grid's cell (same corners, texture
// coordinates and winding), every texel of mist lies over a kept cell, and at least a third of
// the square is saved.
TEST(Mist, SheetKeepsEveryCellUnderMistAndLeavesOutTheRest)
{
    const Ptr<Image> mist = Mist::Picture("mist.tga");
    ASSERT_TRUE(mist);
    const model::MeshBuilder sheet = Mist::Sheet(*mist);
    const int n = Mist::kSheetCells;
    const model::MeshBuilder grid = model::Primitives::Plane(Mist::kSize, Mist::kSize, n, n, 1.0f / Mist::kSize);
    auto key = [](const model::MeshBuilder::Vertex& v) {
        return std::to_string(std::lround(v.position.x * 100)) + "," + std::to_string(std::lround(v.position.z * 100)) +
               "," + std::to_string(std::lround(v.uv.x * 10000)) + "," + std::to_string(std::lround(v.uv.y * 10000));
    };
    auto triangles = [&](const model::MeshBuilder& mesh) {
        std::set<std::string> out;
        for (size_t i = 0; i + 2 < mesh.Indices().size(); i += 3) {
            std::string corners[3];
            for (size_t c = 0; c < 3; ++c)
                corners[c] = key(mesh.Vertices()[static_cast<size_t>(mesh.Indices()[i + c])]);
            // The same triangle whichever corner comes first, but not mirrored.
            const size_t first = std::min_element(corners, corners + 3) - corners;
            out.insert(corners[first] + "|" + corners[(first + 1) % 3] + "|" + corners[(first + 2) % 3]);
        }
        return out;
    };
    const std::set<std::string> kept = triangles(sheet), all = triangles(grid);
    ASSERT_EQ(all.size(), static_cast<size_t>(2 * n * n));
    for (const std::string& triangle : kept)
        EXPECT_TRUE(all.count(triangle)) << triangle;
    EXPECT_GT(kept.size(), all.size() / 4);
    EXPECT_LT(kept.size(), all.size() * 2 / 3);

    // Every misty texel's centre, carried to where the layer lays it, falls inside a kept cell.
    std::set<std::pair<int, int>> cells;
    for (const auto& v : sheet.Vertices())
        EXPECT_FLOAT_EQ(v.position.y, 0.0f);
    for (size_t i = 0; i + 2 < sheet.Indices().size(); i += 3) {
        float x = 0, z = 0;
        for (size_t c = 0; c < 3; ++c) {
            x += sheet.Vertices()[static_cast<size_t>(sheet.Indices()[i + c])].position.x / 3;
            z += sheet.Vertices()[static_cast<size_t>(sheet.Indices()[i + c])].position.z / 3;
        }
        const float cell = Mist::kSize / static_cast<float>(n);
        cells.insert({static_cast<int>(std::floor((x + Mist::kSize / 2) / cell)),
                      static_cast<int>(std::floor((z + Mist::kSize / 2) / cell))});
    }
    const int s = static_cast<int>(mist->Width());
    int misty = 0;
    for (int row = 0; row < s; ++row)
        for (int x = 0; x < s; ++x) {
            if (mist->Data()[(static_cast<size_t>(row) * static_cast<size_t>(s) + static_cast<size_t>(x)) * 4 + 3] == 0)
                continue;
            ++misty;
            // Stored rows run bottom-up: row 0 is v = 1, the layer's near (-z) edge.
            const float u = (x + 0.5f) / static_cast<float>(s), v = 1.0f - (row + 0.5f) / static_cast<float>(s);
            const float metresX = u * Mist::kSize, metresZ = (1.0f - v) * Mist::kSize;
            const std::pair<int, int> cell{static_cast<int>(metresX * n / Mist::kSize),
                                           static_cast<int>(metresZ * n / Mist::kSize)};
            ASSERT_TRUE(cells.count(cell)) << x << "," << row;
        }
    EXPECT_GT(misty, 0);
}

// A picture the sheet cannot be laid out from gives an empty mesh, and the scene none.
TEST(Mist, SheetOfAnUnsuitablePictureIsEmpty)
{
    const struct {
        uint32_t format, width, height;
    } cases[] = {{Image::kR8G8B8, 256, 256}, {Image::kR8G8B8A8, 256, 128}, {Image::kR8G8B8A8, 16, 16},
                 {Image::kR8G8B8A8, 200, 200}};
    for (const auto& c : cases) {
        Ptr<Image> picture = new Image(String("odd"), c.format, c.width, c.height);
        EXPECT_TRUE(Mist::Sheet(*picture).Empty()) << c.format << " " << c.width << "x" << c.height;
    }
    test::EngineScope engine;
    Ptr<SceneNode> parent = new SceneNode();
    EXPECT_EQ(Mist::Add(*parent, nullptr), kFailure);
}

// The sea's planar reflection draws the boat with its lights, and the headland and the tower.
TEST(ShippedScene, TheSeaMirrorsTheBoatAndItsLights)
{
    test::EngineScope engine;
    Ptr<SceneNode> root;
    std::vector<Ptr<Image>> pictures;
    ASSERT_EQ(LighthouseScene::Build(root, pictures, nullptr, nullptr), kSuccess);
    Array<Object*> found;
    root->CollectByType(&RenderScreenspaceReflectTextureController::TYPE, found);
    ASSERT_EQ(found.Count(), 1u);
    const NodeList& mirrored = static_cast<RenderScreenspaceReflectTextureController*>(found[0])->Nodes();
    std::set<std::string> names;
    for (uint32_t i = 0; i < mirrored.Count(); ++i)
        names.insert(mirrored.Get(i)->Name().Std());
    EXPECT_EQ(names, (std::set<std::string>{"Boat", "Headland", "Lighthouse"}));
    for (const char* light : {"BoatMasthead", "BoatPort", "BoatStarboard", "BoatWheelhouse"})
        EXPECT_TRUE(root->FindByName(String("Boat")) && root->FindByName(String("Boat"))->FindByName(String(light))) << light;
}

// The boat's loop stays out at sea: over deep water, well away from the headland, all the way.
TEST(Boat, SailsOnlyOverDeepWater)
{
    const std::vector<Vector3> course = Boat::Course();
    const Vector3 tower = Headland::TowerBase();
    for (int i = 0; i < 400; ++i) {
        const Vector3 p = model::KeyframePath::PointAt(course, static_cast<float>(i) / 400, true);
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(p.y, 0.0f);
        EXPECT_LT(Headland::Height(p.x, p.z), -5.0f);
        EXPECT_GT(std::hypot(p.x - tower.x, p.z - tower.z), 450.0f);
    }
}

// What `zen scene dump` shows of the shipped Main.STR: the classes the show is made of.
TEST(ShippedScene, DumpListsTheShowsParts)
{
    test::TempFolder folder;
    ASSERT_TRUE(
        test::Said(test::RunZen("content media " + folder.Path("Media.rar2") + " --files " + folder.Path("files")), 0));
    const test::ToolRun dump = test::RunZen("scene dump " + folder.Path("files/Main.STR"));
    ASSERT_TRUE(test::Said(dump, 0));
    std::set<std::string> effectsAndControllers;
    std::map<std::string, int> count;
    const std::regex kind(R"(#\d+ (ZEN\.[A-Za-z0-9]+))");
    for (std::sregex_iterator it(dump.output.begin(), dump.output.end(), kind), end; it != end; ++it) {
        const std::string name = (*it)[1];
        ++count[name];
        if (std::regex_search(name, std::regex("(Effect|Controller)$")))
            effectsAndControllers.insert(name);
    }
    EXPECT_GE(effectsAndControllers.size(), 15u);
    EXPECT_GE(count["ZEN.SpriteParticleSystem"], 2);
    EXPECT_GE(count["ZEN.SoundNode"] + count["ZEN.SoundNode2"], 4);
    EXPECT_EQ(count["ZEN.LearnSystem"], 1);
    EXPECT_EQ(count["ZEN.ScreensaverController"], 1);
    EXPECT_TRUE(test::Holds(dump.output, {"set[7]=", "messages=9 activators=8"}));
}

}  // namespace
}  // namespace zen::scene
