#include "engine/scene/Image.h"

#include <new>
#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ImageCodec.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Image, Object, kStartupSceneClasses)

namespace {

constexpr uint32_t kBytesPerPixel[Image::kFormatCount] = {3, 4, 1, 8};
static_assert(sizeof(kBytesPerPixel) / sizeof(kBytesPerPixel[0]) == Image::kFormatCount);

// The file an image names. Names are full paths in the file tree ("Media.rar2/Textures/x.tga"),
// which the root resolves, or paths inside one archive ("Textures/x.tga", "x.tga"), which the
// file manager resolves in every attached archive.
File* FindImageFile(const String& path)
{
    if (File* file = FileManager::FindFile(path))
        return file;
    Directory* root = FileManager::Root();
    return root ? root->FindFile(path) : nullptr;
}

// Zeroed pixels; null when the block cannot be had or `size` is 0.
std::unique_ptr<uint8_t[]> NewPixels(uint32_t size)
{
    if (size == 0)
        return nullptr;
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]());
}

}  // namespace

uint32_t Image::BytesPerPixel(uint32_t format)
{
    return format < kFormatCount ? kBytesPerPixel[format] : 0;
}

bool Image::ComputeDataSize(uint32_t format, uint32_t width, uint32_t height, uint32_t depth, uint32_t& size)
{
    const uint32_t bytesPerPixel = BytesPerPixel(format);
    if (bytesPerPixel == 0 || width > kMaxDimension || height > kMaxDimension || depth > kMaxDepth)
        return false;
    // Each factor is below 2^15 and the product is checked step by step in 64 bits.
    uint64_t total = uint64_t{bytesPerPixel} * width * height;
    if (total > kMaxDataSize)
        return false;
    total *= depth;
    if (total > kMaxDataSize)
        return false;
    size = static_cast<uint32_t>(total);
    return true;
}

Image::Image() = default;

Image::Image(const String& name, uint32_t format, uint32_t width, uint32_t height) : Object(name)
{
    uint32_t size = 0;
    if (!ComputeDataSize(format, width, height, 1, size)) {
        Error("Недопустимые размеры изображения [%u x %u], формат [%u]. ID[%d] Имя[%s]", width, height, format, ID(),
              Name().CStr());
        return;
    }
    std::unique_ptr<uint8_t[]> pixels = NewPixels(size);
    if (size != 0 && !pixels) {
        Error("Недостаточно памяти для создания изображения. ID[%d] Имя[%s]", ID(), Name().CStr());
        return;
    }
    m_format = format;
    m_width = width;
    m_height = height;
    m_data = std::move(pixels);
}

Image::Image(File* file, const String& name) : Object(name)
{
    InitializeFromFile(file);
}

void Image::InitializeFromFile(File* file)
{
    if (file) {
        m_fileName = file->GetPath();
        if (Name().IsEmpty())
            SetName(file->Name());
    }
    (void)LoadFromFile(file);
}

Image::~Image() = default;

uint32_t Image::GetDataSize() const
{
    // The stored dimensions always passed ComputeDataSize, so this cannot overflow.
    return BytesPerPixel(m_format) * m_width * m_height * Depth();
}

Result Image::Replace(uint32_t format, uint32_t width, uint32_t height, uint32_t depth,
                      std::unique_ptr<uint8_t[]> pixels)
{
    uint32_t size = 0;
    if ((depth != 1 && !IsVolume()) || !ComputeDataSize(format, width, height, depth, size) ||
        (size != 0 && !pixels))
        return kInvalidArgument;
    m_format = format;
    m_width = width;
    m_height = height;
    SetDepth(depth);
    m_data = size != 0 ? std::move(pixels) : nullptr;
    return kSuccess;
}

Result Image::SetPixels(uint32_t format, uint32_t width, uint32_t height, std::unique_ptr<uint8_t[]> pixels)
{
    return Replace(format, width, height, 1, std::move(pixels));
}

Result Image::Allocate(uint32_t format, uint32_t width, uint32_t height)
{
    uint32_t size = 0;
    if (!ComputeDataSize(format, width, height, 1, size))
        return kInvalidArgument;
    std::unique_ptr<uint8_t[]> pixels = NewPixels(size);
    if (size != 0 && !pixels)
        return kOutOfMemory;
    return Replace(format, width, height, 1, std::move(pixels));
}

Result Image::LoadFromFile(File* file)
{
    if (!file) {
        Warning("Указатель на файл равен 0 при загрузке изображения [%s].", Name().CStr());
        return kInvalidArgument;
    }
    auto* codec = static_cast<ImageCodec*>(CodecManager::FindCodecForFile(file, Codec::kImageCodec));
    if (!codec) {
        Warning("Не найден кодек для файла при загрузке изображения [%s].", Name().CStr());
        return kInvalidArgument;
    }
    if (codec->Decode(file, this) != kSuccess) {
        Error("Неудачна загрузка изображения [%s].", Name().CStr());
        return kFailure;
    }
    return kSuccess;
}

Result Image::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteString(m_fileName) != kSuccess) {
        Error("Невозможно сохранить имя файла изображения. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (!m_fileName.IsEmpty())
        return kSuccess;
    if (stream.WriteUInt(m_width) != kSuccess) {
        Error("Невозможно сохранить ширину изображения. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    // A volume's depth follows the height and shares its message.
    if (stream.WriteUInt(m_height) != kSuccess || (IsVolume() && stream.WriteUInt(Depth()) != kSuccess)) {
        Error("Невозможно сохранить высоту изображения. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.WriteUInt(m_format) != kSuccess) {
        Error("Невозможно сохранить формат изображения. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Image::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return ParentLoadFailed();
    String fileName;
    if (stream.ReadString(fileName) != kSuccess) {
        Error("Невозможно загрузить имя файла изображения. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    if (!fileName.IsEmpty()) {
        m_fileName = fileName;
        if (LoadFromFile(FindImageFile(fileName)) != kSuccess) {
            Error("Невозможно загрузить изображение из файла. ID[%d] Имя[%s] Файл[%s]", ID(), Name().CStr(),
                  fileName.CStr());
            return kFailure;
        }
        Info("Изображение [%s] загружено.", Name().CStr());
        return kSuccess;
    }

    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 1;
    uint32_t format = 0;
    if (stream.ReadUInt(width) != kSuccess) {
        Error("Невозможно загрузить ширину изображения. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    if (stream.ReadUInt(height) != kSuccess || (IsVolume() && stream.ReadUInt(depth) != kSuccess)) {
        Error("Невозможно загрузить высоту изображения. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    if (stream.ReadUInt(format) != kSuccess || BytesPerPixel(format) == 0) {
        Error("Невозможно загрузить формат изображения. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    // The pixels are not stored: the image comes back empty with its dimensions. Sizes from a
    // damaged scene are refused before anything is allocated.
    uint32_t size = 0;
    if (!ComputeDataSize(format, width, height, depth, size)) {
        Error("Недопустимые размеры изображения [%u x %u x %u], формат [%u]. ID[%d] Имя[%s]", width, height, depth,
              format, ID(), Name().CStr());
        return kFailure;
    }
    std::unique_ptr<uint8_t[]> pixels = NewPixels(size);
    if (size != 0 && !pixels) {
        Error("Недостаточно памяти для создания изображения. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_fileName = String();
    if (Replace(format, width, height, depth, std::move(pixels)) != kSuccess)
        return kFailure;  // Not reached: the size was checked above.
    Info("Изображение [%s] загружено.", Name().CStr());
    return kSuccess;
}

}  // namespace zen
