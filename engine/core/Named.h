#pragma once
#include "engine/core/String.h"

namespace zen {

// Base of everything that carries a name: type records, engine objects, log outputs, modules,
// codecs, directories and files. SetName is virtual so that a class can react to renaming.
class Named {
public:
    Named() = default;
    explicit Named(const String& name) : m_name(name) {}
    virtual ~Named() = default;

    virtual void SetName(const String& name);
    const String& Name() const { return m_name; }

protected:
    String m_name;
};

}  // namespace zen
