#pragma once
#include <new>

#include "engine/core/Engine.h"
#include "engine/core/Startup.h"
#include "engine/modules/Module.h"

// How a codec or renderer compiled into the program becomes a module.
//
// Every such module contributes one engine post-initialise function (so the ModuleManager is
// ready when it runs) that makes a StaticModule of the module's name with the entries
// "Initialize" and "Shutdown" (both do nothing) and one creation entry, and registers it. The
// static-initialisation tier (engine/core/Startup.h) fixes the module's place in that step.
// Write one line at namespace scope in the module's .cpp:
//
//     ZEN_REGISTER_CODEC_MODULE(zen::kStartupModuleRar2, "RAR2FileCodec", &CreateRar2FileCodec);
//     ZEN_REGISTER_RENDERER_MODULE(zen::kStartupModuleDirectX9, "DirectX9", &CreateDirectX9Renderer);
//
// where the creation function has the type CreateCodecFunction, Result (Codec** out), or
// CreateRendererFunction, Result (Renderer** out) (engine/modules/Module.h): it stores a new,
// unreferenced object in `out` and returns kSuccess, or kOutOfMemory. CreateCodecObject<Class>
// is that function for a codec class made by its default constructor. The application then
// finds the module with ModuleManager::LoadModule and creates the codec with
// CodecManager::LoadCodec. The codec's name must equal the module's name.

namespace zen {

// The post-initialise work of one static module: kSuccess; kFailure when the module cannot be
// made or registered (it is destroyed then).
Result RegisterStaticModule(const char* moduleName, const char* entryName, ModuleEntry entry);

// A "CreateCodec" entry: a new CodecClass in `out`. kInvalidArgument for null, kOutOfMemory.
template <class CodecClass>
Result CreateCodecObject(Codec** out)
{
    if (!out)
        return kInvalidArgument;
    CodecClass* codec = new (std::nothrow) CodecClass();
    if (!codec)
        return kOutOfMemory;
    *out = codec;
    return kSuccess;
}

}  // namespace zen

#define ZEN_REGISTER_CODEC_MODULE(tier, moduleName, createCodec) \
    ZEN_REGISTER_STATIC_MODULE(tier, moduleName, "CreateCodec", static_cast<::zen::CreateCodecFunction>(createCodec))

#define ZEN_REGISTER_RENDERER_MODULE(tier, moduleName, createRenderer) \
    ZEN_REGISTER_STATIC_MODULE(tier, moduleName, "CreateRenderer",    \
                               static_cast<::zen::CreateRendererFunction>(createRenderer))

// The general form: any entry name and function (converted to ModuleEntry).
#define ZEN_REGISTER_STATIC_MODULE(tier, moduleName, entryName, entry)                                          \
    namespace {                                                                                                 \
    ::zen::Result ZEN_MODULE_CONCAT(zenRegisterStaticModule, __LINE__)()                                        \
    {                                                                                                           \
        return ::zen::RegisterStaticModule(moduleName, entryName, reinterpret_cast<::zen::ModuleEntry>(entry)); \
    }                                                                                                           \
    ::zen::EnginePostInitRegistration ZEN_MODULE_CONCAT(s_zenStaticModule, __LINE__)                            \
        ZEN_STARTUP(tier)(&ZEN_MODULE_CONCAT(zenRegisterStaticModule, __LINE__));                               \
    }                                                                                                           \
    static_assert(true, "")

#define ZEN_MODULE_CONCAT_INNER(a, b) a##b
#define ZEN_MODULE_CONCAT(a, b) ZEN_MODULE_CONCAT_INNER(a, b)
