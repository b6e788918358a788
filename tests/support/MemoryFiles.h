#pragma once
#include <gtest/gtest.h>

#include <string>

#include "engine/vfs/Directory.h"
#include "engine/vfs/MemoryFile.h"

namespace zen::test {

// A memory file called `name` holding `bytes` (an empty file still opens, as an empty member of
// an archive does), attached to `folder`.
inline MemoryFile* AddMemoryFile(Directory* folder, const std::string& name, const std::string& bytes)
{
    auto* file = new MemoryFile(String(name.c_str()));
    EXPECT_EQ(file->CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess) << name;
    EXPECT_EQ(folder->AttachFile(file), kSuccess) << name;
    return file;
}

}  // namespace zen::test
