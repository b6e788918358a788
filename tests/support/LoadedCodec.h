#pragma once
#include <gtest/gtest.h>

#include "engine/core/String.h"
#include "engine/modules/Codec.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"

namespace zen::test {

// One of the program's codecs, loaded with its module of the same name for a test that has
// the engine started; null (and the test failed) when either will not load.
inline Codec* LoadedCodec(const char* name)
{
    EXPECT_EQ(ModuleManager::LoadModule(String(name)), kSuccess) << name;
    Codec* codec = nullptr;
    EXPECT_EQ(CodecManager::LoadCodec(String(name), &codec), kSuccess) << name;
    return codec;
}

}  // namespace zen::test
