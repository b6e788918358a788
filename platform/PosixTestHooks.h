#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Native stand-ins for the services that have no Linux counterpart, reachable by tests and
// tools: the embedded resources, the settings store and the command line.
namespace platform::posix {

// Makes `bytes` the MEDIADATA resource `id` (a copy is kept for the process's life).
void SetMediaResource(int id, const std::vector<uint8_t>& bytes);
void RemoveMediaResource(int id);
// The next lookups of `id` report a resource that exists but cannot be loaded.
void SetResourceUnloadable(int id, bool unloadable);
// Resources of other types ("BASS" 108 is by default the audio library this build makes).
// Remove makes the resource missing; Reset brings back the default.
void SetTypedResource(const char* type, int id, const std::vector<uint8_t>& bytes);
void RemoveTypedResource(const char* type, int id);
void ResetTypedResource(const char* type, int id);
// The next lookups of that resource find it but cannot load it (until Reset).
void SetTypedResourceUnloadable(const char* type, int id);
// Where the native build's audio library lies.
const char* NativeAudioLibraryPath();

// The in-memory settings store: key path -> value name -> 32-bit value.
using SettingsValues = std::map<std::string, uint32_t>;
std::map<std::string, SettingsValues>& SettingsStore();
// When set, opening that key path fails with the given system error code.
void FailSettingsKey(const std::string& path, long errorCode);
void ClearSettingsFailures();

void SetCommandLine(const std::string& line);
void SetApplicationDataFolder(const std::string& path);  // Empty: the folder is unknown.
void SetTickCount(uint32_t milliseconds);                 // Freezes the clock at this value.
void AdvanceTickCount(uint32_t milliseconds);
void UseRealTickCount();

// The system's cursor show count as ShowMouseCursor and HideMouseCursor moved it (from 0).
int CursorShowCount();
// The class of the open stand-in preview window; empty when none is open.
const std::string& PreviewWindowClass();

// The last message box shown (text and caption), for tests.
const std::string& LastMessageBoxText();
const std::string& LastMessageBoxCaption();

}  // namespace platform::posix
