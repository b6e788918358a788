#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class File;
class Image;

// The bytes of one image file while a codec works on it. Construction opens the file for
// reading, which loads its whole content into the file's stream buffer; the decoders read that
// buffer in place and the file is closed again when this object goes. WriteFile is the other
// direction: an encoder builds the whole file in memory first, so a failed encode writes nothing.
class ImageFileData {
public:
    explicit ImageFileData(File* file);  // Logs the failure when the file cannot be opened.
    ~ImageFileData();
    ImageFileData(const ImageFileData&) = delete;
    ImageFileData& operator=(const ImageFileData&) = delete;

    bool IsOpen() const { return m_open; }
    const uint8_t* Bytes() const { return m_bytes; }  // Null for an empty file.
    uint32_t Size() const { return m_size; }
    const String& Path() const { return m_path; }

    // An image codec's work on memory, which its Decode and Encode do on files.
    using DecodeBytesFunction = Result (*)(const uint8_t* bytes, uint32_t size, const String& path, Image* image);
    using EncodeBytesFunction = Result (*)(const Image* image, std::vector<uint8_t>& out);

    // Decode: the file's bytes through `decode`. kInvalidArgument for a null file or image;
    // kFailure when the file cannot be opened (logged); otherwise what `decode` returns.
    static Result DecodeFile(File* file, Image* image, DecodeBytesFunction decode);
    // Encode: the whole file made by `encode`, then written. kInvalidArgument for a null file or
    // image; kFailure when `encode` fails (the file is left untouched) or the file cannot be
    // written (logged).
    static Result EncodeFile(File* file, Image* image, EncodeBytesFunction encode);

    // Opens `file` for writing, writes `bytes` and closes it. kSuccess, or kFailure (logged).
    static Result WriteFile(File* file, const std::vector<uint8_t>& bytes);

private:
    File* m_file;                      // Not owned.
    String m_path;                     // For messages.
    const uint8_t* m_bytes = nullptr;  // The file's stream buffer; valid while open.
    uint32_t m_size = 0;               // Bytes.
    bool m_open = false;
};

}  // namespace zen
