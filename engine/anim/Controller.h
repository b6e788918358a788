#pragma once
#include "engine/core/Object.h"

namespace zen {

// Base of everything that changes an object once per frame ("ZEN.Controller"). A controller is
// attached to its owner with Object::SetController; the owner's list holds the reference and the
// owner link here is raw (a counted one would make a cycle). Subclasses test `active` first in
// Update and keep all their state while inactive.
class Controller : public Object {
    ZEN_DECLARE_CLASS

public:
    Controller() = default;

    // Per-frame work; `elapsed` is the frame's seconds. Nothing here.
    virtual void Update(double elapsed);
    // Back to the start state. Nothing here.
    virtual void Reset();

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    bool IsActive() const { return m_active; }
    void SetActive(bool active) { m_active = active; }
    Object* Owner() const { return m_owner; }
    // Attaching and detaching (SetController, RemoveControllers) go through here, so a
    // controller that leaves state behind in its owner can undo it when it leaves.
    virtual void SetOwner(Object* owner) { m_owner = owner; }

protected:
    bool m_active = true;
    Object* m_owner = nullptr;  // The object this is attached to; not owned, never saved.
};

}  // namespace zen
