#include "support/StoredArchive.h"

#include <gtest/gtest.h>

#include "modules/codecs/Rar2Writer.h"

namespace zen::test {

std::vector<uint8_t> StoredArchive(const std::vector<StoredEntry>& entries)
{
    Rar2Writer writer(Rar2Writer::Method::kStore);
    for (const StoredEntry& entry : entries) {
        const auto* data = reinterpret_cast<const uint8_t*>(entry.text.data());
        const uint32_t size = static_cast<uint32_t>(entry.text.size());
        const Result added = entry.directory ? writer.AddDirectory(entry.name) : writer.AddFile(entry.name, data, size);
        EXPECT_EQ(added, kSuccess) << entry.name;
    }
    std::vector<uint8_t> bytes;
    EXPECT_EQ(writer.Write(bytes), kSuccess);
    return bytes;
}

}  // namespace zen::test
