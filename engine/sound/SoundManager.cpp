#include "engine/sound/SoundManager.h"

#include <string>

#include "engine/core/Engine.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Startup.h"
#include "platform/Platform.h"

namespace zen {
namespace {

static EngineRegistration s_registerSoundManager ZEN_STARTUP(kStartupSoundManager)(&SoundManager::Initialize,
                                                                                 &SoundManager::Terminate);

// Every entry point the library must offer, in the order they are resolved.
constexpr const char* kEntryPoints[] = {
    "BASS_SetConfig", "BASS_GetConfig", "BASS_GetVersion", "BASS_GetDeviceDescription", "BASS_ErrorGetCode",
    "BASS_Init", "BASS_SetDevice", "BASS_GetDevice", "BASS_Free", "BASS_GetDSoundObject", "BASS_GetInfo",
    "BASS_Update", "BASS_GetCPU", "BASS_Start", "BASS_Stop", "BASS_Pause", "BASS_SetVolume", "BASS_GetVolume",
    "BASS_Set3DFactors", "BASS_Get3DFactors", "BASS_Set3DPosition", "BASS_Get3DPosition", "BASS_Apply3D",
    "BASS_SetEAXParameters", "BASS_GetEAXParameters", "BASS_MusicLoad", "BASS_MusicFree", "BASS_MusicGetName",
    "BASS_MusicSetAttribute", "BASS_MusicGetAttribute", "BASS_SampleLoad", "BASS_SampleCreate",
    "BASS_SampleCreateDone", "BASS_SampleFree", "BASS_SampleGetInfo", "BASS_SampleSetInfo",
    "BASS_SampleGetChannel", "BASS_SampleStop", "BASS_StreamCreate", "BASS_StreamCreateFile",
    "BASS_StreamCreateURL", "BASS_StreamCreateFileUser", "BASS_StreamFree", "BASS_StreamGetTags",
    "BASS_StreamGetFilePosition", "BASS_RecordGetDeviceDescription", "BASS_RecordInit", "BASS_RecordSetDevice",
    "BASS_RecordGetDevice", "BASS_RecordFree", "BASS_RecordGetInfo", "BASS_RecordGetInputName",
    "BASS_RecordSetInput", "BASS_RecordGetInput", "BASS_RecordStart", "BASS_ChannelBytes2Seconds",
    "BASS_ChannelSeconds2Bytes", "BASS_ChannelGetDevice", "BASS_ChannelIsActive", "BASS_ChannelGetInfo",
    "BASS_ChannelSetFlags", "BASS_ChannelPreBuf", "BASS_ChannelPlay", "BASS_ChannelStop", "BASS_ChannelPause",
    "BASS_ChannelSetAttributes", "BASS_ChannelGetAttributes", "BASS_ChannelSlideAttributes",
    "BASS_ChannelIsSliding", "BASS_ChannelSet3DAttributes", "BASS_ChannelGet3DAttributes",
    "BASS_ChannelSet3DPosition", "BASS_ChannelGet3DPosition", "BASS_ChannelSetPosition",
    "BASS_ChannelGetPosition", "BASS_ChannelGetLevel", "BASS_ChannelGetData", "BASS_ChannelSetSync",
    "BASS_ChannelRemoveSync", "BASS_ChannelSetDSP", "BASS_ChannelRemoveDSP", "BASS_ChannelSetFX",
    "BASS_ChannelRemoveFX", "BASS_ChannelSetEAXMix", "BASS_ChannelGetEAXMix", "BASS_ChannelSetLink",
    "BASS_ChannelRemoveLink", "BASS_FXSetParameters", "BASS_FXGetParameters",
};
constexpr uint32_t kEntryPointCount = sizeof kEntryPoints / sizeof kEntryPoints[0];

// Indices of the entry points the engine calls, and their signatures.
enum EntryPoint : uint32_t {
    kSetConfig = 0,
    kGetVersion = 2,
    kGetDeviceDescription = 3,
    kErrorGetCode = 4,
    kInit = 5,
    kGetDevice = 7,
    kFree = 8,
    kSet3DFactors = 18,
    kSet3DPosition = 20,
    kApply3D = 22,
    kStreamCreateFile = 39,
    kStreamFree = 42,
    kChannelIsActive = 58,
    kChannelSetFlags = 60,
    kChannelPlay = 62,
    kChannelStop = 63,
    kChannelSetAttributes = 65,
    kChannelSet3DAttributes = 69,
    kChannelSet3DPosition = 71,
};

constexpr bool Names(EntryPoint index, const char* name)
{
    const char* listed = kEntryPoints[index];
    while (*listed && *listed == *name)
        ++listed, ++name;
    return *listed == *name;
}
static_assert(Names(kSetConfig, "BASS_SetConfig") && Names(kGetVersion, "BASS_GetVersion") &&
              Names(kGetDeviceDescription, "BASS_GetDeviceDescription") && Names(kErrorGetCode, "BASS_ErrorGetCode") &&
              Names(kInit, "BASS_Init") && Names(kGetDevice, "BASS_GetDevice") && Names(kFree, "BASS_Free") &&
              Names(kSet3DFactors, "BASS_Set3DFactors") && Names(kSet3DPosition, "BASS_Set3DPosition") &&
              Names(kApply3D, "BASS_Apply3D") && Names(kStreamCreateFile, "BASS_StreamCreateFile") &&
              Names(kStreamFree, "BASS_StreamFree") && Names(kChannelIsActive, "BASS_ChannelIsActive") &&
              Names(kChannelSetFlags, "BASS_ChannelSetFlags") && Names(kChannelPlay, "BASS_ChannelPlay") &&
              Names(kChannelStop, "BASS_ChannelStop") && Names(kChannelSetAttributes, "BASS_ChannelSetAttributes") &&
              Names(kChannelSet3DAttributes, "BASS_ChannelSet3DAttributes") &&
              Names(kChannelSet3DPosition, "BASS_ChannelSet3DPosition"),
              "an entry point's index does not match its name");

using SetConfigFn = int32_t (*)(uint32_t, uint32_t);
using GetVersionFn = uint32_t (*)();
using GetDeviceDescriptionFn = const char* (*)(uint32_t);
using ErrorGetCodeFn = int32_t (*)();
using InitFn = int32_t (*)(int32_t, uint32_t, uint32_t, void*, const void*);
using GetDeviceFn = uint32_t (*)();
using FreeFn = int32_t (*)();
using Set3DFactorsFn = int32_t (*)(float, float, float);
using Set3DPositionFn = int32_t (*)(const Vector3*, const Vector3*, const Vector3*, const Vector3*);
using Apply3DFn = void (*)();
using StreamCreateFileFn = uint32_t (*)(int32_t, const void*, uint32_t, uint32_t, uint32_t);
using StreamFreeFn = int32_t (*)(uint32_t);
using ChannelIsActiveFn = uint32_t (*)(uint32_t);
using ChannelSetFlagsFn = int32_t (*)(uint32_t, uint32_t);
using ChannelPlayFn = int32_t (*)(uint32_t, int32_t);
using ChannelStopFn = int32_t (*)(uint32_t);
using ChannelSetAttributesFn = int32_t (*)(uint32_t, int32_t, int32_t, int32_t);
using ChannelSet3DAttributesFn = int32_t (*)(uint32_t, int32_t, float, float, int32_t, int32_t, int32_t);
using ChannelSet3DPositionFn = int32_t (*)(uint32_t, const Vector3*, const Vector3*, const Vector3*);

struct ManagerState {
    void* library = nullptr;
    std::string temporaryPath;  // Empty when no file was made.
    void* entryPoints[kEntryPointCount] = {};
    bool loggedFailure = false;  // The last device start failed, with this code.
    int32_t loggedFailureCode = 0;
};

ManagerState& State()
{
    static ManagerState state;
    return state;
}

template <class Function>
Function Entry(EntryPoint index)
{
    return reinterpret_cast<Function>(State().entryPoints[index]);
}

const char* DeviceDescription(uint32_t device)
{
    auto describe = Entry<GetDeviceDescriptionFn>(kGetDeviceDescription);
    const char* text = describe ? describe(device) : nullptr;
    return text ? text : "";
}

void WriteLibraryFile()
{
    const void* data = nullptr;
    uint32_t size = 0;
    switch (platform::FindTypedResource("BASS", SoundManager::kResourceId, &data, &size)) {
    case platform::ResourceLookup::kNotFound:
        Error("Инициализация менеджера звука. Невозможно найти ресурс [bass.dll].");
        return;
    case platform::ResourceLookup::kNotLoadable:
        Error("Инициализация менеджера звука. Невозможно залочить ресурс [bass.dll].");
        return;
    case platform::ResourceLookup::kFound:
        break;
    }
    if (size == 0) {
        Error("Инициализация менеджера звука. Размер ресурса [bass.dll] равен 0.");
        return;
    }
    std::string path;
    if (!platform::CreateTemporaryFile("bas", path)) {
        Error("Инициализация менеджера звука. Невозможно создать временный файл [bass.dll].");
        return;
    }
    State().temporaryPath = path;
    if (!platform::WriteTemporaryFile(path, data, size))
        Error("Инициализация менеджера звука. Невозможно создать временный файл [bass.dll].");
}

void UnloadLibrary()
{
    ManagerState& state = State();
    for (void*& entry : state.entryPoints)
        entry = nullptr;
    if (state.library)
        platform::CloseLibrary(state.library);
    state.library = nullptr;
    if (!state.temporaryPath.empty())
        platform::DeleteFileAt(state.temporaryPath);
    state.temporaryPath.clear();
}

}  // namespace

Result SoundManager::Initialize()
{
    Info("Инициализация менеджера звука.");
    ManagerState& state = State();
    if (!state.library) {
        // A missing resource or file is logged and the load below then fails with its own line.
        WriteLibraryFile();
        state.library = state.temporaryPath.empty() ? nullptr : platform::OpenLibrary(state.temporaryPath);
        if (!state.library) {
            Error("Инициализация менеджера звука. Невозможно загрузить библиотеку [bass.dll].");
            UnloadLibrary();
            return kFailure;
        }
        for (uint32_t i = 0; i < kEntryPointCount; ++i)
            state.entryPoints[i] = platform::FindLibrarySymbol(state.library, kEntryPoints[i]);
        auto version = Entry<GetVersionFn>(kGetVersion);
        if (!version || version() != kRequiredVersion) {
            Error("Версия библиотеки BASS не совпадает.");
            UnloadLibrary();
            return kFailure;
        }
        state.loggedFailure = false;
        StartDevice(nullptr);
    }
    Info("Менеджер звука инициализирован.");
    return kSuccess;
}

Result SoundManager::Terminate()
{
    Info("Завершение работы менеджера звука.");
    if (auto free = Entry<FreeFn>(kFree))
        free();
    if (State().library) {
        UnloadLibrary();
        Info("Менеджер звука завершил работу.");
    }
    return kSuccess;
}

void SoundManager::StartDevice(void* window)
{
    ManagerState& state = State();
    auto init = Entry<InitFn>(kInit);
    auto device = Entry<GetDeviceFn>(kGetDevice);
    auto error = Entry<ErrorGetCodeFn>(kErrorGetCode);
    if (init && init(-1, 44100, 4, window, nullptr)) {
        const uint32_t number = device ? device() : 0;
        Info("Звук инициализирован. Устройство [%d] [%s]", static_cast<int32_t>(number), DeviceDescription(number));
        state.loggedFailure = false;
    } else {
        const int32_t code = error ? error() : -1;
        // A device that is missing stays missing: its failure is logged once, not at every
        // attempt to open it.
        if (!state.loggedFailure || state.loggedFailureCode != code) {
            const uint32_t number = device ? device() : 0xFFFFFFFFu;
            Error("Невозможно инициализировать звук. Причина [%d]. Устройство [%s]", code, DeviceDescription(number));
        }
        state.loggedFailure = true;
        state.loggedFailureCode = code;
    }
    if (auto factors = Entry<Set3DFactorsFn>(kSet3DFactors))
        factors(1.0f, 7.0f, 1.0f);
    Apply3D();
}

void SoundManager::SetVolume(uint32_t percent)
{
    if (auto set = Entry<SetConfigFn>(kSetConfig))
        set(5, percent > 100 ? 100 : percent);
}

void SoundManager::SetListener(const Vector3& front, const Vector3& top)
{
    if (auto position = Entry<Set3DPositionFn>(kSet3DPosition))
        position(nullptr, nullptr, &front, &top);
    Apply3D();
}

bool SoundManager::IsLoaded()
{
    return State().library != nullptr;
}

uint32_t SoundManager::StreamCreate(const void* data, uint32_t length, uint32_t flags)
{
    auto create = Entry<StreamCreateFileFn>(kStreamCreateFile);
    return create ? create(1, data, 0, length, flags) : 0;
}

void SoundManager::StreamFree(uint32_t handle)
{
    if (auto free = Entry<StreamFreeFn>(kStreamFree))
        free(handle);
}

void SoundManager::ChannelSetFlags(uint32_t handle, uint32_t flags)
{
    if (auto set = Entry<ChannelSetFlagsFn>(kChannelSetFlags))
        set(handle, flags);
}

void SoundManager::ChannelSetMinDistance(uint32_t handle, float minDistance)
{
    if (auto set = Entry<ChannelSet3DAttributesFn>(kChannelSet3DAttributes))
        set(handle, 0, minDistance, -1.0f, -1, -1, -1);
}

void SoundManager::ChannelSetVolume(uint32_t handle, int32_t volume)
{
    if (auto set = Entry<ChannelSetAttributesFn>(kChannelSetAttributes))
        set(handle, -1, volume, -101);
}

void SoundManager::ChannelSetPosition(uint32_t handle, const Vector3& position)
{
    if (auto set = Entry<ChannelSet3DPositionFn>(kChannelSet3DPosition))
        set(handle, &position, nullptr, nullptr);
}

void SoundManager::ChannelPlay(uint32_t handle, bool restart)
{
    if (auto play = Entry<ChannelPlayFn>(kChannelPlay))
        play(handle, restart ? 1 : 0);
}

void SoundManager::ChannelStop(uint32_t handle)
{
    if (auto stop = Entry<ChannelStopFn>(kChannelStop))
        stop(handle);
}

bool SoundManager::ChannelIsActive(uint32_t handle)
{
    auto active = Entry<ChannelIsActiveFn>(kChannelIsActive);
    return active && active(handle) == 1;
}

void SoundManager::Apply3D()
{
    if (auto apply = Entry<Apply3DFn>(kApply3D))
        apply();
}

int32_t SoundManager::ErrorCode()
{
    auto error = Entry<ErrorGetCodeFn>(kErrorGetCode);
    return error ? error() : -1;
}

void* SoundManager::LibraryHandle()
{
    return State().library;
}

const char* SoundManager::EntryPointName(uint32_t index)
{
    return index < kEntryPointCount ? kEntryPoints[index] : nullptr;
}

bool SoundManager::IsResolved(uint32_t index)
{
    return index < kEntryPointCount && State().entryPoints[index] != nullptr;
}

}  // namespace zen
