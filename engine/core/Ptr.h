#pragma once
#include <utility>

namespace zen {

// Owning handle to a reference-counted object (any type with AddReference/ReleaseReference).
// Assigning a different pointer releases the old target and references the new one; assigning
// the same pointer does nothing. Raw pointers from factories and lookups carry no reference:
// storing one in a Ptr adopts it.
template <class T>
class Ptr {
public:
    Ptr() = default;
    Ptr(T* object) : m_object(object) { Acquire(); }
    Ptr(const Ptr& other) : m_object(other.m_object) { Acquire(); }
    Ptr(Ptr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    template <class U>
    Ptr(const Ptr<U>& other) : m_object(other.Get()) { Acquire(); }
    ~Ptr() { Drop(); }

    Ptr& operator=(T* object)
    {
        if (object != m_object) {
            T* old = m_object;
            m_object = object;
            Acquire();
            if (old)
                old->ReleaseReference();
        }
        return *this;
    }
    Ptr& operator=(const Ptr& other) { return *this = other.m_object; }
    Ptr& operator=(Ptr&& other) noexcept
    {
        if (this != &other) {
            T* old = m_object;
            m_object = std::exchange(other.m_object, nullptr);
            if (old)
                old->ReleaseReference();
        }
        return *this;
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    friend bool operator==(const Ptr& a, const Ptr& b) { return a.m_object == b.m_object; }
    friend bool operator==(const Ptr& a, const T* b) { return a.m_object == b; }

private:
    void Acquire()
    {
        if (m_object)
            m_object->AddReference();
    }
    void Drop()
    {
        if (m_object)
            std::exchange(m_object, nullptr)->ReleaseReference();
    }

    T* m_object = nullptr;
};

}  // namespace zen
