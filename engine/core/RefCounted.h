#pragma once
#include <cstdint>

namespace zen {

// What a Link holds instead of a reference: a small shared record that outlives its object and
// says whether the object is still there. The object keeps one hold on it and every Link one;
// the last hold frees it.
class LinkAnchor {
public:
    bool Alive() const { return m_alive; }
    void Hold() { ++m_holders; }
    void Release();  // Frees the record with the last hold.

private:
    friend class RefCounted;
    int32_t m_holders = 1;  // The object's own hold while it lives.
    bool m_alive = true;
};

// Base of every shared engine object: an intrusive reference count, 0 after construction.
// Ptr takes and drops references; the drop from 1 to 0 deletes the object. Objects made by
// factories start at 0, so the first Ptr that receives one becomes its owner.
// `Object` holds this as a virtual base; log outputs, modules and codecs as an ordinary one.
// Links (engine/core/Link.h) to the object read empty from the moment it starts to go.
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

    // The record links to this object share, made on first use; null when it cannot be had
    // (out of memory) or once the object has begun to go.
    LinkAnchor* Anchor();

private:
    void BreakLinks();

    int32_t m_references = 0;
    LinkAnchor* m_anchor = nullptr;
    bool m_going = false;  // Destruction has begun: no new anchor.
};

}  // namespace zen
