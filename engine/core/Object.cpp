#include "engine/core/Object.h"

#include <new>

#include "engine/anim/Controller.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"

namespace zen {
namespace {

uint32_t g_nextId = 0;  // Process-wide; never reset, so IDs are unique within a run.
uint32_t g_live = 0;    // Objects constructed and not yet destroyed.

}  // namespace

struct Object::ControllerNode {
    Ptr<Controller> controller;
    ControllerNode* next;
};

const Rtti Object::TYPE("ZEN.Object", nullptr);

static EngineRegistration s_registerObject ZEN_STARTUP(kStartupObject)(&Object::Initialize, &Object::Terminate);

Object::Object(const String& name) : Named(name), m_id(g_nextId++)
{
    ++g_live;
}

Object::~Object()
{
    if (RemoveControllers() != kSuccess)
        Error("Невозможно удалить контроллеры объекта. Имя[%s] ID[%d]", m_name.CStr(), m_id);
    --g_live;
}

uint32_t Object::NextID()
{
    return g_nextId;
}

uint32_t Object::LiveCount()
{
    return g_live;
}

Result Object::Create(Object**)
{
    Critical("Создание объекта абстрактного класса [Object].");
    return kFailure;
}

Result Object::Initialize()
{
    if (ClassRegistry::Add(TYPE.Name(), &Object::Create) != kSuccess) {
        Critical("Инициализация класса [Object] прошла неудачно.");
        return kFailure;
    }
    Info("Инициализация класса [Object] прошла удачно.");
    return kSuccess;
}

Result Object::Terminate()
{
    (void)ClassRegistry::Remove(TYPE.Name());
    Info("Завершение работы класса [Object] прошло удачно.");
    return kSuccess;
}

Result Object::SetController(Controller* controller)
{
    if (!controller) {
        Warning("Указатель на устанавливаемый контроллер равен 0. Имя[%s] ID[%d]", m_name.CStr(), m_id);
        return kInvalidArgument;
    }
    ControllerNode* node = new (std::nothrow) ControllerNode{controller, m_controllers};
    if (!node) {
        Warning("Недостаточно памяти для создания узла списка при установке контроллера. Имя[%s] ID[%d]",
                m_name.CStr(), m_id);
        return kOutOfMemory;
    }
    m_controllers = node;
    controller->SetOwner(this);
    return kSuccess;
}

uint32_t Object::ControllerCount() const
{
    uint32_t count = 0;
    for (const ControllerNode* node = m_controllers; node; node = node->next)
        ++count;
    return count;
}

Controller* Object::GetController(uint32_t index) const
{
    for (const ControllerNode* node = m_controllers; node; node = node->next, --index)
        if (index == 0)
            return node->controller.Get();
    return nullptr;
}

void Object::VisitReferences(ReferenceVisitor& visitor)
{
    ControllerNode** link = &m_controllers;
    while (ControllerNode* node = *link) {
        if (!visitor.Visit(node->controller.Get())) {
            link = &node->next;
            continue;
        }
        *link = node->next;
        if (node->controller->Owner() == this)
            node->controller->SetOwner(nullptr);
        delete node;
    }
}

Result Object::RemoveControllers()
{
    // A controller may outlive this list (another object or controller holds it too). Its raw
    // owner link must not be left pointing at an object that no longer carries it, least of
    // all one being destroyed: a later Update would reach through a dangling pointer.
    while (ControllerNode* node = m_controllers) {
        m_controllers = node->next;
        if (node->controller->Owner() == this)
            node->controller->SetOwner(nullptr);
        delete node;
    }
    return kSuccess;
}

// Controllers may carry controllers, and a scene file can make that chain loop back (a controller
// attached to itself, or to one of its own controllers). The searches mark the objects on their
// current path and do not enter one twice, so every search ends; shared objects reached along
// different paths are still visited each time.
Object* Object::FindByName(const String& name)
{
    if (m_name == name)
        return this;
    if (m_searching)
        return nullptr;
    m_searching = true;
    Object* found = nullptr;
    for (ControllerNode* node = m_controllers; node && !found; node = node->next)
        found = node->controller->FindByName(name);
    m_searching = false;
    return found;
}

void Object::CollectByType(const Rtti* type, Array<Object*>& out)
{
    if (m_searching)
        return;
    m_searching = true;
    if (IsDerivedFrom(type))
        (void)out.Append(this);
    for (ControllerNode* node = m_controllers; node; node = node->next)
        node->controller->CollectByType(type, out);
    m_searching = false;
}

void Object::UpdateControllers(double time)
{
    for (ControllerNode* node = m_controllers; node; node = node->next)
        node->controller->Update(time);
}

Result Object::Save(Stream& stream)
{
    if (stream.WriteString(m_name) != kSuccess) {
        Error("Невозможно сохранить имя объекта. Имя[%s] ID[%d]", m_name.CStr(), m_id);
        return kFailure;
    }
    const uint32_t count = ControllerCount();
    if (stream.WriteUInt(count) != kSuccess) {
        Error("Невозможно сохранить количество контроллеров объекта. Имя[%s] ID[%d]", m_name.CStr(), m_id);
        return kFailure;
    }
    // Earliest attached first, so that loading (which attaches at the front) restores the order.
    for (uint32_t i = count; i-- > 0;) {
        if (stream.WriteObject(GetController(i)) != kSuccess) {
            Error("Невозможно сохранить контроллер объекта. Имя[%s] ID[%d]", m_name.CStr(), m_id);
            return kFailure;
        }
    }
    return kSuccess;
}

Result Object::ParentSaveFailed() const
{
    Error("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", m_name.CStr(), m_id);
    return kFailure;
}

Result Object::ParentLoadFailed() const
{
    Error("Невозможно загрузить родительские данные. ID[%d]", m_id);
    return kFailure;
}

Result Object::Load(Stream& stream)
{
    String name;
    if (stream.ReadString(name) != kSuccess) {
        Error("Невозможно загрузить имя объекта. ID[%d]", m_id);
        return kFailure;
    }
    SetName(name);
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess) {
        Error("Невозможно загрузить количество контроллеров объекта. Имя[%s] ID[%d]", m_name.CStr(), m_id);
        return kFailure;
    }
    if (count & 0x80000000u)
        count = 0;
    for (uint32_t i = 0; i < count; ++i) {
        Ptr<Controller> controller;
        if (stream.ReadObject(controller) != kSuccess) {
            Error("Невозможно загрузить контроллер объекта. Имя[%s] ID[%d]", m_name.CStr(), m_id);
            return kFailure;
        }
        if (SetController(controller.Get()) != kSuccess) {
            Error("Невозможно установить контроллер объекта. Имя[%s] ID[%d]", m_name.CStr(), m_id);
            return kFailure;
        }
    }
    return kSuccess;
}

}  // namespace zen
