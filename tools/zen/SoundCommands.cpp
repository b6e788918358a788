// `zen sound ...`: sound files (Ogg Vorbis, MP3) through the audio library's own decoders, so a
// content maker checks a sound exactly as the saver will play it. `info` prints what the
// decoder reports; `decode` writes every decoded sample as a 16-bit PCM WAV file.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioError.h"
#include "audio/SoundDecoder.h"
#include "zen/CommandTable.h"

namespace zen::tool {
namespace {

int RunInfo(const std::vector<std::string>& arguments);
int RunDecode(const std::vector<std::string>& arguments);

CommandRegistration s_info({"sound", "info", "FILE",
                            "decode an Ogg Vorbis or MP3 file and print format <name> rate <Hz> channels <n> samples "
                            "<frames per channel>",
                            &RunInfo});
CommandRegistration s_decode({"sound", "decode", "FILE OUT.wav",
                              "decode an Ogg Vorbis or MP3 file into a 16-bit PCM WAV file", &RunDecode});

const char* ErrorText(int32_t error)
{
    switch (error) {
    case audio::kErrorNoData: return "the file is empty";
    case audio::kErrorFileForm: return "neither Ogg Vorbis nor MP3";
    case audio::kErrorFormat: return "a sample rate or channel count the library does not play";
    case audio::kErrorCorrupt: return "the file is damaged";
    case audio::kErrorMemory: return "out of memory";
    default: return "cannot be decoded";
    }
}

// The file's bytes and its decoder over them; false (with a line on stderr) when either fails.
bool OpenSound(const std::string& path, std::vector<uint8_t>& bytes, std::unique_ptr<audio::SoundDecoder>& decoder)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "zen: %s: cannot open the file\n", path.c_str());
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    int32_t error = audio::kOk;
    decoder = audio::SoundDecoder::Open(bytes.data(), bytes.size(), &error);
    if (!decoder) {
        std::fprintf(stderr, "zen: %s: %s (error %d)\n", path.c_str(), ErrorText(error), error);
        return false;
    }
    return true;
}

int RunInfo(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("sound", "info"));
    std::vector<uint8_t> bytes;
    std::unique_ptr<audio::SoundDecoder> decoder;
    if (!OpenSound(arguments[0], bytes, decoder))
        return kExitFailure;
    std::printf("format %s rate %u channels %u samples %llu\n", decoder->FormatName(), decoder->SampleRate(),
                decoder->Channels(), static_cast<unsigned long long>(decoder->CountFrames()));
    return kExitSuccess;
}

void Put(std::FILE* out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), out);
}

int RunDecode(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 2)
        return PrintUsage(*CommandTable::Find("sound", "decode"));
    std::vector<uint8_t> bytes;
    std::unique_ptr<audio::SoundDecoder> decoder;
    if (!OpenSound(arguments[0], bytes, decoder))
        return kExitFailure;
    const uint32_t channels = decoder->Channels();
    std::vector<int16_t> pcm;
    std::vector<float> chunk(4096 * channels);
    for (;;) {
        const uint32_t got = decoder->Read(chunk.data(), 4096);
        if (got == 0)
            break;
        for (uint32_t i = 0; i < got * channels; ++i) {
            const float clamped = std::fmax(-1.0f, std::fmin(1.0f, chunk[i]));
            pcm.push_back(static_cast<int16_t>(std::lround(clamped * 32767.0f)));
        }
    }
    const uint64_t dataBytes = uint64_t{pcm.size()} * 2;
    if (dataBytes > 0xFFFFFFFFull - 36) {
        std::fprintf(stderr, "zen: %s: too long for a WAV file\n", arguments[0].c_str());
        return kExitFailure;
    }
    std::FILE* out = std::fopen(arguments[1].c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "zen: %s: cannot create the file\n", arguments[1].c_str());
        return kExitFailure;
    }
    std::fputs("RIFF", out);
    Put(out, static_cast<uint32_t>(36 + dataBytes), 4);
    std::fputs("WAVEfmt ", out);
    Put(out, 16, 4);
    Put(out, 1, 2);
    Put(out, channels, 2);
    Put(out, decoder->SampleRate(), 4);
    Put(out, decoder->SampleRate() * channels * 2, 4);
    Put(out, channels * 2, 2);
    Put(out, 16, 2);
    std::fputs("data", out);
    Put(out, static_cast<uint32_t>(dataBytes), 4);
    for (const int16_t sample : pcm)
        Put(out, static_cast<uint16_t>(sample), 2);
    if (std::fclose(out) != 0) {
        std::fprintf(stderr, "zen: %s: cannot write the file\n", arguments[1].c_str());
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
