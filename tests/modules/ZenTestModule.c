/* A dynamic module for the module loader's tests, built as "ZenTestModule.dll" (a shared
   library under a Windows module's name). "Initialize" fails when the environment variable
   ZEN_TEST_MODULE_FAIL is "1"; "Shutdown" counts into a counter the test hands over. */
#include <stdlib.h>

static int* g_shutdownCounter;
static int g_initializeCount;

int Initialize(void)
{
    const char* fail = getenv("ZEN_TEST_MODULE_FAIL");
    ++g_initializeCount;
    return fail && fail[0] == '1' ? 1 : 0;
}

int Shutdown(void)
{
    if (g_shutdownCounter)
        ++*g_shutdownCounter;
    return 0;
}

void SetShutdownCounter(int* counter)
{
    g_shutdownCounter = counter;
}

int InitializeCount(void)
{
    return g_initializeCount;
}
