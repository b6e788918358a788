// Native face of the platform layer: enough of each service for the engine, the tools and the
// tests to run on Linux.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>

#include "platform/Platform.h"
#include "platform/PosixTestHooks.h"

namespace platform {
namespace {

struct Resource {
    std::vector<uint8_t> bytes;
    bool unloadable = false;
};

std::map<int, std::unique_ptr<Resource>>& Resources()
{
    static std::map<int, std::unique_ptr<Resource>> resources;
    return resources;
}

struct OpenKey {
    std::string path;
};

std::map<std::string, long>& SettingsFailures()
{
    static std::map<std::string, long> failures;
    return failures;
}

struct ProcessState {
    std::string commandLine = "Brightfold.scr";
    bool appDataSet = false;
    std::string appData;
    bool frozenClock = false;
    uint32_t tick = 0;
    std::string boxText, boxCaption;
    int cursorShowCount = 0;
    std::string previewClass;  // Class of the open preview window; empty when none.
    uint32_t previewParent = 0;
};

ProcessState& State()
{
    static ProcessState state;
    return state;
}

std::map<std::pair<std::string, int>, std::vector<uint8_t>>& TypedResources()
{
    static std::map<std::pair<std::string, int>, std::vector<uint8_t>> resources;
    return resources;
}

// Resources a test removed, the built-in audio library included.
std::set<std::pair<std::string, int>>& HiddenResources()
{
    static std::set<std::pair<std::string, int>> hidden;
    return hidden;
}

// Resources a test made unloadable: found, but they cannot be loaded.
std::set<std::pair<std::string, int>>& UnloadableResources()
{
    static std::set<std::pair<std::string, int>> unloadable;
    return unloadable;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

}  // namespace

uint32_t TickCount()
{
    if (State().frozenClock)
        return State().tick;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::string CommandLine()
{
    return State().commandLine;
}

bool ApplicationDataFolder(std::string& out)
{
    if (State().appDataSet) {
        out = State().appData;
        return !out.empty();
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return false;
    out = std::string(home) + "/.local/share";
    return true;
}

bool CreateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST)
        return true;
    return false;
}

const char* PathSeparator()
{
    return "/";
}

ResourceLookup FindMediaResource(int id, const void** data, uint32_t* size)
{
    auto found = Resources().find(id);
    if (found == Resources().end())
        return ResourceLookup::kNotFound;
    if (found->second->unloadable)
        return ResourceLookup::kNotLoadable;
    *data = found->second->bytes.data();
    *size = static_cast<uint32_t>(found->second->bytes.size());
    return ResourceLookup::kFound;
}

ResourceLookup FindTypedResource(const char* type, int id, const void** data, uint32_t* size)
{
    if (std::string(type) == "MEDIADATA")
        return FindMediaResource(id, data, size);
    if (HiddenResources().count({type, id}))
        return ResourceLookup::kNotFound;
    if (UnloadableResources().count({type, id}))
        return ResourceLookup::kNotLoadable;
    auto& typed = TypedResources();
    auto found = typed.find({type, id});
    if (found == typed.end()) {
        // The program's audio library: natively the shared library this build makes, read from
        // disk on first use, unless a test put other bytes in its place.
        std::vector<uint8_t> bytes;
        if (std::string(type) != "BASS" || id != 108 || !ReadWholeFile(posix::NativeAudioLibraryPath(), bytes))
            return ResourceLookup::kNotFound;
        found = typed.emplace(std::make_pair(std::string(type), id), std::move(bytes)).first;
    }
    *data = found->second.data();
    *size = static_cast<uint32_t>(found->second.size());
    return ResourceLookup::kFound;
}

bool CreateTemporaryFile(const char* prefix, std::string& path)
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/" + prefix + "XXXXXX";
    const int file = ::mkstemp(pattern.data());
    if (file < 0)
        return false;
    ::close(file);
    path = pattern;
    return true;
}

bool WriteTemporaryFile(const std::string& path, const void* data, uint32_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

bool DeleteFileAt(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

long OpenOrCreateSettingsKey(const std::string& path, uint32_t, SettingsKey* key, bool* created)
{
    auto failure = SettingsFailures().find(path);
    if (failure != SettingsFailures().end())
        return failure->second;
    auto& store = posix::SettingsStore();
    *created = store.find(path) == store.end();
    store[path];
    *key = new OpenKey{path};
    return 0;
}

bool ReadSettingsValue(SettingsKey key, const char* name, uint32_t* value)
{
    auto& values = posix::SettingsStore()[static_cast<OpenKey*>(key)->path];
    auto found = values.find(name);
    if (found == values.end())
        return false;
    *value = found->second;
    return true;
}

long WriteSettingsValue(SettingsKey key, const char* name, uint32_t value)
{
    posix::SettingsStore()[static_cast<OpenKey*>(key)->path][name] = value;
    return 0;
}

long FlushSettingsKey(SettingsKey)
{
    return 0;
}

long CloseSettingsKey(SettingsKey key)
{
    delete static_cast<OpenKey*>(key);
    return 0;
}

bool SystemErrorText(long code, std::string& out)
{
    out = "System error " + std::to_string(code) + ".";
    return true;
}

void ShowInformationBox(const std::string& text, const std::string& caption)
{
    State().boxText = text;
    State().boxCaption = caption;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void NotifyScreenSaverRunning() {}

void ShowDialogControl(void*, int, bool) {}  // No dialogs natively.

void ShowMouseCursor()
{
    ++State().cursorShowCount;
}

void HideMouseCursor()
{
    --State().cursorShowCount;
}

// There are no windows natively: a preview window is a stand-in handle, made and refused under
// the same rule as on Windows (a child needs a parent).
void* CreatePreviewWindow(const std::string& className, uint32_t parent, WindowProcedure)
{
    if (parent == 0)
        return nullptr;
    State().previewClass = className;
    State().previewParent = parent;
    return &State().previewParent;
}

void DestroyPreviewWindow(void* window, const std::string&)
{
    if (window == &State().previewParent) {
        State().previewClass.clear();
        State().previewParent = 0;
    }
}

bool PumpMessages()
{
    return true;
}

void* OpenLibrary(const std::string& path)
{
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibrarySymbol(void* library, const char* name)
{
    return ::dlsym(library, name);
}

bool CloseLibrary(void* library)
{
    return ::dlclose(library) == 0;
}

namespace posix {

void SetTypedResource(const char* type, int id, const std::vector<uint8_t>& bytes)
{
    HiddenResources().erase({type, id});
    TypedResources()[{type, id}] = bytes;
}

void RemoveTypedResource(const char* type, int id)
{
    TypedResources().erase({type, id});
    HiddenResources().insert({type, id});
}

void ResetTypedResource(const char* type, int id)
{
    TypedResources().erase({type, id});
    HiddenResources().erase({type, id});
    UnloadableResources().erase({type, id});
}

void SetTypedResourceUnloadable(const char* type, int id)
{
    UnloadableResources().insert({type, id});
}

void SetMediaResource(int id, const std::vector<uint8_t>& bytes)
{
    auto resource = std::make_unique<Resource>();
    resource->bytes = bytes;
    Resources()[id] = std::move(resource);
}

void RemoveMediaResource(int id)
{
    Resources().erase(id);
}

void SetResourceUnloadable(int id, bool unloadable)
{
    auto found = Resources().find(id);
    if (found == Resources().end())
        Resources()[id] = std::make_unique<Resource>();
    Resources()[id]->unloadable = unloadable;
}

std::map<std::string, SettingsValues>& SettingsStore()
{
    static std::map<std::string, SettingsValues> store;
    return store;
}

void FailSettingsKey(const std::string& path, long errorCode)
{
    SettingsFailures()[path] = errorCode;
}

void ClearSettingsFailures()
{
    SettingsFailures().clear();
}

void SetCommandLine(const std::string& line)
{
    State().commandLine = line;
}

void SetApplicationDataFolder(const std::string& path)
{
    State().appDataSet = true;
    State().appData = path;
}

void SetTickCount(uint32_t milliseconds)
{
    State().frozenClock = true;
    State().tick = milliseconds;
}

void AdvanceTickCount(uint32_t milliseconds)
{
    State().tick += milliseconds;
}

void UseRealTickCount()
{
    State().frozenClock = false;
}

int CursorShowCount()
{
    return State().cursorShowCount;
}

const std::string& PreviewWindowClass()
{
    return State().previewClass;
}

const std::string& LastMessageBoxText()
{
    return State().boxText;
}

const std::string& LastMessageBoxCaption()
{
    return State().boxCaption;
}

}  // namespace posix
}  // namespace platform
