#pragma once
#include "engine/anim/Controller.h"

namespace zen {

// A controller whose work must wait for the renderer's frame ("ZEN.PostUpdateController"):
// its Update only asks the current renderer to run it, and the renderer calls PostUpdate once
// at the start of the frame, after the scene update and before the scene is drawn (render-to-
// texture and inverse-kinematics controllers). Saved and loaded like any controller.
class PostUpdateController : public Controller {
    ZEN_DECLARE_CLASS

public:
    PostUpdateController() = default;
    // Leaves the current renderer's list: the frame holds plain pointers.
    ~PostUpdateController() override;

    // While active, registers with the current renderer (none: nothing happens).
    void Update(double elapsed) override;
    // The deferred work. Nothing here.
    virtual void PostUpdate();
};

}  // namespace zen
