#pragma once
#include <new>

#include "engine/core/Array.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Object;

// A class's creation function: stores a new, unreferenced object with an empty name in `out`
// and returns kSuccess; kOutOfMemory when it cannot be allocated; kFailure for abstract classes.
using CreateFunction = Result (*)(Object** out);

// The process-wide table from type name ("ZEN.Node") to creation function. Each class's
// Initialize adds itself at engine start and its Terminate removes itself at engine stop; the
// object stream creates objects by the type name stored in a file.
class ClassRegistry {
public:
    // kFailure when the name is present (the first function stays), kOutOfMemory, or kSuccess.
    static Result Add(const String& typeName, CreateFunction create);
    static Result Remove(const String& typeName);  // Always kSuccess.
    static CreateFunction LookupCreator(const String& typeName);  // Null when unknown.
    static uint32_t Count();
    // Appends every registered type name (in no particular order), for code that visits every
    // class of a kind. kSuccess or kOutOfMemory.
    static Result TypeNames(Array<String>& out);
};

// Convenience for the per-class creation functions.
template <class T>
Result CreateObject(Object** out)
{
    T* object = new (std::nothrow) T();
    if (!object)
        return kOutOfMemory;
    *out = object;
    return kSuccess;
}

}  // namespace zen
