#pragma once
#include <cstdint>

namespace zen {

// Where each vertex stream of a draw comes from and what it feeds: one element per geometry
// buffer, each in its own stream. A pass derives it from the buffers of the geometry it draws
// and the renderer turns it into a device vertex declaration, rebuilt whenever it changes.
struct VertexElement {
    // The geometry buffer the stream is bound from: the node's own, or (kSkinWeights,
    // kSkinIndices) those of the skin that deforms it in the vertex program.
    enum Source : uint8_t {
        kVertices, kNormals, kColors, kTangents, kPointSizes, kTexCoords, kSkinWeights, kSkinIndices, kSourceCount
    };
    // Data type on the device. Colours travel as packed 8-bit ARGB (what fixed-function vertex
    // colour takes); an IntBuffer stream carries four packed bytes per vertex.
    enum Type : uint8_t { kFloat1, kFloat2, kFloat3, kFloat4, kColor, kUByte4, kTypeCount };
    // Meaning for the shader inputs and the fixed-function pipeline.
    enum Usage : uint8_t {
        kPosition, kNormal, kDiffuse, kTangent, kPointSize, kTexCoord, kBlendIndices, kBlendWeight, kUsageCount
    };

    uint8_t stream = 0;      // Device stream index.
    uint8_t source = kVertices;
    uint8_t set = 0;         // Texture-coordinate set of a kTexCoords source (0-7).
    uint8_t type = kFloat3;
    uint8_t usage = kPosition;
    uint8_t usageIndex = 0;  // TEXCOORD0, TEXCOORD1, ... in the order the pass lists them.

    friend bool operator==(const VertexElement&, const VertexElement&) = default;
};

// A fixed-size list of elements (no allocation: layouts are rebuilt every draw).
class VertexLayout {
public:
    static constexpr uint32_t kMaxElements = 16;

    // False (nothing added) when full.
    bool Add(const VertexElement& element)
    {
        if (m_count == kMaxElements)
            return false;
        m_elements[m_count++] = element;
        return true;
    }
    void Clear() { m_count = 0; }
    uint32_t Count() const { return m_count; }
    const VertexElement& operator[](uint32_t index) const { return m_elements[index]; }
    // The element fed from `source` (and `set` for texture coordinates); null when none.
    const VertexElement* Find(uint8_t source, uint8_t set = 0) const
    {
        for (uint32_t i = 0; i < m_count; ++i)
            if (m_elements[i].source == source && (source != VertexElement::kTexCoords || m_elements[i].set == set))
                return &m_elements[i];
        return nullptr;
    }

    friend bool operator==(const VertexLayout& a, const VertexLayout& b)
    {
        if (a.m_count != b.m_count)
            return false;
        for (uint32_t i = 0; i < a.m_count; ++i)
            if (!(a.m_elements[i] == b.m_elements[i]))
                return false;
        return true;
    }

private:
    VertexElement m_elements[kMaxElements];
    uint32_t m_count = 0;
};

}  // namespace zen
