#include "modules/codecs/STRSceneCodec.h"

#include <new>

#include "engine/core/Engine.h"
#include "engine/core/Object.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/vfs/File.h"

namespace zen {

ZEN_REGISTER_CODEC_MODULE(kStartupModuleStr, "STRSceneCodec", &CreateCodecObject<STRSceneCodec>);

namespace {

// The version number the way stored files are compared: in 32 bits, wrapping on overflow.
int32_t VersionNumber(int32_t major, int32_t minor, int32_t release)
{
    const uint32_t number = (static_cast<uint32_t>(major) * 100u + static_cast<uint32_t>(minor)) * 100u +
                            static_cast<uint32_t>(release);
    return static_cast<int32_t>(number);
}

}  // namespace

STRSceneCodec::STRSceneCodec() : SceneCodec(String("STRSceneCodec"))
{
    (void)AddExtension(String("STR"));
    (void)AddExtension(String("str"));
    (void)AddExtension(String("Str"));
}

bool STRSceneCodec::IsVersionSupported(int32_t major, int32_t minor, int32_t release)
{
    return VersionNumber(major, minor, release) >=
           VersionNumber(kEngineVersionMajor, kEngineVersionMinor, kEngineVersionRelease);
}

Result STRSceneCodec::Load(File* file, Object** out)
{
    if (!file || !out)
        return kInvalidArgument;
    if (file->Open(File::kRead) != kSuccess)
        return kFailure;
    int32_t major = 0;
    int32_t minor = 0;
    int32_t release = 0;
    if (file->ReadInt(major) != kSuccess || file->ReadInt(minor) != kSuccess || file->ReadInt(release) != kSuccess ||
        !IsVersionSupported(major, minor, release)) {
        (void)file->Close();
        return kFailure;
    }
    Object* root = nullptr;
    if (file->ReadObject(&root) != kSuccess || file->State() != kSuccess) {
        (void)file->Close();
        return kFailure;
    }
    if (file->Close() != kSuccess) {
        if (root && root->References() == 0)
            delete root;
        return kFailure;
    }
    *out = root;
    return kSuccess;
}

Result STRSceneCodec::Save(File* file, Object* root)
{
    if (!file || !root)
        return kFailure;
    if (file->Open(File::kWrite) != kSuccess)
        return kFailure;
    file->WriteInt(static_cast<int32_t>(kEngineVersionMajor));
    file->WriteInt(static_cast<int32_t>(kEngineVersionMinor));
    file->WriteInt(static_cast<int32_t>(kEngineVersionRelease));
    const bool written = file->WriteObject(root) == kSuccess;
    const bool closed = file->Close() == kSuccess;
    return written && closed ? kSuccess : kFailure;
}

}  // namespace zen
