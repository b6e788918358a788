#include "engine/anim/Controller.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(Controller, Object, kStartupOtherClasses)

void Controller::Update(double) {}

void Controller::Reset() {}

Result Controller::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteBool(m_active) != kSuccess) {
        Error("Невозможно сохранить флаг активности контроллера. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Controller::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return ParentLoadFailed();
    if (stream.ReadBool(m_active) != kSuccess) {
        Error("Невозможно загрузить флаг активности контроллера. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
