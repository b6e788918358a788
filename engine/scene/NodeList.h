#pragma once
#include <cstdint>
#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"

namespace zen {

class Node;
class ReferenceVisitor;
class Renderer;
class Stream;

// A list of counted references to nodes that an effect or controller draws or treats apart from
// the scene traversal (the nodes a render-to-texture controller renders, the glowing nodes of a
// glow effect). Stream form: the count (uint32, a count with the top bit set reads as 0), then
// one object record or link per node. A count beyond what the stream still holds is refused
// before anything is allocated.
class NodeList {
public:
    NodeList() = default;

    uint32_t Count() const { return m_nodes.Count(); }
    Node* Get(uint32_t index) const;  // Null past the end.
    Result Add(Node* node);           // kInvalidArgument for null; kOutOfMemory.
    void Clear();

    // Each node culled against the renderer's camera (DrawIfVisible).
    void Draw(Renderer* renderer) const;

    // kSuccess, or the stream's failure; nothing is logged (the owner names its field).
    Result Save(Stream& stream) const;
    // Replaces the list only when the whole list was read.
    Result Load(Stream& stream);
    // Hands the owner's visitor each listed node (Object::VisitReferences), dropping those it
    // asks to drop. The list owns its nodes, so a list that reaches back to its owner's own
    // ancestors is a ring the stream refuses.
    void VisitReferences(ReferenceVisitor& visitor);

private:
    Array<Ptr<Node>> m_nodes{1, 4};
};

}  // namespace zen
