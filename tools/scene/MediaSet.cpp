#include "tools/scene/MediaSet.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/core/MessageLog.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/vfs/File.h"
#include "modules/codecs/BMPImageCodec.h"
#include "modules/codecs/CUBEImageCodec.h"
#include "modules/codecs/JPGImageCodec.h"
#include "modules/codecs/Rar2Writer.h"
#include "modules/codecs/TGAImageCodec.h"
#include "tools/scene/LighthouseScene.h"
#include "tools/sound/SoundSet.h"

namespace zen::scene {
namespace {

bool EndsWith(const std::string& name, const char* suffix)
{
    const std::string s(suffix);
    return name.size() >= s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
}

}  // namespace

Result MediaSet::EncodePicture(const Image& image, std::vector<uint8_t>& bytes)
{
    const std::string name = image.FileName().Std();
    const Image* picture = &image;
    if (EndsWith(name, ".tga"))
        return TGAImageCodec::EncodeBytes(picture, bytes);
    if (EndsWith(name, ".jpg"))
        return JPGImageCodec::EncodeBytes(picture, bytes);
    if (EndsWith(name, ".bmp"))
        return BMPImageCodec::EncodeBytes(picture, bytes);
    if (EndsWith(name, ".cube"))
        return CUBEImageCodec::EncodeBytes(picture, bytes);
    Error("Неизвестный формат изображения [%s].", name.c_str());
    return kFailure;
}

namespace {

// The scene codec writes to a file: a private temporary one, read back and removed.
Result EncodeScene(SceneNode* root, std::vector<uint8_t>& bytes)
{
    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
    if (!codec) {
        Error("Кодек сцены STRSceneCodec не загружен.");
        return kFailure;
    }
    std::error_code code;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(code);
    if (code) {
        Error("Невозможно найти папку временных файлов.");
        return kFailure;
    }
    static unsigned counter = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string path =
        (folder / ("brightfold-scene-" + std::to_string(stamp) + "-" + std::to_string(++counter) + ".STR")).string();
    Result result = kFailure;
    {
        zen::File file{String(path.c_str())};
        result = codec->Save(&file, root);
    }
    if (result == kSuccess) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof())
            result = kFailure;
    }
    std::filesystem::remove(path, code);
    return result;
}

}  // namespace

Result MediaSet::MakeAll(std::vector<File>& files)
{
    std::vector<sound::SoundSet::File> sounds;
    if (sound::SoundSet::MakeAll(sounds) != kSuccess)
        return kFailure;
    std::vector<SceneSounds::Sound> named;
    for (const sound::SoundSet::File& sound : sounds)
        named.push_back({sound.name, sound.bytes});
    Ptr<SceneNode> root;
    std::vector<Ptr<Image>> pictures;
    std::vector<Messages::Text> texts;
    if (LighthouseScene::Build(root, pictures, &named, &texts) != kSuccess)
        return kFailure;
    std::vector<File> out;
    out.push_back({LighthouseScene::kSceneFile, {}});
    if (EncodeScene(root.Get(), out.back().bytes) != kSuccess) {
        Error("Невозможно записать сцену [%s].", LighthouseScene::kSceneFile);
        return kFailure;
    }
    for (const Ptr<Image>& picture : pictures) {
        File file{picture->FileName().Std(), {}};
        if (EncodePicture(*picture, file.bytes) != kSuccess) {
            Error("Невозможно закодировать изображение [%s].", file.name.c_str());
            return kFailure;
        }
        out.push_back(std::move(file));
    }
    for (const Messages::Text& text : texts)
        out.push_back({text.name, std::vector<uint8_t>(text.bytes.begin(), text.bytes.end())});
    for (sound::SoundSet::File& sound : sounds)
        out.push_back({sound.name, std::move(sound.bytes)});
    files = std::move(out);
    return kSuccess;
}

Result MediaSet::Pack(const std::vector<File>& files, std::vector<uint8_t>& archive)
{
    Rar2Writer writer(Rar2Writer::Method::kCompress);
    for (const File& file : files) {
        if (file.bytes.size() > 0xFFFFFFFFu ||
            writer.AddFile(std::string_view(file.name), file.bytes.data(), static_cast<uint32_t>(file.bytes.size())) !=
                kSuccess) {
            Error("Невозможно добавить файл [%s] в архив.", file.name.c_str());
            return kFailure;
        }
    }
    std::vector<uint8_t> out;
    if (writer.Write(out) != kSuccess)
        return kFailure;
    archive = std::move(out);
    return kSuccess;
}

}  // namespace zen::scene
