#pragma once
#include "engine/scene/Image.h"
#include "zen/GalleryEffects.h"

namespace zen::tool {

// The gallery scenes of the water, cloud, lava and grass effects. The water scenes make the
// gallery's floor the water and lift it and the sphere by 0.5 (water level y = -1, sphere
// centre (0, 0.5, 5), textured plainly) so that the sphere's mirror image reaches into the
// picture's lower edge; the reflection and refraction pictures are drawn each frame
// by the screen-space controllers stored with the scene.
class GalleryNatureEffects {
public:
    // The pictures these effects need beyond the gallery's own, each tiling: waves.bmp (a normal
    // map of a few crossing swells), cloud-density.bmp (grey: cloud density, read as alpha) and
    // lava-cracks.bmp (glowing cracks in dark crust); named apart from the scenes, whose drawn
    // pictures take the scene's name.
    static Ptr<Image> MakeWaves();
    static Ptr<Image> MakeCloudDensity();
    static Ptr<Image> MakeLavaPicture();

    static Ptr<Node> MakeReflectiveQuietFlatWater(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor);
    static Ptr<Node> MakeReflectiveRefractiveQuietFlatWater(const GalleryEffects::Assets& a, Triangles* ball,
                                                            Triangles* floor);
    static Ptr<Node> MakeFlatWater(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor);
    static Ptr<Node> MakeFlatWater1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor);
    // Clouds on the sphere and the floor (blended, drawn back to front), and on the sphere alone.
    static Ptr<Node> MakeClouds(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor);
    static Ptr<Node> MakeCloudsBall(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor);
    static Ptr<Node> MakeLava(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor);
    // A patch of blades on the floor in front of the sphere, lit by the sun and unlit.
    static Ptr<Node> MakeGrass(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor);
    static Ptr<Node> MakeGrassUnlit(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor);
};

}  // namespace zen::tool
