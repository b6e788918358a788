#pragma once
#include <cstdint>

#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Codec;
class File;

// The process-wide table of codecs by name (a reference held on each). LoadCodec creates a
// codec through the "CreateCodec" entry of the registered module of the same name; lookups by
// file walk the table in bucket order and then chain order and take the first codec whose
// extensions include the file's. The table exists between Initialize and Terminate.
class CodecManager {
public:
    static Result Initialize();
    static Result Terminate();  // Releases every codec, and through them their modules.

    // kSuccess (the table takes a reference); kInvalidArgument for null; kFailure when the name
    // is taken (the first codec stays) or the table cannot take it.
    static Result RegisterCodec(Codec* codec);
    static Codec* FindCodec(const String& name);  // No reference taken; null when unknown.

    // The registered codec called `name`, created from its module when there is none yet. `out`
    // may be null. kSuccess; kInvalidArgument when there is no module or no "CreateCodec";
    // kFailure when creation or registration fails.
    static Result LoadCodec(const String& name, Codec** out = nullptr);

    // The first registered codec that accepts the file; with `type`, only codecs of that kind
    // (Codec::Type) are considered. Null when none, or for a null file.
    static Codec* FindCodecForFile(File* file);
    static Codec* FindCodecForFile(File* file, uint32_t type);
};

}  // namespace zen
