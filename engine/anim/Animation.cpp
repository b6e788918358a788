#include "engine/anim/Animation.h"

#include <cmath>
#include <new>
#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Animation, Object, kStartupOtherClasses)

namespace {

// Fewest bytes a stored key takes (its time), for checking a key count against the stream.
constexpr uint32_t kMinKeyframeBytes = 8;

}  // namespace

Animation::~Animation() { DeleteKeyframes(); }

void Animation::DeleteKeyframes()
{
    for (Keyframe* key : m_keyframes)
        delete key;
    m_keyframes.Clear();
}

Keyframe* Animation::NewKeyframe() const { return new (std::nothrow) Keyframe(); }

Result Animation::AppendKeyframe(Keyframe* key)
{
    if (!key)
        return kInvalidArgument;
    const uint32_t count = m_keyframes.Count();
    if (key->GetKind() != KeyframeKind() || !std::isfinite(key->time) ||
        (count > 0 && key->time < m_keyframes[count - 1]->time)) {
        delete key;
        return kInvalidArgument;
    }
    const Result appended = m_keyframes.Append(key);
    if (appended != kSuccess)
        delete key;
    return appended;
}

uint32_t Animation::FindKeyframe(double t, uint32_t hint) const
{
    const uint32_t count = m_keyframes.Count();
    if (count == 0)
        return 0;
    // Past the first key the answer is the one index with time[i] <= t < time[i + 1] (or i the
    // last), whatever the first key's time: checking the hint first spares a visit to the
    // first key, which lies elsewhere in memory.
    auto isAnswer = [&](uint32_t i) {
        return m_keyframes[i]->time <= t && (i + 1 == count || m_keyframes[i + 1]->time > t);
    };
    if (hint < count && isAnswer(hint))
        return hint;
    if (hint + 1 < count && isAnswer(hint + 1))
        return hint + 1;
    if (m_keyframes[0]->time > t)
        return count - 1;
    // Invariant: time[low] <= t (or t is not a number and low stays 0).
    uint32_t low = 0;
    uint32_t high = count - 1;
    while (low < high) {
        const uint32_t middle = low + (high - low + 1) / 2;
        if (m_keyframes[middle]->time <= t)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

Object* Animation::FindByName(const String& name)
{
    if (Object* found = Object::FindByName(name))
        return found;
    for (Keyframe* key : m_keyframes)
        if (Object* found = key->FindByName(name))
            return found;
    return nullptr;
}

void Animation::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Object::CollectByType(type, out);
    for (Keyframe* key : m_keyframes)
        key->CollectByType(type, out);
}

Result Animation::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteUInt(m_keyframes.Count()) != kSuccess) {
        Error("Невозможно сохранить количество кифреймов анимации. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    for (Keyframe* key : m_keyframes) {
        if (key->Save(stream) != kSuccess) {
            Error("Невозможно сохранить кифрейм анимации. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    return kSuccess;
}

Result Animation::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess || count > stream.Remaining() / kMinKeyframeBytes) {
        Error("Невозможно загрузить количество кифреймов анимации. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    DeleteKeyframes();
    // Sized once for the stored count: growing one slot per key would copy the list per key.
    Array<Keyframe*> loaded(count > 0 ? count : 1, 1);
    Result result = kSuccess;
    for (uint32_t i = 0; i < count && result == kSuccess; ++i) {
        Keyframe* key = NewKeyframe();
        if (!key || loaded.Append(key) != kSuccess) {
            delete key;
            Error("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", ID(), Name().CStr());
            result = kOutOfMemory;
            break;
        }
        if (key->Load(stream) != kSuccess) {
            Error("Невозможно загрузить кифрейм анимации. Имя[%s] ID[%d]", Name().CStr(), ID());
            result = kFailure;
        } else if (!std::isfinite(key->time) || (i > 0 && key->time < loaded[i - 1]->time)) {
            Error("Время кифрейма анимации вне порядка. ID[%d] Имя[%s] Кифрейм[%u]", ID(), Name().CStr(), i);
            result = kFailure;
        }
    }
    if (result != kSuccess) {
        for (Keyframe* key : loaded)
            delete key;
        return result;
    }
    m_keyframes = std::move(loaded);
    return kSuccess;
}

}  // namespace zen
