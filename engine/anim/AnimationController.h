#pragma once
#include <cstdint>

#include "engine/anim/Animation.h"
#include "engine/anim/AnimationFrame.h"
#include "engine/anim/BlendStage.h"
#include "engine/anim/Controller.h"
#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"

namespace zen {

// The base of every keyframe-driven controller ("ZEN.AnimationController"). It owns a track: a
// position 0..1 that advances by elapsed / trackPeriod each update and wraps. Frames (clips)
// place animations on the track; at each update the (at most two) frames under the position
// load their animations into blending stages 0 and 1, the stages are cross-faded where the
// frames overlap, and each stage is evaluated at its frame's local time. The subclass then
// blends the stages into its owner in ApplyStages: for every stage in order, the value between
// the stage's two keys, and the owner's value moved towards it by the stage weight.
//
// Adding an animated property:
//  1. A keyframe kind for the value (a Keyframe subclass with kKind, SaveFields, LoadFields),
//     unless an existing one fits: node placement, colour, float, bool, texture.
//  2. An animation kind (an Animation subclass: NewKeyframe and KeyframeKind), registered with
//     ZEN_IMPLEMENT_CLASS like the others, unless an existing one fits.
//  3. The controller: a subclass of this class that overrides ApplyStages only. It checks the
//     owner's type (do nothing for another type) and reads the value through BlendColor,
//     BlendFloat, BlendStages<Key> (other interpolated values), SwitchValue (bool tracks) or
//     ForEachStageKey<Key> (the key in force without blending), then writes it. Update, Reset, the stream form and the stage
//     operations are inherited; a controller with fields of its own saves them after the base
//     block, one message per field.
// Stream form: the controller block, the animation count (uint32) and links, the frame count
// (uint32) and frames (AnimationFrame), trackPeriod (float64). Position and stages are not saved.
class AnimationController : public Controller {
    ZEN_DECLARE_CLASS

public:
    AnimationController() = default;

    // Controller. Update does nothing while inactive; otherwise it advances the track
    // (AdvanceTrack) and then applies the stages (ApplyStages). Reset empties the stages and
    // rewinds the track to 0.
    void Update(double elapsed) override;
    void Reset() override;

    // Stage operations
    // Grows the stages to hold `stage`; a new animation replaces the old one (null empties the
    // stage); the weight is set either way.
    virtual void SetStageAnimation(Animation* animation, uint32_t stage, float weight);
    // As SetStageAnimation with the first of this controller's animations named `name` byte
    // for byte; none found leaves the stage empty.
    virtual void SetStageAnimationByName(const String& name, uint32_t stage, float weight);
    // Sets the weight of an existing stage; a stage past the end is ignored.
    virtual void SetStageWeight(uint32_t stage, float weight);
    // Moves the track to `position` as given (no wrapping: a negative position waits).
    virtual void SetTrackPosition(double position);
    // Empties every stage (their animations released); the track stays where it is.
    void ClearStages() { m_stages.Clear(); }

    // Track: steps 2-6 of the update without applying (what Update does before ApplyStages).
    // A trackPeriod that is not a positive finite number, or an elapsed that is not finite,
    // leaves the position where it is.
    void AdvanceTrack(double elapsed);
    double TrackPeriod() const { return m_trackPeriod; }
    void SetTrackPeriod(double seconds) { m_trackPeriod = seconds; }
    double TrackPosition() const { return m_trackPosition; }

    // Animations known by name, frames and stages
    Result AddAnimation(Animation* animation);  // kInvalidArgument for null.
    uint32_t AnimationCount() const { return m_animations.Count(); }
    Animation* GetAnimation(uint32_t index) const;
    // kInvalidArgument when the end lies before the start or a number is not finite.
    Result AddFrame(const AnimationFrame& frame);
    uint32_t FrameCount() const { return m_frames.Count(); }
    const AnimationFrame* GetFrame(uint32_t index) const;
    uint32_t StageCount() const { return m_stages.Count(); }
    const BlendStage* GetStage(uint32_t index) const;

    // Search continues into the animations.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    void VisitReferences(ReferenceVisitor& visitor) override;  // Animations, stages, frames.

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // Writes the blended stages into the owner; called by Update while active, after the
    // track. Nothing here.
    virtual void ApplyStages();

    // The stages blended over `start` (the owner's current value): for each stage in index
    // order whose animation holds keys of type Key, value = interpolate(key a, key b, fraction)
    // and acc = blend(acc, value, weight). `interpolate(const Key&, const Key&, float)` and
    // `blend(acc, value, float weight)` give the kind's blends.
    template <class Key, class Value, class Interpolate, class Blend>
    Value BlendStages(Value start, Interpolate&& interpolate, Blend&& blend) const
    {
        Value acc = start;
        for (const BlendStage& stage : m_stages) {
            if (!stage.HasKeys(Key::kKind))
                continue;
            const Key& a = static_cast<const Key&>(*stage.animation->GetKeyframe(stage.keyIndex));
            const Key& b = static_cast<const Key&>(*stage.animation->GetKeyframe(stage.nextKeyIndex));
            acc = blend(acc, interpolate(a, b, static_cast<float>(stage.fraction)), stage.weight);
        }
        return acc;
    }
    // Calls visit(key in force) for each stage in index order whose animation holds Key keys.
    template <class Key, class Visit>
    void ForEachStageKey(Visit&& visit) const
    {
        for (const BlendStage& stage : m_stages)
            if (stage.HasKeys(Key::kKind))
                visit(static_cast<const Key&>(*stage.animation->GetKeyframe(stage.keyIndex)));
    }
    // The stages of colour (ColorKeyframe) and float (FloatKeyframe) animations blended
    // linearly over `start`, for the controllers of colours and sizes.
    Vector4 BlendColor(const Vector4& start) const;
    float BlendFloat(float start) const;
    // The switch of the bool-track controllers: the key in force of the last stage whose
    // animation has bool keys; true when none has.
    bool SwitchValue() const;

private:
    // The track's own stage changes: not the virtual ones, which a subclass may fan out to
    // other controllers.
    void PutStageAnimation(Animation* animation, uint32_t stage, float weight);
    void PutStageWeight(uint32_t stage, float weight);
    // Grows the stage array to hold `stage`; false when out of memory.
    bool ReachStage(uint32_t stage);

    Array<Ptr<Animation>> m_animations;
    // Room for the two stages the track drives from the start, so that a frame whose clips
    // first overlap does not allocate.
    Array<BlendStage> m_stages{2, 1};
    double m_trackPeriod = 0;    // Seconds per pass of the track.
    double m_trackPosition = 0;  // 0 <= position < 1 after an update that advanced it.
    Array<AnimationFrame> m_frames;
};

}  // namespace zen
