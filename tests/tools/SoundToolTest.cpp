// `zen sound info` and `zen sound decode`, run as a program on files made by other encoders.
#include <gtest/gtest.h>

#include "codecs/ImageTestSupport.h"
#include "support/RequiredTool.h"
#include "support/SoundFiles.h"
#include "support/TempFolder.h"
#include "support/ToolOutput.h"

namespace zen {
namespace {

using test::RunZen;
using test::Samples;

struct Made {
    const char* name;
    Samples tone;
    std::vector<uint8_t> file;
    const char* format;
    double minSnr;
};

TEST(SoundTool, InfoAndDecodeGiveTheEncodedSamples)
{
    test::TempFolder folder;
    std::vector<Made> files;
    files.push_back({"mono.ogg", test::MakeTone(44100, 1, 1.0, 440), {}, "ogg-vorbis", 30});
    files.push_back({"stereo.ogg", test::MakeTone(22050, 2, 0.7, 660), {}, "ogg-vorbis", 30});
    for (Made& made : files)
        made.file = test::EncodeVorbis(made.tone, 0.4f);
    if (test::UseTool("lame", "the lame package (scripts/setup.sh)")) {
        Made mp3{"stereo.mp3", test::MakeTone(44100, 2, 1.0, 880), {}, "mp3", 20};
        std::string why;
        ASSERT_TRUE(test::EncodeMp3(mp3.tone, "-b 128", mp3.file, why)) << why;
        files.push_back(mp3);
    }
    for (const Made& made : files) {
        SCOPED_TRACE(made.name);
        const std::string path = folder.Path(made.name), wav = folder.Path(std::string(made.name) + ".wav");
        test::WriteFileBytes(path, made.file);
        const test::ToolRun info = RunZen("sound info '" + path + "'");
        ASSERT_EQ(info.exitCode, 0) << info.output;
        char format[32] = {};
        unsigned rate = 0, channels = 0;
        unsigned long long samples = 0;
        ASSERT_EQ(std::sscanf(info.output.c_str(), "format %31s rate %u channels %u samples %llu", format, &rate,
                              &channels, &samples),
                  4)
            << info.output;
        EXPECT_STREQ(format, made.format);
        EXPECT_EQ(rate, made.tone.rate);
        EXPECT_EQ(channels, made.tone.channels);

        const test::ToolRun decode = RunZen("sound decode '" + path + "' '" + wav + "'");
        ASSERT_EQ(decode.exitCode, 0) << decode.output;
        Samples decoded;
        ASSERT_TRUE(test::ReadWav16(test::ReadFileBytes(wav), decoded));
        EXPECT_EQ(decoded.rate, made.tone.rate);
        EXPECT_EQ(decoded.channels, made.tone.channels);
        EXPECT_EQ(decoded.Frames(), samples) << "info and decode agree on the length";
        EXPECT_EQ(decoded.Frames(), made.tone.Frames());
        size_t delay = 0;
        EXPECT_GT(test::BestSnr(made.tone, decoded, 0, delay), made.minSnr);
    }
}

TEST(SoundTool, RefusesFilesItCannotDecode)
{
    test::TempFolder folder;
    const struct {
        const char* name;
        std::string content;
        const char* reason;
    } cases[] = {
        {"empty.ogg", "", "the file is empty"},
        {"text.mp3", "Volume = 80\r\n", "neither Ogg Vorbis nor MP3"},
        {"cut.ogg", std::string("OggS\0\2\0\0", 8), "the file is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Path(c.name);
        test::WriteFileBytes(path, std::vector<uint8_t>(c.content.begin(), c.content.end()));
        for (const std::string& command : {"sound info '" + path + "'",
                                           "sound decode '" + path + "' '" + folder.Path("out.wav") + "'"})
            EXPECT_TRUE(test::Said(RunZen(command), 1, {c.reason}));
    }
    EXPECT_EQ(RunZen("sound info '" + folder.Path("absent.ogg") + "'").exitCode, 1);
    EXPECT_EQ(RunZen("sound decode only-one-argument").exitCode, 2);
}

}  // namespace
}  // namespace zen
