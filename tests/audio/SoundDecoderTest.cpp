// The decoders against the samples their files were made from by other programs' encoders
// (libvorbisenc, lame), and against damaged and foreign bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/AudioError.h"
#include "audio/AudioStream.h"
#include "audio/SoundDecoder.h"
#include "TestPaths.h"
#include "codecs/ImageTestSupport.h"
#include "support/RequiredTool.h"
#include "support/SoundFiles.h"

namespace zen::audio {
namespace {

using test::Samples;

Samples DecodeAll(SoundDecoder& decoder)
{
    Samples out;
    out.rate = decoder.SampleRate();
    out.channels = decoder.Channels();
    std::vector<float> chunk(4096 * out.channels);
    for (;;) {
        const uint32_t got = decoder.Read(chunk.data(), 4096);
        if (got == 0)
            break;
        out.data.insert(out.data.end(), chunk.begin(), chunk.begin() + got * out.channels);
    }
    return out;
}

// `file` opens as `format` and gives exactly the frames of `tone` (the encoder's header, delay
// and padding cut), more than `snr` dB close to them.
void ExpectDecodesTo(const std::vector<uint8_t>& file, const char* format, const Samples& tone, double snr)
{
    int32_t error = -1;
    auto decoder = SoundDecoder::Open(file.data(), file.size(), &error);
    ASSERT_TRUE(decoder) << "error " << error;
    EXPECT_STREQ(decoder->FormatName(), format);
    EXPECT_EQ(decoder->SampleRate(), tone.rate);
    EXPECT_EQ(decoder->Channels(), tone.channels);
    EXPECT_EQ(decoder->CountFrames(), tone.Frames());
    const Samples decoded = DecodeAll(*decoder);
    EXPECT_EQ(decoded.Frames(), tone.Frames());
    size_t delay = 0;
    EXPECT_GT(test::BestSnr(tone, decoded, 0, delay), snr);
}

struct VorbisCase {
    uint32_t rate;
    uint32_t channels;
    double hz;
};

TEST(VorbisDecoder, DecodesToTheSamplesTheEncoderWasGiven)
{
    const VorbisCase cases[] = {{44100, 1, 440}, {44100, 2, 1000}, {22050, 1, 300}, {48000, 2, 2500}};
    for (const VorbisCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " channels, " << c.hz << " Hz tone");
        const Samples tone = test::MakeTone(c.rate, c.channels, 1.5, c.hz);
        const std::vector<uint8_t> file = test::EncodeVorbis(tone, 0.4f);
        ASSERT_FALSE(file.empty());
        ExpectDecodesTo(file, "ogg-vorbis", tone, 30.0);  // Ogg carries its exact length.
    }
}

TEST(Mp3Decoder, DecodesExactlyTheSamplesLameWasGivenAndLoopsWithoutAGap)
{
    ZEN_REQUIRE_TOOL("lame", "the lame package (scripts/setup.sh)");
    struct Mp3Case {
        uint32_t rate, channels;
        double hz;
        const char* lame;
    };
    // Whole cycles in one second, so the tone played twice over is the same tone.
    const Mp3Case cases[] = {{44100, 1, 440, "-b 128"}, {44100, 2, 1000, "-b 128"}, {48000, 2, 700, "-V 2"},
                             {22050, 1, 300, "-b 128"}, {44100, 1, 440, "-b 128 -p"}};
    for (const Mp3Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " channels, lame " << c.lame);
        const Samples tone = test::MakeTone(c.rate, c.channels, 1.0, c.hz);
        std::vector<uint8_t> file;
        std::string why;
        ASSERT_TRUE(test::EncodeMp3(tone, c.lame, file, why)) << why;
        // The encoder's tag frame, delay and padding are cut: the very samples, from the first.
        ExpectDecodesTo(file, "mp3", tone, 20.0);

        // Looped, the second pass follows the first without a gap (which a 50 ms hole of
        // silence at the loop point would pull far below 20 dB).
        int32_t error = -1;
        AudioStream looping(SoundDecoder::Open(file.data(), file.size(), &error), AudioStream::kFlagLoop);
        Samples twice = tone;
        twice.data.insert(twice.data.end(), tone.data.begin(), tone.data.end());
        Samples pulled = twice;
        ASSERT_EQ(looping.Pull(pulled.data.data(), static_cast<uint32_t>(twice.Frames())), twice.Frames());
        size_t delay = 0;
        EXPECT_GT(test::BestSnr(twice, pulled, 0, delay), 20.0);
    }
}

