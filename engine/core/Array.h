#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "engine/core/Result.h"

namespace zen {

// The engine's growable array. Its capacity grows by a fixed increment, not geometrically:
// appending to a full array makes room for `increment` more elements, and with an increment
// of 0 an append to a full array is dropped (the caller asked for a fixed size). Elements keep
// their order; removal moves the later ones down. Holding Ptr<T> elements makes it an owning
// array: copies take references, removal releases the vacated slot.
template <class T>
class Array {
public:
    explicit Array(uint32_t capacity = 1, uint32_t increment = 1) : m_capacity(capacity), m_increment(increment)
    {
        m_items.reserve(capacity);
    }

    // kSuccess; kFailure when the array is full and its increment is 0 (nothing appended);
    // kOutOfMemory when the larger block cannot be had (the array is unchanged).
    Result Append(const T& item)
    {
        if (Count() == m_capacity) {
            if (m_increment == 0)
                return kFailure;
            try {
                m_items.reserve(static_cast<size_t>(m_capacity) + m_increment);
            } catch (const std::bad_alloc&) {
                return kOutOfMemory;
            }
            m_capacity += m_increment;
        }
        m_items.push_back(item);
        return kSuccess;
    }

    // Removes the element at `index`, keeping the order of the rest; out of range does nothing.
    void RemoveAt(uint32_t index)
    {
        if (index < Count())
            m_items.erase(m_items.begin() + index);
    }

    // Index of the first element equal to `item`, or kNotFound.
    static constexpr uint32_t kNotFound = 0xFFFFFFFFu;
    uint32_t IndexOf(const T& item) const
    {
        for (uint32_t i = 0; i < Count(); ++i)
            if (m_items[i] == item)
                return i;
        return kNotFound;
    }
    bool Contains(const T& item) const { return IndexOf(item) != kNotFound; }
    // Index of the first element for which `match(element)` is true, or kNotFound.
    template <class Match>
    uint32_t IndexOfIf(Match&& match) const
    {
        for (uint32_t i = 0; i < Count(); ++i)
            if (match(m_items[i]))
                return i;
        return kNotFound;
    }

    void Clear() { m_items.clear(); }  // Count 0; the capacity stays.

    uint32_t Count() const { return static_cast<uint32_t>(m_items.size()); }
    uint32_t Capacity() const { return m_capacity; }
    uint32_t Increment() const { return m_increment; }
    T& operator[](uint32_t index) { return m_items[index]; }
    const T& operator[](uint32_t index) const { return m_items[index]; }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<T> m_items;
    uint32_t m_capacity;   // Slots the engine considers allocated; grows only by m_increment.
    uint32_t m_increment;  // 0: fixed size.
};

}  // namespace zen
