#include "engine/render/DeferredQueue.h"

#include <algorithm>
#include <cmath>

namespace zen {

DeferredQueue::DeferredQueue() : m_entries(1, 1) {}

Result DeferredQueue::Add(GeometryNode* node, float squaredDistance)
{
    // A node with a broken bound (NaN centre) would make the distance NaN, and NaN keys break the
    // ordering the sort relies on (it may then read outside the queue). Such a node is drawn last.
    if (std::isnan(squaredDistance))
        squaredDistance = 0.0f;
    return m_entries.Append(Entry{node, squaredDistance});
}

void DeferredQueue::SortBackToFront(uint32_t first)
{
    if (first >= m_entries.Count())
        return;
    std::sort(m_entries.begin() + first, m_entries.end(),
              [](const Entry& a, const Entry& b) { return a.squaredDistance > b.squaredDistance; });
}

void DeferredQueue::Clear()
{
    m_entries.Clear();
}

void DeferredQueue::Truncate(uint32_t count)
{
    while (m_entries.Count() > count)
        m_entries.RemoveAt(m_entries.Count() - 1);
}

}  // namespace zen
