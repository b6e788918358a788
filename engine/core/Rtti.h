#pragma once
#include "engine/core/Named.h"

namespace zen {

// Run-time type record: one static instance per engine class, named "ZEN.<Class>", linked to
// its base class's record (null for ZEN.Object). Records are built during static
// initialisation and never change, so a type is identified by the address of its record.
class Rtti : public Named {
public:
    Rtti(const char* name, const Rtti* base) : Named(String(name)), m_base(base) {}

    const Rtti* Base() const { return m_base; }
    bool IsExactly(const Rtti* type) const { return this == type; }
    // True when `type` is this record or one of its bases.
    bool DerivesFrom(const Rtti* type) const;
    // As DerivesFrom, for a type known only by its name ("ZEN.SceneNodeEffect"): code that
    // refers to a class another layer defines.
    bool DerivesFrom(const String& typeName) const;

private:
    const Rtti* m_base;  // Static record of the base class; null for the root.
};

}  // namespace zen
