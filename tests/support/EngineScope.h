#pragma once
#include <gtest/gtest.h>

#include "engine/core/Engine.h"

namespace zen::test {

// Starts the process engine for one test (every registered class, manager and module) and
// stops it afterwards, so tests can create objects by type name and use the managers.
class EngineScope {
public:
    EngineScope() { EXPECT_EQ(EngineInitialize(), kSuccess); }
    ~EngineScope() { EXPECT_EQ(EngineShutdown(), kSuccess); }
    EngineScope(const EngineScope&) = delete;
    EngineScope& operator=(const EngineScope&) = delete;
};

}  // namespace zen::test
