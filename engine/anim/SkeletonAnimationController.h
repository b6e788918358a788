#pragma once
#include <cstdint>

#include "engine/anim/AnimationController.h"

namespace zen {

// Plays one animation on a whole skeleton ("ZEN.SkeletonAnimationController"): it drives the
// node animation controllers of the bones (saved inactive, so they do nothing on their own),
// updating each with its own elapsed time and passing every stage command on to all of them,
// so that asking for "walk" by name starts each bone's own "walk".
// Stream form after the animation controller's: count (uint32) and each bone controller link.
class SkeletonAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    SkeletonAnimationController() = default;

    // The track, then (while active) each bone controller made active, updated with the same
    // elapsed time and made inactive again.
    void Update(double elapsed) override;
    // The track rewound and the stages emptied here; the bone controllers' stages emptied.
    void Reset() override;
    // Each on this controller first, then on every bone controller.
    void SetStageAnimation(Animation* animation, uint32_t stage, float weight) override;
    void SetStageAnimationByName(const String& name, uint32_t stage, float weight) override;
    void SetStageWeight(uint32_t stage, float weight) override;
    void SetTrackPosition(double position) override;

    Result AddBoneController(AnimationController* controller);  // kInvalidArgument for null.
    void ClearBoneControllers() { m_boneControllers.Clear(); }
    uint32_t BoneControllerCount() const { return m_boneControllers.Count(); }
    AnimationController* GetBoneController(uint32_t index) const;

    void VisitReferences(ReferenceVisitor& visitor) override;  // Also the bone controllers.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    // Calls `pass(controller)` for each bone controller; a skeleton reached again through its
    // own bones (a file that lists it among them) is not entered twice.
    template <class Pass>
    void ForEachBone(Pass&& pass);

    Array<Ptr<AnimationController>> m_boneControllers;
    bool m_passing = false;  // Inside ForEachBone.
};

}  // namespace zen
