#include "engine/modules/CodecManager.h"

#include <new>

#include "engine/core/Engine.h"
#include "engine/core/HashMap.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "engine/core/Startup.h"
#include "engine/modules/Codec.h"
#include "engine/modules/ModuleManager.h"

namespace zen {
namespace {

using CodecMap = HashMap<String, Ptr<Codec>>;
CodecMap* g_codecs = nullptr;  // Owned; exists between Initialize and Terminate.

constexpr uint32_t kAnyType = 0xFFFFFFFFu;

}  // namespace

static EngineRegistration s_registerCodecManager ZEN_STARTUP(kStartupCodecManager)(&CodecManager::Initialize,
                                                                                  &CodecManager::Terminate);

Result CodecManager::Initialize()
{
    Info("Инициализация менеджера кодеков.");
    if (!g_codecs) {
        try {
            g_codecs = new CodecMap(32);
        } catch (const std::bad_alloc&) {
            Error("Недостаточно памяти для инициализации менеджера кодеков.");
            return kFailure;
        }
    }
    Info("Менеджер кодеков инициализирован.");
    return kSuccess;
}

Result CodecManager::Terminate()
{
    Info("Завершение работы менеджера кодеков.");
    CodecMap* codecs = g_codecs;
    g_codecs = nullptr;
    delete codecs;
    Info("Менеджер кодеков завершил работу.");
    return kSuccess;
}

Result CodecManager::RegisterCodec(Codec* codec)
{
    if (!codec) {
        Warning("Указатель на кодек равен 0 при регистрации.");
        return kInvalidArgument;
    }
    if (g_codecs && g_codecs->Find(codec->Name())) {
        Warning("Кодек с именем [%s] уже зарегестрирован.", codec->Name().CStr());
        return kFailure;
    }
    // Filled after the insertion succeeds (see ModuleManager::RegisterModule).
    if (!g_codecs || g_codecs->Insert(codec->Name(), Ptr<Codec>()) != kSuccess) {
        Warning("Невозможно вставить кодек [%s] в таблицу кодеков.", codec->Name().CStr());
        return kFailure;
    }
    *g_codecs->Find(codec->Name()) = codec;
    return kSuccess;
}

Codec* CodecManager::FindCodec(const String& name)
{
    if (!g_codecs)
        return nullptr;
    Ptr<Codec>* found = g_codecs->Find(name);
    return found ? found->Get() : nullptr;
}

Result CodecManager::LoadCodec(const String& name, Codec** out)
{
    if (Codec* registered = FindCodec(name)) {
        if (out)
            *out = registered;
        return kSuccess;
    }
    Info("Загружается кодек [%s].", name.CStr());
    Module* module = ModuleManager::FindModule(name);
    if (!module) {
        Error("Не найден модуль для кодека [%s].", name.CStr());
        return kInvalidArgument;
    }
    CreateCodecFunction create = nullptr;
    if (module->GetEntry(String("CreateCodec"), create) != kSuccess) {
        Error("В модуле не найдена функция создания кодека [%s].", name.CStr());
        return kInvalidArgument;
    }
    Codec* codec = nullptr;
    if (create(&codec) != kSuccess || !codec) {
        Error("Создание кодека [%s] неудачно.", name.CStr());
        return kFailure;
    }
    codec->SetModule(module);
    if (RegisterCodec(codec) != kSuccess) {
        Error("Невозможно зарегестрировать кодек [%s].", name.CStr());
        delete codec;
        return kFailure;
    }
    if (out)
        *out = codec;
    return kSuccess;
}

Codec* CodecManager::FindCodecForFile(File* file)
{
    return FindCodecForFile(file, kAnyType);
}

Codec* CodecManager::FindCodecForFile(File* file, uint32_t type)
{
    if (!file || !g_codecs)
        return nullptr;
    Codec* found = nullptr;
    g_codecs->ForEach([&](const String&, Ptr<Codec>& codec) {
        if ((type == kAnyType || codec->GetType() == type) && codec->Accepts(file) == kSuccess)
            found = codec.Get();
        return found != nullptr;
    });
    return found;
}

}  // namespace zen
