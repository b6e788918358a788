#include "engine/vfs/FileManager.h"

#include <new>

#include "engine/core/Engine.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Startup.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/FileCodec.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/MemoryFile.h"
#include "platform/Platform.h"

namespace zen {
namespace {

Directory* g_root = nullptr;  // Owned; exists between Initialize and Terminate.

}  // namespace

static EngineRegistration s_registerFileManager ZEN_STARTUP(kStartupFileManager)(&FileManager::Initialize,
                                                                                &FileManager::Terminate);

Result FileManager::Initialize()
{
    Info("Инициализация менеджера файлов.");
    if (!g_root) {
        g_root = new (std::nothrow) Directory();
        if (!g_root) {
            Error("Недостаточно памяти для инициализации менеджера файлов.");
            return kFailure;
        }
    }
    Info("Менеджер файлов инициализирован.");
    return kSuccess;
}

Result FileManager::Terminate()
{
    Info("Завершение работы менеджера файлов.");
    delete g_root;
    g_root = nullptr;
    Info("Менеджер файлов завершил работу.");
    return kSuccess;
}

Directory* FileManager::Root()
{
    return g_root;
}

Result FileManager::AttachArchive(File* archive, const String& password)
{
    if (!archive) {
        Warning("Указатель на архив равен 0.");
        return kInvalidArgument;
    }
    // Only an archive codec can be asked for a directory.
    auto* codec = static_cast<FileCodec*>(CodecManager::FindCodecForFile(archive, Codec::kFileCodec));
    if (!codec) {
        Warning("Не найден кодек для архива [%s].", archive->Name().CStr());
        return kInvalidArgument;
    }
    Directory* directory = nullptr;
    Result loaded = codec->Load(archive, &directory, password);
    if (loaded == kSuccess && !directory)
        loaded = kFailure;
    if (loaded != kSuccess) {
        Error("Невозможно загрузить директорию из архива [%s].", archive->Name().CStr());
        return loaded;
    }
    if (!g_root || g_root->AttachDirectory(directory) != kSuccess) {
        Error("Невозможно подсоединить директорию [%s] к корню.", directory->Name().CStr());
        delete directory;
        return kFailure;
    }
    return kSuccess;
}

Result FileManager::AttachResource(int id, const String& name, const String& password)
{
    const void* data = nullptr;
    uint32_t size = 0;
    const Result found = LoadResourceData(id, &data, &size);
    if (found != kSuccess) {
        Warning("Невозможно прочитать ресурс ID[%d] Имя[%s].", id, name.CStr());
        return found;
    }
    MemoryFile* file = new (std::nothrow) MemoryFile(name);
    if (!file) {
        Error("Недостаточно памяти для создания виртуального файла.");
        return kOutOfMemory;
    }
    // The resource bytes are lent to the file for the codec to read, and taken back before the
    // file goes: they belong to the system.
    file->SetData(static_cast<uint8_t*>(const_cast<void*>(data)), size);
    const Result attached = AttachArchive(file, password);
    (void)file->DetachData();
    delete file;
    return attached;
}

File* FileManager::FindFile(const String& path)
{
    if (!g_root)
        return nullptr;
    for (uint32_t i = 0; i < g_root->DirectoryCount(); ++i)
        if (File* found = g_root->GetDirectory(i)->FindFile(path))
            return found;
    return nullptr;
}

Result FileManager::LoadResourceData(int id, const void** data, uint32_t* size)
{
    if (!data || !size) {
        Error("Указатель на данные ресурса равен 0.");
        return kInvalidArgument;
    }
    switch (platform::FindMediaResource(id, data, size)) {
    case platform::ResourceLookup::kFound:
        return kSuccess;
    case platform::ResourceLookup::kNotFound:
        Error("Невозможно найти ресурс ID[%d].", id);
        return kFailure;
    case platform::ResourceLookup::kNotLoadable:
        break;
    }
    Error("Невозможно загрузить ресурс ID[%d].", id);
    return kFailure;
}

}  // namespace zen
