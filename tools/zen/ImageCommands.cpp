// `zen image ...`: pictures (BMP, JPEG, TGA, CUBE) through the engine's image codecs, chosen by
// the file's extension exactly as the program chooses them. `info` prints what the engine holds
// after decoding; `convert` decodes one file and encodes it with the codec of another extension.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Crc32.h"
#include "engine/core/MessageLog.h"
#include "engine/core/MessageOutput.h"
#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ImageCodec.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"
#include "engine/vfs/File.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

int RunInfo(const std::vector<std::string>& arguments);
int RunConvert(const std::vector<std::string>& arguments);

CommandRegistration s_info({"image", "info", "FILE",
                            "decode a BMP, JPEG, TGA or CUBE file and print <width>x<height>[x<depth>] format <n> "
                            "crc32 <pixels' CRC-32>",
                            &RunInfo});
CommandRegistration s_convert({"image", "convert", "IN OUT",
                               "decode IN and encode it with the codec of OUT's extension (a CUBE file into a flat "
                               "format gives six files OUT_0 .. OUT_5, one per face)",
                               &RunConvert});

constexpr const char* kCodecs[] = {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec"};

// Keeps the warnings and errors the engine logs while a command runs, to tell the user why.
class ReasonOutput : public MessageOutput {
public:
    ReasonOutput() : MessageOutput(String("zen image reasons")) {}
    void Write(uint32_t level, const String& text) override
    {
        if (level >= kLevelWarning)
            m_lines.push_back(text.Std());
    }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
};

// The engine's texts are code page 1251 (UTF-8 in clang builds); the terminal wants UTF-8.
bool IsUtf8(const std::string& text)
{
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || at + length > text.size())
            return false;
        for (size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return false;
        at += length;
    }
    return true;
}

std::string ToTerminal(const std::string& text)
{
    if (IsUtf8(text))
        return text;
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        char32_t code = byte;
        if (byte >= 0xC0)
            code = 0x410 + (byte - 0xC0);  // А..я
        else if (byte == 0xA8)
            code = 0x401;  // Ё
        else if (byte == 0xB8)
            code = 0x451;  // ё
        else if (byte >= 0x80)
            code = '?';
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

void PrintReasons(const std::string& path, const char* what, const ReasonOutput& reasons)
{
    std::fprintf(stderr, "zen: %s: %s\n", path.c_str(), what);
    for (const std::string& line : reasons.Lines())
        std::fprintf(stderr, "  %s\n", ToTerminal(line).c_str());
}

ImageCodec* CodecFor(File& file)
{
    return static_cast<ImageCodec*>(CodecManager::FindCodecForFile(&file, Codec::kImageCodec));
}

bool IsCube(const ImageCodec* codec)
{
    return codec->Name() == "CUBEImageCodec";
}

// Decodes `path` into a new image (a volume image for CUBE files). Null after telling why.
Ptr<Image> DecodeFile(const std::string& path, ReasonOutput& reasons)
{
    File file{String(path)};
    ImageCodec* codec = CodecFor(file);
    if (!codec) {
        std::fprintf(stderr, "zen: %s: no image codec reads the extension \"%s\"\n", path.c_str(),
                     file.GetExtension().CStr());
        return nullptr;
    }
    Ptr<Image> image = IsCube(codec) ? new VolumeImage() : new Image();
    image->SetName(String(path));
    if (codec->Decode(&file, image.Get()) != kSuccess) {
        PrintReasons(path, "cannot be decoded", reasons);
        return nullptr;
    }
    return image;
}

// Encodes `image` into the file `path` with `codec`. False after telling why.
bool EncodeFile(ImageCodec* codec, Image* image, const std::string& path, ReasonOutput& reasons)
{
    File file{String(path)};
    if (codec->Encode(&file, image) != kSuccess) {
        PrintReasons(path, "cannot be written", reasons);
        return false;
    }
    std::printf("wrote %s\n", path.c_str());
    return true;
}

// "dir/sky.tga" and 3 give "dir/sky_3.tga".
std::string FacePath(const std::string& path, uint32_t face)
{
    const size_t dot = path.rfind('.');
    const size_t slash = path.find_last_of("/\\");
    const size_t stem = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path.size() : dot;
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on chains of string +.
    std::string out = path.substr(0, stem);
    out += '_';
    out += std::to_string(face);
    out += path.substr(stem);
    return out;
}

// The engine session and a log output collecting the reasons, for one command.
struct ImageSession {
    ImageSession() : reasons(new ReasonOutput())
    {
        if (engine.Started() && !engine.LoadCodecs({kCodecs[0], kCodecs[1], kCodecs[2], kCodecs[3]}))
            loaded = false;
        (void)RegisterOutput(reasons.Get());
    }
    ~ImageSession() { (void)UnregisterOutput(reasons.Get()); }
    bool Ready() const { return engine.Started() && loaded; }

    EngineSession engine;
    Ptr<ReasonOutput> reasons;
    bool loaded = true;
};

int RunInfo(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("image", "info"));
    ImageSession session;
    if (!session.Ready())
        return kExitFailure;
    Ptr<Image> image = DecodeFile(arguments[0], *session.reasons);
    if (!image)
        return kExitFailure;
    const uint32_t crc = Crc32::Compute(image->Data(), image->Data() ? image->GetDataSize() : 0);
    if (image->IsDerivedFrom(&VolumeImage::TYPE))
        std::printf("%ux%ux%u", image->Width(), image->Height(), image->Depth());
    else
        std::printf("%ux%u", image->Width(), image->Height());
    std::printf(" format %u crc32 %08x\n", image->Format(), crc);
    return kExitSuccess;
}

int RunConvert(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 2)
        return PrintUsage(*CommandTable::Find("image", "convert"));
    const std::string& inPath = arguments[0];
    const std::string& outPath = arguments[1];
    ImageSession session;
    if (!session.Ready())
        return kExitFailure;
    File probe{String(outPath)};
    ImageCodec* outCodec = CodecFor(probe);
    if (!outCodec) {
        std::fprintf(stderr, "zen: %s: no image codec writes the extension \"%s\"\n", outPath.c_str(),
                     probe.GetExtension().CStr());
        return kExitFailure;
    }
    Ptr<Image> image = DecodeFile(inPath, *session.reasons);
    if (!image)
        return kExitFailure;
    const bool volumeIn = image->IsDerivedFrom(&VolumeImage::TYPE);
    if (!volumeIn || IsCube(outCodec))
        return EncodeFile(outCodec, image.Get(), outPath, *session.reasons) ? kExitSuccess : kExitFailure;

    // A cube into a flat format: one file per face.
    auto* volume = static_cast<VolumeImage*>(image.Get());
    for (uint32_t face = 0; face < volume->Depth(); ++face) {
        Ptr<Image> slice = new Image(String(FacePath(outPath, face)), volume->Format(), volume->Width(),
                                     volume->Height());
        if (slice->Data())
            std::memcpy(slice->Data(), volume->Slice(face), volume->GetSliceSize());
        if (!EncodeFile(outCodec, slice.Get(), FacePath(outPath, face), *session.reasons))
            return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
