#pragma once
#include <cstdint>

namespace zen {

// Base of every shared engine object: an intrusive reference count, 0 after construction.
// Ptr takes and drops references; the drop from 1 to 0 deletes the object. Objects made by
// factories start at 0, so the first Ptr that receives one becomes its owner.
// `Object` holds this as a virtual base; log outputs, modules and codecs as an ordinary one.
class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) : m_references(0) {}  // A copy is a new object, unreferenced.
    RefCounted& operator=(const RefCounted&) { return *this; }
    virtual ~RefCounted();  // Warns when references remain; the object goes all the same.

    void AddReference() { ++m_references; }
    void ReleaseReference();  // Deletes the object when the count falls from 1 to 0.
    // Gives back a reference without deleting at 0: for code that holds an object only while
    // building it and then hands it on unreferenced, as factories do (Stream::ReadObject).
    void ReleaseReferenceKeepingObject() { --m_references; }
    int32_t References() const { return m_references; }

private:
    int32_t m_references = 0;
};

}  // namespace zen
