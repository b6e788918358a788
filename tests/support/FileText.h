#pragma once
#include <fstream>
#include <iterator>
#include <string>

namespace zen::test {

// The whole of a disk file, byte for byte; empty when it cannot be read.
inline std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zen::test
