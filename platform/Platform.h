#pragma once
#include <cstdint>
#include <string>

// The few operating-system services the engine and the screensaver use, behind one face.
// platform/win32 implements them with Win32; platform/posix stands in for them natively so the
// engine, tools and tests run on Linux (resources and the settings store live in memory there;
// see PosixTestHooks.h). Strings are multibyte (code page 1251 on Windows), passed as bytes.
namespace platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like the system tick count.
uint32_t TickCount();

// The process's whole command line as the system gives it (program name included).
std::string CommandLine();

// The user's application-data folder without a trailing separator; false when unknown.
bool ApplicationDataFolder(std::string& out);
// Creates a folder; an existing one is fine. False on any other failure.
bool CreateFolder(const std::string& path);
// The separator of the host's paths ("\\" on Windows).
const char* PathSeparator();

// A resource of type MEDIADATA in the program's own module, by number. The bytes belong to
// the system (or to the embedded table natively) and live as long as the process.
enum class ResourceLookup { kFound, kNotFound, kNotLoadable };
ResourceLookup FindMediaResource(int id, const void** data, uint32_t* size);
// The same for a resource of another type (the audio library's "BASS").
ResourceLookup FindTypedResource(const char* type, int id, const void** data, uint32_t* size);

// Temporary files. CreateTemporaryFile makes a new empty file under a fresh name starting with
// `prefix` in the system's temporary folder and gives its full path; WriteTemporaryFile makes
// `path` hold exactly `size` bytes (created or overwritten, marked temporary). False on failure.
bool CreateTemporaryFile(const char* prefix, std::string& path);
bool WriteTemporaryFile(const std::string& path, const void* data, uint32_t size);
bool DeleteFileAt(const std::string& path);

// The user's settings store (the registry under HKEY_CURRENT_USER on Windows). Error codes
// are the system's (0 success).
using SettingsKey = void*;
constexpr uint32_t kSettingsReadAccess = 0x20019;
constexpr uint32_t kSettingsWriteAccess = 0x20006;
long OpenOrCreateSettingsKey(const std::string& path, uint32_t access, SettingsKey* key, bool* created);
bool ReadSettingsValue(SettingsKey key, const char* name, uint32_t* value);  // 4-byte read; false when missing.
long WriteSettingsValue(SettingsKey key, const char* name, uint32_t value);  // As a 32-bit value.
long FlushSettingsKey(SettingsKey key);
long CloseSettingsKey(SettingsKey key);
// The system's text for an error code; false when it has none.
bool SystemErrorText(long code, std::string& out);

// Tells the system a screen saver runs (so system key combinations are held back), once at start.
void NotifyScreenSaverRunning();
// Shows the mouse cursor (one step of the system's show count).
void ShowMouseCursor();
// Hides it (one step).
void HideMouseCursor();

// A message box with an information icon and no owner.
void ShowInformationBox(const std::string& text, const std::string& caption);

// The preview picture's window. Registers the window class `className` (redraw on resize, arrow
// cursor, no icon, no background brush, no menu; the registration's result is not used) with
// `procedure`, or the system's default procedure when it is null, then makes a visible child
// window of that class, titled with the class name, over the client area of window number
// `parent` (over (100, 100)-(150, 150) when it is 0, where the creation then fails: a child
// needs a parent). The window's handle, or null.
using WindowProcedure = intptr_t (*)(void* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
void* CreatePreviewWindow(const std::string& className, uint32_t parent, WindowProcedure procedure);
// Destroys the preview window (null: none) and unregisters its class.
void DestroyPreviewWindow(void* window, const std::string& className);

// Shows or hides control `id` of dialog window `dialog` (nothing when it has no such control).
void ShowDialogControl(void* dialog, int id, bool shown);

// Removes and dispatches every waiting window message of the thread without waiting. True
// unless pumping itself fails (it does not on Windows; natively there are no windows).
bool PumpMessages();

// Temporary files. WriteTemporaryFile puts `size` bytes into a new file of the system's temporary
// folder whose name starts with `prefix`, and remembers it: every file made so is removed when
// the process ends normally (or by RemoveTemporaryFiles). True with the file's path in `path`;
// false when it cannot be made or written (nothing is left behind then).
bool WriteTemporaryFile(const std::string& prefix, const void* data, uint32_t size, std::string& path);
// Removes one remembered file now (false when it is not one or cannot be removed).
bool RemoveTemporaryFile(const std::string& path);
// Removes every remembered file; the count removed.
uint32_t RemoveTemporaryFiles();

// Dynamic libraries. Null / false on failure.
void* OpenLibrary(const std::string& path);
void* FindLibrarySymbol(void* library, const char* name);
bool CloseLibrary(void* library);

}  // namespace platform
