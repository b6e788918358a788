#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/Engine.h"
#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"
#include "engine/core/Result.h"
#include "engine/core/Rtti.h"
#include "engine/core/Startup.h"

namespace zen {

class Controller;
class ReferenceVisitor;
class Stream;

// The root of every engine class ("ZEN.Object"): a name, an ID from a process-wide counter
// (unique within a run, never reused, not kept across a save and load), a reference count and
// a list of attached controllers, newest first. Classes persist themselves through Save and
// Load on a Stream, base-class fields first.
class Object : public Named, public virtual RefCounted {
public:
    explicit Object(const String& name = String());
    ~Object() override;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Type
    static const Rtti TYPE;
    virtual const Rtti* GetRtti() const { return &TYPE; }
    bool IsExactly(const Rtti* type) const { return GetRtti()->IsExactly(type); }
    bool IsDerivedFrom(const Rtti* type) const { return GetRtti()->DerivesFrom(type); }

    // Persistence: kSuccess, or kFailure after logging the field that failed.
    [[nodiscard]] virtual Result Save(Stream& stream);
    [[nodiscard]] virtual Result Load(Stream& stream);
    // What a subclass's Save or Load returns when its base class's part failed: the one
    // message for it ("... родительские данные ...") and kFailure.
    [[nodiscard]] Result ParentSaveFailed() const;
    [[nodiscard]] Result ParentLoadFailed() const;

    // Search. FindByName returns this object when its name matches, else the first hit among the
    // objects it owns (here its controllers); CollectByType appends this object when it derives
    // from `type`, then visits what it owns. Subclasses extend both to their own parts.
    virtual Object* FindByName(const String& name);
    virtual void CollectByType(const Rtti* type, Array<Object*>& out);

    // Hands `visitor` every counted reference this object holds to another object that its Load
    // can fill, dropping those the visitor asks to drop. The rule for a class that keeps Ptr
    // fields read from a stream: override this, call the base class's, then `visitor(m_field)`
    // for each such field (and drop list entries the visitor returns true for, clearing the
    // target's raw back-link as a detach would). A class that does not override it stays
    // correct, but what it holds counts as held from outside the load: a ring through it is
    // not found, and a failed load cannot break one.
    virtual void VisitReferences(ReferenceVisitor& visitor);

    // Calls Update(time) on every attached controller, newest first.
    virtual void UpdateControllers(double time);

    // Controllers. The list holds a reference to each; the controller's owner link is raw.
    [[nodiscard]] Result SetController(Controller* controller);  // Attaches at the front.
    uint32_t ControllerCount() const;
    Controller* GetController(uint32_t index) const;  // 0 is the newest; null past the end.
    // Releases every controller; one that this object owned and that lives on elsewhere is
    // left without an owner.
    Result RemoveControllers();

    uint32_t ID() const { return m_id; }

    // Class registration (every registered class has the same four statics; see ZEN_CLASS).
    static Result Create(Object** out);  // Abstract: logs a critical error and returns kFailure.
    static Result Initialize();
    static Result Terminate();

    static uint32_t NextID();  // The ID the next constructed object will get.
    // Objects constructed and not yet destroyed, process-wide: what a load or a dropped scene
    // leaves behind shows here.
    static uint32_t LiveCount();

private:
    struct ControllerNode;

    uint32_t m_id;
    ControllerNode* m_controllers = nullptr;  // Owned list, newest first.
    bool m_searching = false;                 // On the path of a running FindByName/CollectByType.
};

}  // namespace zen

// Declares the static type record and registration functions of an engine class. Put it at
// the top of the class body; ZEN_IMPLEMENT_CLASS or ZEN_IMPLEMENT_ABSTRACT_CLASS in the source.
#define ZEN_DECLARE_CLASS                                                    \
public:                                                                      \
    static const ::zen::Rtti TYPE;                                           \
    const ::zen::Rtti* GetRtti() const override { return &TYPE; }            \
    static ::zen::Result Create(::zen::Object** out);                        \
    static ::zen::Result Initialize();                                       \
    static ::zen::Result Terminate();                                        \
                                                                             \
private:

#define ZEN_IMPLEMENT_CLASS_COMMON(Class, Base, tier)                                        \
    const ::zen::Rtti Class::TYPE("ZEN." #Class, &Base::TYPE);                               \
    ::zen::Result Class::Initialize() { return ::zen::ClassRegistry::Add(TYPE.Name(), &Class::Create); } \
    ::zen::Result Class::Terminate() { return ::zen::ClassRegistry::Remove(TYPE.Name()); }   \
    static ::zen::EngineRegistration s_register##Class ZEN_STARTUP(tier)(&Class::Initialize, &Class::Terminate);

// A class that scene files and factories create by its type name.
#define ZEN_IMPLEMENT_CLASS(Class, Base, tier)                                                   \
    ::zen::Result Class::Create(::zen::Object** out) { return ::zen::CreateObject<Class>(out); } \
    ZEN_IMPLEMENT_CLASS_COMMON(Class, Base, tier)

// A base class that is never instantiated by name: its creation function makes nothing.
#define ZEN_IMPLEMENT_ABSTRACT_CLASS(Class, Base, tier)                    \
    ::zen::Result Class::Create(::zen::Object**) { return ::zen::kFailure; } \
    ZEN_IMPLEMENT_CLASS_COMMON(Class, Base, tier)
