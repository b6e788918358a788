#include "modules/codecs/JPGImageCodec.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include <jpeglib.h>
#include <jerror.h>

#include "engine/core/MessageLog.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/scene/Image.h"
#include "modules/codecs/ImageFileData.h"

namespace zen {

ZEN_REGISTER_CODEC_MODULE(kStartupModuleJpg, "JPGImageCodec", &CreateCodecObject<JPGImageCodec>);

// The library reports errors by calling back into the error manager, which must not return.
// The handlers below log and longjmp back to the decode or encode function that set the jump
// point. Nothing between that function and the jump has a destructor to skip: the frames in
// between are the library's C frames and the handlers themselves, which hold only plain values.
// Everything that lives across the jump is reached through the heap-allocated state, never
// through a local variable changed after setjmp.
namespace {

// Memory the library may use for one picture beyond the pixels it hands out: the coefficient
// buffers of a progressive file (2 bytes per sample), enough for 8192 × 8192 with subsampled
// chroma. Without a limit a small file could make it allocate and clear gigabytes.
constexpr long kLibraryMemoryLimit = 256L * 1024 * 1024;
constexpr size_t kOutputChunk = 64 * 1024;

struct ErrorManager {
    jpeg_error_mgr base;       // First, so a j_common_ptr's err converts to this type.
    std::jmp_buf jump;
    const char* path = "";     // For messages; the caller's String outlives the work.
    int scanLimitHit = 0;      // Set by the progress monitor before it aborts.
};

ErrorManager* ErrorsOf(j_common_ptr info)
{
    return reinterpret_cast<ErrorManager*>(info->err);
}

// Logs the library's message as "<code> <text>" (a warning, as every library message is).
void LogLibraryMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX] = {};
    info->err->format_message(info, text);
    Warning("%d %s", info->err->msg_code, text);
}

[[noreturn]] void ExitOnError(j_common_ptr info)
{
    LogLibraryMessage(info);
    std::longjmp(ErrorsOf(info)->jump, 1);
}

// Warnings (level -1) are logged once per picture, as the library itself would print them;
// trace messages (levels 0 and up) are dropped. A file that ends early is an error here: the
// library would go on with filler and hand out a picture that is not in the file.
void EmitMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    if (info->err->num_warnings++ == 0 || info->err->msg_code == JWRN_JPEG_EOF)
        LogLibraryMessage(info);
    if (info->err->msg_code == JWRN_JPEG_EOF)
        std::longjmp(ErrorsOf(info)->jump, 1);
}

void CheckScanCount(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > JPGImageCodec::kMaxScans) {
        ErrorsOf(info)->scanLimitHit = 1;
        std::longjmp(ErrorsOf(info)->jump, 1);
    }
}

void InstallErrorManager(j_common_ptr info, ErrorManager& errors, const char* path)
{
    info->err = jpeg_std_error(&errors.base);
    errors.base.error_exit = &ExitOnError;
    errors.base.emit_message = &EmitMessage;
    errors.path = path;
}

