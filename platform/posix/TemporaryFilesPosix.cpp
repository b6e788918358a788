// Temporary files of the process, removed when it ends: the native stand-in (mkstemp in TMPDIR
// or /tmp), so the code that copies pictures out of the archives is tested natively too.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {
namespace {

struct TemporaryFiles {
    std::vector<std::string> paths;
    ~TemporaryFiles() { (void)RemoveTemporaryFiles(); }
};

TemporaryFiles& Files()
{
    static TemporaryFiles files;
    return files;
}

}  // namespace

bool WriteTemporaryFile(const std::string& prefix, const void* data, uint32_t size, std::string& path)
{
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/" + prefix + "XXXXXX";
    const int file = mkstemp(name.data());
    if (file < 0)
        return false;
    const ssize_t done = size ? write(file, data, size) : 0;
    const bool written = done == static_cast<ssize_t>(size);
    if (close(file) != 0 || !written) {
        std::remove(name.c_str());
        return false;
    }
    Files().paths.push_back(name);
    path = name;
    return true;
}

bool RemoveTemporaryFile(const std::string& path)
{
    std::vector<std::string>& paths = Files().paths;
    for (size_t i = 0; i < paths.size(); ++i)
        if (paths[i] == path) {
            paths.erase(paths.begin() + static_cast<long>(i));
            return std::remove(path.c_str()) == 0;
        }
    return false;
}

uint32_t RemoveTemporaryFiles()
{
    uint32_t removed = 0;
    for (const std::string& path : Files().paths)
        removed += std::remove(path.c_str()) == 0 ? 1 : 0;
    Files().paths.clear();
    return removed;
}

}  // namespace platform
