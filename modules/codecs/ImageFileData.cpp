#include "modules/codecs/ImageFileData.h"

#include <limits>

#include "engine/core/MessageLog.h"
#include "engine/vfs/File.h"

namespace zen {

ImageFileData::ImageFileData(File* file) : m_file(file)
{
    if (!file)
        return;
    m_path = file->GetPath();
    if (file->Open(File::kRead) != kSuccess) {
        Error("Невозможно открыть файл изображения [%s].", m_path.CStr());
        return;
    }
    m_open = true;
    m_size = file->GetSize();
    m_bytes = file->Data();
    if (!m_bytes)
        m_size = 0;
}

ImageFileData::~ImageFileData()
{
    if (m_open)
        (void)m_file->Close();
}

Result ImageFileData::DecodeFile(File* file, Image* image, DecodeBytesFunction decode)
{
    if (!file || !image)
        return kInvalidArgument;
    ImageFileData data(file);
    if (!data.IsOpen())
        return kFailure;
    return decode(data.Bytes(), data.Size(), data.Path(), image);
}

Result ImageFileData::EncodeFile(File* file, Image* image, EncodeBytesFunction encode)
{
    if (!file || !image)
        return kInvalidArgument;
    std::vector<uint8_t> bytes;
    if (encode(image, bytes) != kSuccess)
        return kFailure;
    return WriteFile(file, bytes);
}

Result ImageFileData::WriteFile(File* file, const std::vector<uint8_t>& bytes)
{
    if (!file)
        return kInvalidArgument;
    if (bytes.size() > std::numeric_limits<uint32_t>::max() || file->Open(File::kWrite) != kSuccess) {
        Error("Невозможно записать файл изображения [%s].", file->GetPath().CStr());
        return kFailure;
    }
    const bool written =
        bytes.empty() || file->Write(bytes.data(), static_cast<uint32_t>(bytes.size())) == kSuccess;
    const bool closed = file->Close() == kSuccess;
    if (!written || !closed) {
        Error("Невозможно записать файл изображения [%s].", file->GetPath().CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
