#include "engine/scene/NodeList.h"

#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"
#include "engine/scene/Node.h"

namespace zen {

Node* NodeList::Get(uint32_t index) const
{
    return index < m_nodes.Count() ? m_nodes[index].Get() : nullptr;
}

Result NodeList::Add(Node* node)
{
    if (!node)
        return kInvalidArgument;
    return m_nodes.Append(Ptr<Node>(node));
}

void NodeList::Clear()
{
    m_nodes.Clear();
}

void NodeList::Draw(Renderer* renderer) const
{
    for (uint32_t i = 0; i < m_nodes.Count(); ++i) {
        const Ptr<Node> node = m_nodes[i];  // Held: a draw may change the list's owner.
        if (node)
            node->DrawIfVisible(renderer);
    }
}

void NodeList::VisitReferences(ReferenceVisitor& visitor)
{
    for (uint32_t i = m_nodes.Count(); i-- > 0;) {
        if (m_nodes[i] && visitor.Visit(m_nodes[i].Get()))
            m_nodes.RemoveAt(i);
    }
}

Result NodeList::Save(Stream& stream) const
{
    if (stream.WriteUInt(m_nodes.Count()) != kSuccess)
        return stream.State();
    for (uint32_t i = 0; i < m_nodes.Count(); ++i)
        if (stream.WriteObject(m_nodes[i].Get()) != kSuccess)
            return stream.State();
    return kSuccess;
}

Result NodeList::Load(Stream& stream)
{
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess)
        return stream.State();
    if (count & 0x80000000u)
        count = 0;
    // Every entry takes at least a 4-byte reference.
    if (count > stream.Remaining() / 4)
        return kFailure;
    Array<Ptr<Node>> nodes(count > 0 ? count : 1, 4);
    for (uint32_t i = 0; i < count; ++i) {
        Ptr<Node> node;
        if (stream.ReadObject(node) != kSuccess)
            return kFailure;
        if (node && nodes.Append(node) != kSuccess)
            return kOutOfMemory;
    }
    m_nodes = std::move(nodes);
    return kSuccess;
}

}  // namespace zen
