#include "support/ToolRun.h"
#include "TestPaths.h"

#include <sys/wait.h>

#include <cstdio>

namespace zen::test {

ToolRun RunCommand(const std::string& command)
{
    ToolRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

ToolRun RunZen(const std::string& arguments)
{
    return RunCommand(std::string(ZEN_TOOL_PATH) + " " + arguments + " 2>&1");
}

}  // namespace zen::test
