#include "support/RequiredTool.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace zen::test {

bool InContinuousIntegration()
{
    const char* value = std::getenv("CI");
    return value && (std::strcmp(value, "true") == 0 || std::strcmp(value, "1") == 0);
}

bool HaveTool(const std::string& name)
{
    if (name.empty())
        return false;
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::string candidate;
    while (true) {
        const size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        candidate.assign(folder.empty() ? std::string_view(".") : folder);
        candidate.push_back('/');
        candidate.append(name);
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string_view::npos)
            return false;
        folders.remove_prefix(colon + 1);
    }
}

bool UseTool(const std::string& name, const char* why)
{
    if (HaveTool(name))
        return true;
    if (InContinuousIntegration())
        ADD_FAILURE() << "CI=true and " << name << " is missing: install " << why;
    return false;
}

}  // namespace zen::test
