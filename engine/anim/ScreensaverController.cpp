#include "engine/anim/ScreensaverController.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "engine/anim/TargetCameraController.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ScreensaverController, Controller, kStartupOtherClasses)

namespace {

constexpr uint32_t kMinSetBytes = 4 + 8 + 8;  // A null camera link and the two numbers.

// Shifts the track of a set's animation back by `seconds` of its period, so that an advance by
// a frame's elapsed time lands it where the set's clock stands.
void RewindBy(AnimationController* animation, double seconds)
{
    if (!animation)
        return;
    const double period = animation->TrackPeriod();
    if (period > 0 && std::isfinite(period))
        animation->SetTrackPosition(animation->TrackPosition() - seconds / period);
}

}  // namespace

void ScreensaverController::DeriveAnimations(Set& set)
{
    set.cameraAnimation = nullptr;
    set.targetAnimation = nullptr;
    if (!set.camera)
        return;
    Camera& camera = *set.camera;
    for (uint32_t i = 0; i < camera.ControllerCount(); ++i) {
        Controller* controller = camera.GetController(i);
        if (controller->IsDerivedFrom(&TargetCameraController::TYPE)) {
            Node* target = static_cast<TargetCameraController*>(controller)->Target();
            for (uint32_t j = 0; target && j < target->ControllerCount(); ++j) {
                Controller* moving = target->GetController(j);
                if (moving->IsDerivedFrom(&AnimationController::TYPE)) {
                    set.targetAnimation = static_cast<AnimationController*>(moving);
                    break;
                }
            }
        }
        if (controller->IsDerivedFrom(&AnimationController::TYPE))
            set.cameraAnimation = static_cast<AnimationController*>(controller);
    }
}

uint32_t ScreensaverController::RandomBelow(uint32_t count)
{
    // One draw covers RAND_MAX + 1 values (32768 on Windows); a larger set count takes two, so
    // every set can come up and the choice loop always finds one outside the history.
    if (static_cast<unsigned long long>(count) <= static_cast<unsigned long long>(RAND_MAX) + 1)
        return static_cast<uint32_t>(std::rand()) % count;
    const unsigned long long wide =
        static_cast<unsigned long long>(std::rand()) * (static_cast<unsigned long long>(RAND_MAX) + 1) +
        static_cast<unsigned long long>(std::rand());
    return static_cast<uint32_t>(wide % count);
}

void ScreensaverController::ChooseNextSet()
{
    const uint32_t count = m_sets.Count();
    if (count == 0)
        return;
    const uint32_t length = count / 2 > 0 ? count / 2 : 1;
    if (m_historyLength != length) {
        m_history.Clear();
        m_historyLength = length;
    }
    if (m_history.Count() == 0) {
        Array<uint32_t> history(length, 1);
        for (uint32_t i = 0; i < length; ++i)
            if (history.Append(RandomBelow(count)) != kSuccess)
                return;  // Out of memory: no choice this time; the next update tries again.
        m_history = std::move(history);
    }
    m_current = kNone;
    for (;;) {
        const uint32_t r = RandomBelow(count);
        if (length == 1 || !m_history.Contains(r)) {
            for (uint32_t i = 0; i + 1 < length; ++i)
                m_history[i] = m_history[i + 1];
            m_history[length - 1] = r;
            m_current = r;
            break;
        }
    }
    Set& set = m_sets[m_current];
    if (set.cameraAnimation) {
        set.cameraAnimation->Reset();
        set.duration = set.cameraAnimation->TrackPeriod();
    }
    if (set.targetAnimation) {
        set.targetAnimation->Reset();
        if (set.targetAnimation->TrackPeriod() < set.duration)
            set.duration = set.targetAnimation->TrackPeriod();
    }
    if (Renderer* renderer = Renderer::Current())
        renderer->SetCamera(set.camera.Get());
}

void ScreensaverController::Update(double elapsed)
{
    if (!m_active || m_current >= m_sets.Count() || !std::isfinite(elapsed))
        return;
    m_timeInSet += elapsed;
    const double duration = m_sets[m_current].duration;
    if (!(m_timeInSet >= duration))
        return;
    // A set of no length (a track of period 0) ends at once and passes nothing on.
    m_timeInSet = duration > 0 ? m_timeInSet - duration : 0;
    ChooseNextSet();
    if (m_current >= m_sets.Count())
        return;
    const Set& next = m_sets[m_current];
    RewindBy(next.cameraAnimation.Get(), elapsed - m_timeInSet);
    RewindBy(next.targetAnimation.Get(), elapsed - m_timeInSet);
}

void ScreensaverController::Reset()
{
    ChooseNextSet();
    m_timeInSet = 0;
}

double ScreensaverController::FadeOpacity() const
{
    const Set* set = CurrentSet();
    if (!set)
        return 0;
    // The length of each fade; a single set never changes, so it cuts instead of fading.
    const double k = m_sets.Count() == 1 ? 0.0 : 1.0;
    const double remaining = set->duration - m_timeInSet;
    const double sinceFade = m_timeInSet - set->fadeInStart;
    if (remaining <= k)
        return k - remaining;
    if (sinceFade <= k)
        return k - sinceFade;
    return 0;
}

Result ScreensaverController::AddSet(Camera* camera, double fadeInStart, double duration)
{
    if (!std::isfinite(fadeInStart) || !std::isfinite(duration))
        return kInvalidArgument;
    Set set;
    set.camera = camera;
    set.fadeInStart = fadeInStart;
    set.duration = duration;
    DeriveAnimations(set);
    return m_sets.Append(set);
}

Result ScreensaverController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteUInt(m_sets.Count()) != kSuccess) {
        Error("Невозможно сохранить количество сетов. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    for (const Set& set : m_sets) {
        bool saved = true;
        if (stream.WriteObject(set.camera.Get()) != kSuccess) {
            Error("Невозможно сохранить камеру сета контроллера скринсейвера.");
            saved = false;
        } else {
            (void)stream.WriteDouble(set.fadeInStart);
            (void)stream.WriteDouble(set.duration);
            if (stream.State() != kSuccess) {
                Error("Невозможно сохранить данные сета контроллера скринсейвера.");
                saved = false;
            }
        }
        if (!saved) {
            Error("Невозможно сохранить сет. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    return kSuccess;
}

Result ScreensaverController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess || count > stream.Remaining() / kMinSetBytes) {
        Error("Невозможно загрузить количество сетов. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Array<Set> sets(count > 0 ? count : 1, 1);
    for (uint32_t i = 0; i < count; ++i) {
        Set set;
        bool loaded = true;
        if (stream.ReadLink(set.camera) != kSuccess) {
            Error("Невозможно загрузить камеру сета контроллера скринсейвера.");
            loaded = false;
        } else {
            Result read = stream.ReadDouble(set.fadeInStart);
            if (read == kSuccess)
                read = stream.ReadDouble(set.duration);
            if (read != kSuccess || stream.State() != kSuccess || !std::isfinite(set.fadeInStart) ||
                !std::isfinite(set.duration)) {
                Error("Невозможно загрузить данные сета контроллера скринсейвера.");
                loaded = false;
            }
        }
        if (loaded) {
            DeriveAnimations(set);
            loaded = sets.Append(set) == kSuccess;
        }
        if (!loaded) {
            Error("Невозможно загрузить сет. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    m_sets = std::move(sets);
    m_current = kNone;
    m_timeInSet = 0;
    ChooseNextSet();
    return kSuccess;
}

}  // namespace zen
