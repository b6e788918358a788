// Temporary files of the process (the dialogs' bitmap copies), removed when it ends.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {
namespace {

// The files made and not yet removed. Its destructor runs when the process ends normally and
// takes the files with it, so no copy is left in the user's temporary folder.
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
    char folder[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH)
        return false;
    char name[MAX_PATH + 1];
    if (GetTempFileNameA(folder, prefix.c_str(), 0, name) == 0)
        return false;  // Makes the (empty) file when it succeeds.
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    bool written = file != INVALID_HANDLE_VALUE;
    if (written) {
        DWORD done = 0;
        written = size == 0 || (WriteFile(file, data, size, &done, nullptr) && done == size);
        written = CloseHandle(file) && written;
    }
    if (!written) {
        DeleteFileA(name);
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
            return DeleteFileA(path.c_str()) != 0;
        }
    return false;
}

uint32_t RemoveTemporaryFiles()
{
    uint32_t removed = 0;
    for (const std::string& path : Files().paths)
        removed += DeleteFileA(path.c_str()) ? 1 : 0;
    Files().paths.clear();
    return removed;
}

}  // namespace platform
