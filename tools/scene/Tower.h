#pragma once
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "tools/model/Lathe.h"
#include "tools/model/MeshBuilder.h"

namespace zen::scene {

// The lighthouse, standing on y = 0 around the y axis: a stone plinth, a tapering tower in red
// and white bands, a corbelled gallery with a railing, the glazed lantern room with its lamp,
// and a domed roof with a vent ball. Sizes in metres.
class Tower {
public:
    static constexpr float kGalleryHeight = 21.0f;   // The gallery floor.
    static constexpr float kLampHeight = 22.7f;      // The lamp's centre.
    static constexpr float kLanternRadius = 1.9f;
    static constexpr float kLanternTop = 24.3f;

    static const std::vector<model::Lathe::Point>& BodyProfile();
    static model::MeshBuilder Body();       // Plinth, tower, corbel and gallery floor.
    static model::MeshBuilder Railing();    // Posts and rails round the gallery.
    static model::MeshBuilder Glazing();    // The lantern room's glass (drawn blended).
    static model::MeshBuilder Roof();       // Lantern roof and vent ball.
    static model::MeshBuilder Lamp();       // The bright lamp inside the lantern.
    // The beam, a long open cone from the lamp along +z (v along its length, 0 at the lamp).
    static model::MeshBuilder Beam(float length, float endRadius);

    // The body's picture: v follows BodyProfile from the top, u goes round; bands, windows, a
    // door, weathering, and the night's light painted in by the direction each column faces.
    static Ptr<Image> BodyPicture(const char* fileName);
    static Ptr<Image> GlassPicture(const char* fileName);  // Panes with mullions, with alpha.
    static Ptr<Image> IronPicture(const char* fileName);   // Painted iron: railing, roof.
    static Ptr<Image> LampPicture(const char* fileName);   // The glowing lamp.
    static Ptr<Image> BeamPicture(const char* fileName);   // Light along the beam, with alpha.
};

}  // namespace zen::scene
