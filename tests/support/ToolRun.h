#pragma once
#include <string>

namespace zen::test {

// A program run through the shell, for the tests that drive the command-line tools the way a
// person or the build does.
struct ToolRun {
    int exitCode = -1;   // -1 when the program could not be started or did not exit normally.
    std::string output;  // Its standard output (with standard error where the command sends it there).
};

// Runs the shell command `command` and waits for it.
ToolRun RunCommand(const std::string& command);
// Runs the `zen` tool of this build with `arguments` (shell words); stdout and stderr together.
ToolRun RunZen(const std::string& arguments);

}  // namespace zen::test
