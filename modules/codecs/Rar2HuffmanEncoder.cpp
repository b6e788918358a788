#include "modules/codecs/Rar2HuffmanEncoder.h"

#include <algorithm>
#include <cstring>

namespace zen {

void Rar2HuffmanEncoder::BuildLengths(const uint32_t* frequencies, uint32_t count, uint32_t maxLength,
                                      uint8_t* lengths)
{
    std::memset(lengths, 0, count);
    if (count > kMaxSymbols || count < 2)
        return;  // No table of the format is that large (or that small).
    uint32_t weights[kMaxSymbols];
    uint32_t used = 0;
    for (uint32_t i = 0; i < count; ++i) {
        weights[i] = frequencies[i];
        if (weights[i] != 0)
            ++used;
    }
    for (uint32_t i = 0; i < count && used < 2; ++i) {
        if (weights[i] == 0) {
            weights[i] = 1;
            ++used;
        }
    }

    // Nodes 0..count-1 are leaves, the rest internal; a two-queue Huffman construction over the
    // leaves sorted by weight.
    for (;;) {
        uint32_t order[kMaxSymbols];
        uint32_t leaves = 0;
        for (uint32_t i = 0; i < count; ++i)
            if (weights[i] != 0)
                order[leaves++] = i;
        std::stable_sort(order, order + leaves, [&](uint32_t a, uint32_t b) { return weights[a] < weights[b]; });

        uint64_t nodeWeight[2 * kMaxSymbols];
        uint32_t parent[2 * kMaxSymbols];
        for (uint32_t i = 0; i < leaves; ++i)
            nodeWeight[i] = weights[order[i]];
        uint32_t nextLeaf = 0;
        uint32_t nextInner = leaves;
        uint32_t inner = leaves;  // Next internal node to create.
        auto takeSmallest = [&]() {
            if (nextLeaf < leaves && (nextInner >= inner || nodeWeight[nextLeaf] <= nodeWeight[nextInner]))
                return nextLeaf++;
            return nextInner++;
        };
        while (inner < 2 * leaves - 1) {
            const uint32_t a = takeSmallest();
            const uint32_t b = takeSmallest();
            nodeWeight[inner] = nodeWeight[a] + nodeWeight[b];
            parent[a] = inner;
            parent[b] = inner;
            ++inner;
        }
        // Depths: the root is the last node; parents always come after their children.
        uint32_t depth[2 * kMaxSymbols];
        depth[inner - 1] = 0;
        uint32_t longest = 0;
        for (uint32_t node = inner - 1; node-- > 0;) {
            depth[node] = depth[parent[node]] + 1;
            if (node < leaves)
                longest = std::max(longest, depth[node]);
        }
        if (longest <= maxLength) {
            for (uint32_t i = 0; i < leaves; ++i)
                lengths[order[i]] = static_cast<uint8_t>(depth[i]);
            return;
        }
        // Too deep: flatten the weights and build again.
        for (uint32_t i = 0; i < count; ++i)
            if (weights[i] != 0)
                weights[i] = (weights[i] >> 1) | 1;
    }
}

void Rar2HuffmanEncoder::AssignCodes(const uint8_t* lengths, uint32_t count, uint16_t* codes)
{
    uint32_t perLength[17] = {};
    for (uint32_t i = 0; i < count; ++i)
        ++perLength[lengths[i]];
    perLength[0] = 0;
    uint32_t next[17] = {};
    uint32_t code = 0;
    for (uint32_t length = 1; length <= 16; ++length) {
        code = (code + perLength[length - 1]) << 1;
        next[length] = code;
    }
    for (uint32_t i = 0; i < count; ++i)
        codes[i] = lengths[i] == 0 ? 0 : static_cast<uint16_t>(next[lengths[i]]++);
}

}  // namespace zen
