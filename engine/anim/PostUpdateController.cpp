#include "engine/anim/PostUpdateController.h"

#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(PostUpdateController, Controller, kStartupOtherClasses)

PostUpdateController::~PostUpdateController()
{
    if (Renderer* renderer = Renderer::Current())
        renderer->ForgetPostUpdate(this);
}

void PostUpdateController::Update(double)
{
    if (!m_active)
        return;
    if (Renderer* renderer = Renderer::Current())
        (void)renderer->RegisterPostUpdate(this);
}

void PostUpdateController::PostUpdate() {}

}  // namespace zen