// The Ogg page checksum (polynomial 0x04C11DB7, not reflected, starting at 0), so a patched
// header page stays a valid page.
void FixOggChecksum(std::vector<uint8_t>& file, size_t pageStart, size_t pageLength)
{
    std::memset(&file[pageStart + 22], 0, 4);
    uint32_t crc = 0;
    for (size_t i = 0; i < pageLength; ++i) {
        crc ^= static_cast<uint32_t>(file[pageStart + i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i)
        file[pageStart + 22 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

std::vector<uint8_t> VorbisWithIdentification(uint8_t channels, uint32_t rate)
{
    std::vector<uint8_t> file = test::EncodeVorbis(test::MakeTone(44100, 1, 0.2, 440), 0.4f);
    // First page: 27 header bytes, one segment length, then the identification packet: type,
    // "vorbis", version (4), channels (1), rate (4).
    const size_t packet = 27 + file[26];
    file[packet + 11] = channels;
    std::memcpy(&file[packet + 12], &rate, 4);
    FixOggChecksum(file, 0, packet + file[27]);
    return file;
}

TEST(SoundDecoder, RefusesDamagedForeignAndUnplayableBytes)
{
    const std::vector<uint8_t> ogg = test::EncodeVorbis(test::MakeTone(44100, 1, 0.5, 440), 0.4f);
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                      0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0, 0x90, 0x77, 0x53, 0xDE};
    const std::string text = "Mes_Settings_Title = Settings\r\n";
    std::vector<uint8_t> noise(4000);
    uint32_t seed = 12345;
    for (uint8_t& b : noise)
        b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    std::vector<uint8_t> oggBadSetup = ogg;
    for (size_t i = 200; i < 400 && i < oggBadSetup.size(); ++i)
        oggBadSetup[i] ^= 0x5A;
    // A reserved sample-rate index (3) in an otherwise well-formed MPEG-1 layer III header.
    const std::vector<uint8_t> mp3BadRate = {0xFF, 0xFB, 0x9C, 0x00, 0, 0, 0, 0};
    const std::vector<uint8_t> id3Only = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    // An encoder's tag frame and nothing after it: 417 bytes at 128 kbit/s and 44.1 kHz, the tag
    // after the header and 32 bytes of joint-stereo side information.
    std::vector<uint8_t> tagFrameOnly(417, 0);
    std::memcpy(tagFrameOnly.data(), "\xFF\xFB\x90\x64", 4);
    std::memcpy(tagFrameOnly.data() + 36, "Info", 4);
    // Found by fuzzing: a comment header whose lengths run past its packet, which the Ogg
    // decoder's own parser would follow into a write before its buffer.
    const std::vector<uint8_t> commentPastPacket =
        test::ReadFileBytes(std::string(ZEN_TESTDATA_DIR) + "/sound/vorbis-comment-length-past-packet.ogg");
    // Found by fuzzing too: a codebook of thousands of dimensions over a few entries, whose size
    // the decoder works out through powers far past any int.
    const std::vector<uint8_t> codebookPastInt =
        test::ReadFileBytes(std::string(ZEN_TESTDATA_DIR) + "/sound/vorbis-codebook-dimensions-past-int.ogg");

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t error;  // 0: any error.
    };
    const Case cases[] = {
        {"empty", {}, kErrorNoData},
        {"Ogg cut inside its headers", std::vector<uint8_t>(ogg.begin(), ogg.begin() + 60), 0},
        {"Ogg magic alone", {'O', 'g', 'g', 'S'}, 0},
        {"Ogg with a damaged set-up header", oggBadSetup, 0},
        {"Ogg whose comment lengths run past the packet", commentPastPacket, kErrorCorrupt},
        {"Ogg whose codebook size runs past an int", codebookPastInt, kErrorCorrupt},
        {"Ogg at 1 Hz", VorbisWithIdentification(1, 1), kErrorFormat},
        {"Ogg at 4 GHz", VorbisWithIdentification(1, 0xFFFFFFF0u), kErrorFormat},
        {"Ogg with 200 channels", VorbisWithIdentification(200, 44100), 0},
        {"Ogg with 0 channels", VorbisWithIdentification(0, 44100), 0},
        {"PNG picture", png, kErrorFileForm},
        {"settings text", std::vector<uint8_t>(text.begin(), text.end()), kErrorFileForm},
        {"noise", noise, kErrorFileForm},
        {"MP3 header with a reserved rate", mp3BadRate, kErrorFileForm},
        {"ID3 tag without audio", id3Only, kErrorFileForm},
        {"MP3 sync word alone", {0xFF, 0xFB}, kErrorFileForm},
        {"MP3 tag frame without sound", tagFrameOnly, kErrorCorrupt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t error = kOk;
        auto decoder = SoundDecoder::Open(c.bytes.data(), c.bytes.size(), &error);
        EXPECT_FALSE(decoder);
        if (c.error)
            EXPECT_EQ(error, c.error);
        else
            EXPECT_NE(error, kOk);
    }
}

TEST(SoundDecoder, AFileCutInItsAudioPlaysUpToTheCut)
{
    // Long enough that the audio pages outweigh the set-up header (some 4 KB).
    const Samples tone = test::MakeTone(44100, 1, 6.0, 440);
    const std::vector<uint8_t> ogg = test::EncodeVorbis(tone, 0.4f);
    const std::vector<uint8_t> cut(ogg.begin(), ogg.begin() + ogg.size() * 3 / 4);
    int32_t error = kOk;
    auto decoder = SoundDecoder::Open(cut.data(), cut.size(), &error);
    ASSERT_TRUE(decoder) << "error " << error << " of " << ogg.size() << " bytes";
    const Samples decoded = DecodeAll(*decoder);
    EXPECT_GT(decoded.Frames(), tone.Frames() / 4);
    EXPECT_LT(decoded.Frames(), tone.Frames());
}

TEST(AudioStream, LoopsWithoutAGapAndMixes3DSoundsToMono)
{
    const Samples tone = test::MakeTone(44100, 2, 0.3, 523);
    const std::vector<uint8_t> ogg = test::EncodeVorbis(tone, 0.4f);
    int32_t error = kOk;
    auto reference = SoundDecoder::Open(ogg.data(), ogg.size(), &error);
    ASSERT_TRUE(reference);
    const Samples once = DecodeAll(*reference);
    const size_t n = once.Frames();

    // Looping: pulls of an odd size across two loop points give the sound three times over.
    AudioStream looping(SoundDecoder::Open(ogg.data(), ogg.size(), &error), AudioStream::kFlagLoop);
    std::vector<float> pulled;
    std::vector<float> chunk(777 * 2);
    while (pulled.size() < 3 * n * 2) {
        ASSERT_EQ(looping.Pull(chunk.data(), 777), 777u);
        pulled.insert(pulled.end(), chunk.begin(), chunk.end());
    }
    for (size_t i = 0; i < 3 * n * 2; ++i)
        ASSERT_EQ(pulled[i], once.data[i % (n * 2)]) << "sample " << i;
    EXPECT_FALSE(looping.ended);

    // 3D: one channel, the mean of the two; the stream ends after its frames.
    AudioStream positional(SoundDecoder::Open(ogg.data(), ogg.size(), &error), AudioStream::kFlag3D);
    positional.playing = true;
    EXPECT_EQ(positional.OutputChannels(), 1u);
    std::vector<float> mono(n + 100);
    EXPECT_EQ(positional.Pull(mono.data(), static_cast<uint32_t>(n + 100)), n);
    for (size_t i = 0; i < n; ++i)
        ASSERT_FLOAT_EQ(mono[i], (once.data[2 * i] + once.data[2 * i + 1]) / 2) << "frame " << i;
    EXPECT_TRUE(positional.ended);
    EXPECT_FALSE(positional.playing);
}

}  // namespace
}  // namespace zen::audio
