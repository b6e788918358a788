#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Result.h"

namespace zen {

class GeometryNode;

// Blended geometry waiting to be drawn back to front. Drawing a blended node only queues it
// with its squared distance from the camera; the renderer's flush sorts the queue, largest
// distance first, draws each node and empties it. Entries hold plain pointers that are valid
// for one frame: the scene keeps the nodes alive while it is drawn.
class DeferredQueue {
public:
    struct Entry {
        GeometryNode* node;     // Not owned; valid until the flush.
        float squaredDistance;  // From the current camera's world position.
    };

    DeferredQueue();

    // kSuccess, or kOutOfMemory (the entry is dropped, the queue stays as it was). A NaN
    // distance counts as 0, so such a node is drawn last.
    Result Add(GeometryNode* node, float squaredDistance);
    // Largest squared distance first; equal distances keep no defined order. Only the entries
    // from index `first` on are sorted (those queued since a point of the frame).
    void SortBackToFront(uint32_t first = 0);
    void Clear();  // Count 0; the capacity stays for the next frame.
    // Drops the entries from index `count` on; the capacity stays.
    void Truncate(uint32_t count);

    uint32_t Count() const { return m_entries.Count(); }
    const Entry& operator[](uint32_t index) const { return m_entries[index]; }

private:
    Array<Entry> m_entries;  // Starts with room for one entry and grows by one.
};

}  // namespace zen
