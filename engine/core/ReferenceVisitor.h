#pragma once
#include "engine/core/Ptr.h"

namespace zen {

class Object;

// Walks the counted references one object holds to others (Object::VisitReferences). The object
// stream uses it at the end of every load: to find objects that hold each other in a ring, which
// would outlive the last outside reference, and, when a load fails, to make each object it
// created let go of the others so that all of them are freed.
class ReferenceVisitor {
public:
    // Called once per counted reference to `target` (never null). True asks the holder to drop
    // that reference (and to clear any raw back-link the target keeps to the holder).
    virtual bool Visit(Object* target) = 0;

    // For a Ptr field: visits it and empties it when asked to.
    template <class T>
    void operator()(Ptr<T>& reference)
    {
        if (reference && Visit(reference.Get()))
            reference = nullptr;
    }

protected:
    ~ReferenceVisitor() = default;
};

}  // namespace zen
