#pragma once
#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Codec;
class Renderer;

// The generic form of a module's entry points; callers convert to the entry's real type.
using ModuleEntry = void (*)();
// The entry points every module of the system has, under these symbol names:
using ModuleInitializeFunction = Result (*)();          // "Initialize"
using ModuleShutdownFunction = Result (*)();            // "Shutdown"
using CreateCodecFunction = Result (*)(Codec** out);    // "CreateCodec": unreferenced codec in `out`
using CreateRendererFunction = Result (*)(Renderer** out);  // "CreateRenderer"

// A named table of entry points looked up by symbol name. Codecs and the renderer are reached
// only through modules (see ModuleManager). A module's "Shutdown" runs when the last reference
// to it goes, so everything made from a module holds a Ptr to it.
class Module : public RefCounted, public Named {
public:
    explicit Module(const String& name) : Named(name) {}

    // kSuccess with the entry in `out`; kFailure when the module has no such symbol;
    // kInvalidArgument when `out` is null (or the module cannot be searched). Each failure warns.
    virtual Result GetSymbol(const String& name, ModuleEntry* out) = 0;

    // GetSymbol for an entry of known type, e.g. GetEntry("CreateCodec", create).
    template <class Function>
    Result GetEntry(const String& name, Function& out)
    {
        ModuleEntry entry = nullptr;
        const Result result = GetSymbol(name, &entry);
        if (result == kSuccess)
            out = reinterpret_cast<Function>(entry);
        return result;
    }

protected:
    // Destructor step shared by every kind: runs "Shutdown", logging when it is missing or fails.
    void RunShutdown();
};

}  // namespace zen