// The source: the whole file is in memory, so the buffer is filled once and asking for more
// means the data ended early.
void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info)
{
    WARNMS(info, JWRN_JPEG_EOF);  // Does not return (EmitMessage aborts).
    return FALSE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    if (static_cast<unsigned long>(count) > source->bytes_in_buffer)
        (void)source->fill_input_buffer(info);
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

struct DecodeState {
    jpeg_decompress_struct info{};
    ErrorManager errors;
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
    std::unique_ptr<uint8_t[]> pixels;
};

// The destination: a growing block of memory.
struct EncodeState {
    jpeg_compress_struct info{};
    ErrorManager errors;
    jpeg_destination_mgr destination{};
    std::vector<uint8_t> output;  // Bytes written so far, plus the free tail the library fills.
    std::vector<uint8_t> row;     // One row converted for the library.
};

EncodeState* EncodeStateOf(j_compress_ptr info)
{
    return static_cast<EncodeState*>(info->client_data);
}

// Makes room for the next chunk after `used` bytes. False when memory ran out.
bool GrowOutput(EncodeState& state, size_t used)
{
    try {
        state.output.resize(used + kOutputChunk);
    } catch (const std::bad_alloc&) {
        return false;
    }
    state.destination.next_output_byte = state.output.data() + used;
    state.destination.free_in_buffer = kOutputChunk;
    return true;
}

void InitDestination(j_compress_ptr info)
{
    EncodeState& state = *EncodeStateOf(info);
    if (!GrowOutput(state, 0))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    // Called when the whole buffer is full (free_in_buffer is not to be trusted here).
    EncodeState& state = *EncodeStateOf(info);
    if (!GrowOutput(state, state.output.size()))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    EncodeState& state = *EncodeStateOf(info);
    state.output.resize(state.output.size() - state.destination.free_in_buffer);
}

}  // namespace

JPGImageCodec::JPGImageCodec() : ImageCodec(String("JPGImageCodec"))
{
    for (const char* extension : {"JPG", "jpg", "Jpg", "JPEG", "jpeg", "Jpeg"})
        (void)AddExtension(String(extension));
}

Result JPGImageCodec::Decode(File* file, Image* image)
{
    return ImageFileData::DecodeFile(file, image, &DecodeBytes);
}

Result JPGImageCodec::DecodeBytes(const uint8_t* bytes, uint32_t size, const String& path, Image* image)
{
    if (!image)
        return kInvalidArgument;
    const std::unique_ptr<DecodeState> state(new (std::nothrow) DecodeState());
    if (!state) {
        Error("Недостаточно памяти для декодирования изображения [%s].", path.CStr());
        return kFailure;
    }
    jpeg_decompress_struct& info = state->info;
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&info), state->errors, path.CStr());
    if (setjmp(state->errors.jump)) {
        jpeg_destroy_decompress(&info);
        if (state->errors.scanLimitHit)
            Error("Слишком много сканов в файле JPEG [%s].", path.CStr());
        Error("Файл JPEG [%s] повреждён.", path.CStr());
        return kFailure;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kLibraryMemoryLimit;
    info.client_data = state.get();
    state->source.init_source = &InitSource;
    state->source.fill_input_buffer = &FillInputBuffer;
    state->source.skip_input_data = &SkipInputData;
    state->source.resync_to_restart = &jpeg_resync_to_restart;
    state->source.term_source = &TermSource;
    state->source.next_input_byte = bytes;
    state->source.bytes_in_buffer = bytes ? size : 0;
    info.src = &state->source;
    state->progress.progress_monitor = &CheckScanCount;
    info.progress = &state->progress;

    (void)jpeg_read_header(&info, TRUE);
    // One component is grey; three (YCbCr or RGB) come out as RGB. CMYK and YCCK do not fit
    // any image format.
    uint32_t format = 0;
    if (info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1) {
        format = Image::kA8;
        info.out_color_space = JCS_GRAYSCALE;
    } else if (info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB)) {
        format = Image::kR8G8B8;
        info.out_color_space = JCS_RGB;
    } else {
        Error("Неподдерживаемое количество компонент JPEG [%d] в файле [%s].", info.num_components, path.CStr());
        jpeg_destroy_decompress(&info);
        return kFailure;
    }
    const uint32_t width = info.image_width;
    const uint32_t height = info.image_height;
    uint32_t dataSize = 0;
    if (width == 0 || height == 0 || !Image::ComputeDataSize(format, width, height, 1, dataSize)) {
        Error("Недопустимые размеры изображения [%u x %u] в файле [%s].", width, height, path.CStr());
        jpeg_destroy_decompress(&info);
        return kFailure;
    }
    state->pixels.reset(new (std::nothrow) uint8_t[dataSize]);
    if (!state->pixels) {
        Error("Недостаточно памяти для декодирования изображения [%s].", path.CStr());
        jpeg_destroy_decompress(&info);
        return kFailure;
    }

    (void)jpeg_start_decompress(&info);
    const uint32_t rowBytes = width * Image::BytesPerPixel(format);
    if (info.output_width != width || info.output_height != height ||
        static_cast<uint32_t>(info.output_components) != Image::BytesPerPixel(format)) {
        Error("Неподдерживаемое количество компонент JPEG [%d] в файле [%s].", info.output_components, path.CStr());
        jpeg_destroy_decompress(&info);
        return kFailure;
    }
    // The library delivers rows top-down; each goes straight to its bottom-up place.
    while (info.output_scanline < height) {
        JSAMPROW row = state->pixels.get() + static_cast<size_t>(height - 1 - info.output_scanline) * rowBytes;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            Error("Файл JPEG [%s] повреждён.", path.CStr());
            jpeg_destroy_decompress(&info);
            return kFailure;
        }
    }
    (void)jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image->SetPixels(format, width, height, std::move(state->pixels));
}

