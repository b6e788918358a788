#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Named.h"
#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"
#include "engine/modules/Module.h"

namespace zen {

class File;

// A reader (and writer) of one file format, chosen for a file by the file's extension. Codecs
// are made by the "CreateCodec" entry of the module of the same name and kept by the
// CodecManager; each holds its module so the module's code outlives the codec. The three kinds
// (ImageCodec, SceneCodec, FileCodec) fix what Load and Save mean.
class Codec : public RefCounted, public Named {
public:
    enum Type : uint32_t {
        kImageCodec = 0,
        kSceneCodec = 1,
        kFileCodec = 2,
        kPlainCodec = 3,  // A codec of no particular kind.
    };

    virtual uint32_t GetType() const { return kPlainCodec; }

    // kSuccess when the file's extension equals one of this codec's extensions exactly (case
    // matters: "Jpeg" is not "JPeG"); kFailure when it does not; kInvalidArgument for null.
    Result Accepts(File* file) const;

    // Extensions without the dot, e.g. "STR".
    Result AddExtension(const String& extension);
    const Array<String>& Extensions() const { return m_extensions; }

    Module* GetModule() const { return m_module.Get(); }
    void SetModule(Module* module) { m_module = module; }

protected:
    explicit Codec(const String& name) : Named(name) {}

private:
    Ptr<Module> m_module;                // The module that made this codec; null until LoadCodec sets it.
    Array<String> m_extensions{1, 1};
};

}  // namespace zen
