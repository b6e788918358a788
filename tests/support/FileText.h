#pragma once
#include <fstream>
#include <iterator>
#include <string>

#include "engine/vfs/File.h"

namespace zen::test {

// The whole of a disk file, byte for byte; empty when it cannot be read.
inline std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whole of a file of the engine's tree, opened for reading and closed again; "<cannot open>"
// for no file or one that does not open.
inline std::string FileText(File* file)
{
    if (!file || file->Open(File::kRead) != kSuccess)
        return "<cannot open>";
    std::string text(file->GetSize(), '\0');
    if (!text.empty())
        (void)file->Read(text.data(), static_cast<uint32_t>(text.size()));
    (void)file->Close();
    return text;
}

}  // namespace zen::test
