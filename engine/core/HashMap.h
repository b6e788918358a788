#pragma once
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

// Bucket hash of the engine's string-keyed tables: from the last byte down to the second (the
// first is not used), hash = (hash << 2) | byte. Which bucket a key lands in decides the order
// in which a table is walked (the codec lookup by extension walks buckets in order).
struct StringHash {
    uint32_t operator()(const String& key) const
    {
        uint32_t hash = 0;
        for (uint32_t i = key.Length(); i > 1; --i)
            hash = (hash << 2) | static_cast<uint8_t>(key[i - 1]);
        return hash;
    }
};

// Consecutive IDs spread over consecutive buckets.
struct IntegerHash {
    uint32_t operator()(uint32_t key) const { return key; }
};

// The engine's chained hash table: a fixed number of buckets, each a chain in insertion
// order. Keys are unique: inserting a present key fails and changes nothing.
template <class Key, class Value, class Hash = StringHash>
class HashMap {
public:
    explicit HashMap(uint32_t buckets = 32) : m_buckets(buckets == 0 ? 1 : buckets) {}

    // kSuccess; kFailure when the key is present (the table is unchanged); kOutOfMemory.
    Result Insert(const Key& key, const Value& value)
    {
        auto& chain = Bucket(key);
        for (const auto& node : chain)
            if (node.first == key)
                return kFailure;
        try {
            chain.emplace_back(key, value);
        } catch (const std::bad_alloc&) {
            return kOutOfMemory;
        }
        ++m_count;
        return kSuccess;
    }

    Value* Find(const Key& key)
    {
        for (auto& node : Bucket(key))
            if (node.first == key)
                return &node.second;
        return nullptr;
    }
    const Value* Find(const Key& key) const { return const_cast<HashMap*>(this)->Find(key); }

    // kSuccess, or kInvalidArgument when the key is absent.
    Result Remove(const Key& key)
    {
        auto& chain = Bucket(key);
        for (auto it = chain.begin(); it != chain.end(); ++it) {
            if (it->first == key) {
                chain.erase(it);
                --m_count;
                return kSuccess;
            }
        }
        return kInvalidArgument;
    }

    void Clear()
    {
        for (auto& chain : m_buckets)
            chain.clear();
        m_count = 0;
    }

    // Visits every entry in bucket order, then chain order; `visit(key, value)` returning true stops.
    template <class Visit>
    void ForEach(Visit&& visit)
    {
        for (auto& chain : m_buckets)
            for (auto& node : chain)
                if (visit(node.first, node.second))
                    return;
    }

    uint32_t Count() const { return m_count; }
    uint32_t BucketCount() const { return static_cast<uint32_t>(m_buckets.size()); }
    uint32_t BucketOf(const Key& key) const { return Hash()(key) % BucketCount(); }

private:
    std::vector<std::pair<Key, Value>>& Bucket(const Key& key) { return m_buckets[BucketOf(key)]; }

    std::vector<std::vector<std::pair<Key, Value>>> m_buckets;
    uint32_t m_count = 0;
};

}  // namespace zen