Result JPGImageCodec::Encode(File* file, Image* image)
{
    return ImageFileData::EncodeFile(file, image, &EncodeBytes);
}

Result JPGImageCodec::EncodeBytes(const Image* image, std::vector<uint8_t>& out)
{
    if (!image)
        return kInvalidArgument;
    const uint32_t format = image->Format();
    if (format == Image::kA16B16G16R16 || image->Depth() != 1) {
        Error("Неподдерживаемый формат изображения [%u] для кодека [%s]. Имя[%s] ID[%d]", format, "JPGImageCodec",
              image->Name().CStr(), image->ID());
        return kFailure;
    }
    if (!image->Data() || image->Width() == 0 || image->Height() == 0 || image->Width() > JPEG_MAX_DIMENSION ||
        image->Height() > JPEG_MAX_DIMENSION) {
        Error("Изображение не содержит данных. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kFailure;
    }
    const std::unique_ptr<EncodeState> state(new (std::nothrow) EncodeState());
    if (!state) {
        Error("Недостаточно памяти для кодирования изображения. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kOutOfMemory;
    }
    const bool grey = format == Image::kA8;
    const uint32_t width = image->Width();
    const uint32_t height = image->Height();
    const uint32_t sourcePixel = Image::BytesPerPixel(format);
    if (format == Image::kR8G8B8A8) {
        try {
            state->row.resize(size_t{width} * 3);
        } catch (const std::bad_alloc&) {
            Error("Недостаточно памяти для кодирования изображения. Имя[%s] ID[%d]", image->Name().CStr(),
                  image->ID());
            return kOutOfMemory;
        }
    }

    jpeg_compress_struct& info = state->info;
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&info), state->errors, image->Name().CStr());
    if (setjmp(state->errors.jump)) {
        jpeg_destroy_compress(&info);
        Error("Невозможно закодировать изображение в JPEG. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kFailure;
    }
    jpeg_create_compress(&info);
    info.client_data = state.get();
    state->destination.init_destination = &InitDestination;
    state->destination.empty_output_buffer = &EmptyOutputBuffer;
    state->destination.term_destination = &TermDestination;
    info.dest = &state->destination;
    info.image_width = width;
    info.image_height = height;
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    // The file holds rows top-down; the image bottom-up.
    const size_t rowBytes = size_t{width} * sourcePixel;
    while (info.next_scanline < height) {
        const uint8_t* source = image->Data() + (height - 1 - info.next_scanline) * rowBytes;
        JSAMPROW row = const_cast<JSAMPROW>(source);  // The library only reads input rows.
        if (format == Image::kR8G8B8A8) {
            uint8_t* packed = state->row.data();
            for (uint32_t x = 0; x < width; ++x)
                std::memcpy(packed + x * 3, source + x * 4, 3);
            row = packed;
        }
        (void)jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out = std::move(state->output);
    return kSuccess;
}

}  // namespace zen
