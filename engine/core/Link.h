#pragma once
#include <utility>

#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"

namespace zen {

// A non-owning handle to a reference-counted object: it takes no reference, so links that point
// up or across a tree (a camera's target, a skin's bones, the light an effect is lit by) never
// keep their targets, or the tree they sit in, alive. When the target goes the link reads empty
// (Get() is null) and Lost() tells a link that was set from one never set. Streams save a link
// as an object record like any reference, so links persist by ID.
template <class T>
class Link {
public:
    Link() = default;
    Link(T* object) { Set(object); }
    Link(const Ptr<T>& object) { Set(object.Get()); }
    Link(const Link& other) : m_object(other.m_object), m_anchor(other.m_anchor)
    {
        if (m_anchor)
            m_anchor->Hold();
    }
    Link(Link&& other) noexcept
        : m_object(std::exchange(other.m_object, nullptr)), m_anchor(std::exchange(other.m_anchor, nullptr))
    {
    }
    ~Link() { Drop(); }

    Link& operator=(T* object)
    {
        // Clearing always forgets the anchor, so a link cleared after its target went is no
        // longer Lost().
        if (!object || object != Get())
            Set(object);
        return *this;
    }
    Link& operator=(const Ptr<T>& object) { return *this = object.Get(); }
    Link& operator=(const Link& other)
    {
        if (this != &other) {
            if (other.m_anchor)
                other.m_anchor->Hold();
            Drop();
            m_object = other.m_object;
            m_anchor = other.m_anchor;
        }
        return *this;
    }
    Link& operator=(Link&& other) noexcept
    {
        if (this != &other) {
            Drop();
            m_object = std::exchange(other.m_object, nullptr);
            m_anchor = std::exchange(other.m_anchor, nullptr);
        }
        return *this;
    }

    T* Get() const { return m_anchor && m_anchor->Alive() ? m_object : nullptr; }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
    explicit operator bool() const { return Get() != nullptr; }
    // Set to an object that has gone since.
    bool Lost() const { return m_anchor && !m_anchor->Alive(); }
    friend bool operator==(const Link& a, const Link& b) { return a.Get() == b.Get(); }
    friend bool operator==(const Link& a, const T* b) { return a.Get() == b; }

private:
    void Set(T* object)
    {
        Drop();
        if (!object)
            return;
        // An object whose anchor cannot be made (out of memory) is not linked: the link reads
        // empty, never dangling.
        LinkAnchor* anchor = static_cast<RefCounted*>(object)->Anchor();
        if (!anchor)
            return;
        anchor->Hold();
        m_object = object;
        m_anchor = anchor;
    }
    void Drop()
    {
        m_object = nullptr;
        if (LinkAnchor* anchor = std::exchange(m_anchor, nullptr))
            anchor->Release();
    }

    T* m_object = nullptr;
    LinkAnchor* m_anchor = nullptr;
};

}  // namespace zen
