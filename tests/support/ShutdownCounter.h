#pragma once
#include "engine/core/Result.h"

namespace zen::test {

// A module's "Shutdown" entry that counts its calls, for tests of who unloads a module when.
inline int shutdowns = 0;
inline Result CountShutdown()
{
    ++shutdowns;
    return kSuccess;
}

}  // namespace zen::test
