#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zen::test {

// The RAR 2.0 sample archives in tests/data/rar2 and what MANIFEST.tsv says they hold.
struct Rar2ManifestLine {
    std::string archive;
    std::string entry;  // Stored path with "/" between directories, UTF-8.
    bool hasData = false;  // False for directories and the symbolic link.
    uint32_t size = 0;
    uint32_t crc = 0;
};

std::string Rar2DataPath(const std::string& file);
std::vector<Rar2ManifestLine> ReadRar2Manifest();

}  // namespace zen::test
