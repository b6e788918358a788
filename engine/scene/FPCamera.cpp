#include "engine/scene/FPCamera.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(FPCamera, Camera, kStartupOtherClasses)

Result FPCamera::Save(Stream& stream)
{
    if (Camera::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteFloat(m_first);
    stream.WriteFloat(m_second);
    if (stream.WriteBool(m_flag) != kSuccess) {
        Error("Невозможно сохранить данные камеры. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result FPCamera::Load(Stream& stream)
{
    if (Camera::Load(stream) != kSuccess)
        return ParentLoadFailed();
    float first = 0, second = 0;
    bool flag = false;
    stream.ReadFloat(first);
    stream.ReadFloat(second);
    if (stream.ReadBool(flag) != kSuccess) {
        Error("Невозможно загрузить данные камеры. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetParameters(first, second, flag);
    return kSuccess;
}

}  // namespace zen
