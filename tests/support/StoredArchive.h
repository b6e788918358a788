#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zen::test {

// One entry of a test archive: a file with its text, or (with `directory`) an empty folder.
struct StoredEntry {
    std::string name;
    std::string text;
    bool directory = false;
};

// A RAR 2.0 archive of `entries`, in their order, every file stored unpacked; each entry the
// writer refuses fails the calling test.
std::vector<uint8_t> StoredArchive(const std::vector<StoredEntry>& entries);

}  // namespace zen::test
