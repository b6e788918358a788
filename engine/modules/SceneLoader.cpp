#include "engine/modules/SceneLoader.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Object.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/vfs/File.h"

namespace zen {

Result LoadScene(File* file, Object** out)
{
    if (!file || !out) {
        Warning("Указатель на файл или сцену равен 0.");
        return kInvalidArgument;
    }
    // Only a scene codec can be asked for an object graph.
    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodecForFile(file, Codec::kSceneCodec));
    if (!codec) {
        Warning("Не найден кодек для файла [%s].", file->GetPath().CStr());
        return kInvalidArgument;
    }
    // A file whose root record is the null reference holds no scene, and callers use the root.
    Object* root = nullptr;
    if (codec->Load(file, &root) != kSuccess || !root) {
        Error("Неудачна загрузка сцены из файла [%s].", file->GetPath().CStr());
        return kFailure;
    }
    *out = root;
    return kSuccess;
}

}  // namespace zen
