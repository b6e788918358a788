#pragma once
#include <string>

#include "engine/modules/FileCodec.h"

namespace zen::test {

// An archive codec for tests that need archives without a real archive format
// ("FAKEFileCodec", extension "fake"). An archive is text, one entry per line:
//     Scenes\Main.STR:bytes of the file       a file (directories are made as needed)
//     Empty\                                  a directory
//     !fail                                   Load fails with kFailure
// Directory parts may be separated by "\" or "/". Each file becomes a MemoryFile owned by the
// codec's module, like the files of a real archive codec.
class FakeArchiveCodec : public FileCodec {
public:
    static constexpr const char* kName = "FAKEFileCodec";

    FakeArchiveCodec();
    Result Load(File* archive, Directory** out, const String& password) override;
    Result Save(File* archive, Directory* directory, const String& password) override;

    // Registers the static module and creates the codec (the engine must be running).
    static Result Install();
    static Result CreateCodec(Codec** out);

    String lastPassword;  // The password given to the latest Load.
};

}  // namespace zen::test
