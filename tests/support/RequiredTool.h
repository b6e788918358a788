#pragma once
#include <string>

// Tests that run another program (ImageMagick, unar, the native zen, ...) first ask for it with
// ZEN_REQUIRE_TOOL. On a developer's machine a missing program skips the test with the reason;
// with CI=true in the environment it fails the test, so a build machine that lost a package
// cannot pass by checking less.
namespace zen::test {

// True when the environment variable CI is "true" (or "1").
bool InContinuousIntegration();

// The program `name` is found: an absolute or relative path naming an executable file, or a bare
// name found as an executable in one of the folders of PATH.
bool HaveTool(const std::string& name);

// For a check inside a larger test: true when `name` is installed; otherwise false, and in CI the
// calling test is marked failed (with `why`, as for ZEN_REQUIRE_TOOL).
bool UseTool(const std::string& name, const char* why);

}  // namespace zen::test

// Skips (outside CI) or fails (in CI) the calling test when `name` is not installed. `why` says
// where it comes from, e.g. "the imagemagick package (scripts/setup.sh)". Use in a test body or in
// a void helper followed by `if (HasFatalFailure() || IsSkipped()) return;`.
#define ZEN_REQUIRE_TOOL(name, why)                                                                \
    do {                                                                                           \
        if (!::zen::test::HaveTool(name)) {                                                        \
            if (::zen::test::InContinuousIntegration())                                            \
                FAIL() << "CI=true and " << (name) << " is missing: install " << (why);            \
            else                                                                                   \
                GTEST_SKIP() << (name) << " is not installed: " << (why);                          \
        }                                                                                          \
    } while (0)
