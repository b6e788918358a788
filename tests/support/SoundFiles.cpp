#include "support/SoundFiles.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include "codecs/ImageTestSupport.h"
#include "support/TempFolder.h"
#include "support/ToolRun.h"

namespace zen::test {

Samples MakeTone(uint32_t rate, uint32_t channels, double seconds, double hz, double amplitude)
{
    Samples tone;
    tone.rate = rate;
    tone.channels = channels;
    const size_t frames = static_cast<size_t>(seconds * rate);
    tone.data.resize(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (uint32_t c = 0; c < channels; ++c)
            tone.data[i * channels + c] =
                static_cast<float>(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / rate + c * M_PI / 2));
    return tone;
}

std::vector<uint8_t> EncodeVorbis(const Samples& samples, float quality)
{
    std::vector<uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, static_cast<long>(samples.channels), static_cast<long>(samples.rate), quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    auto emit = [&out](const ogg_page& p) {
        out.insert(out.end(), p.header, p.header + p.header_len);
        out.insert(out.end(), p.body, p.body + p.body_len);
    };
    while (ogg_stream_flush(&stream, &page) != 0)
        emit(page);
    const size_t frames = samples.Frames();
    size_t at = 0;
    bool finished = false;
    while (!finished) {
        const size_t chunk = std::min<size_t>(1024, frames - at);
        if (chunk == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(chunk));
            for (size_t i = 0; i < chunk; ++i)
                for (uint32_t c = 0; c < samples.channels; ++c)
                    buffer[c][i] = samples.data[(at + i) * samples.channels + c];
            vorbis_analysis_wrote(&dsp, static_cast<int>(chunk));
            at += chunk;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    emit(page);
                    if (ogg_page_eos(&page))
                        finished = true;
                }
            }
        }
        if (chunk == 0 && !finished) {
            while (ogg_stream_flush(&stream, &page) != 0)
                emit(page);
            finished = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

bool LameAvailable()
{
    return RunCommand("lame --version >/dev/null 2>&1").exitCode == 0;
}

bool EncodeMp3(const Samples& samples, const std::string& lameArguments, std::vector<uint8_t>& out, std::string& why)
{
    if (!LameAvailable()) {
        why = "the lame encoder is not installed";
        return false;
    }
    TempFolder folder;
    const std::string wav = folder.Path("in.wav"), mp3 = folder.Path("out.mp3");
    WriteFileBytes(wav, WriteWav16(samples));
    const ToolRun run = RunCommand("lame --quiet " + lameArguments + " '" + wav + "' '" + mp3 + "' 2>&1");
    if (run.exitCode != 0) {
        why = "lame failed: " + run.output;
        return false;
    }
    out = ReadFileBytes(mp3);
    return !out.empty();
}

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

uint32_t U32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

std::vector<uint8_t> WriteWav16(const Samples& samples)
{
    std::vector<uint8_t> out;
    const uint32_t dataBytes = static_cast<uint32_t>(samples.data.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutU32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, static_cast<uint16_t>(samples.channels));
    PutU32(out, samples.rate);
    PutU32(out, samples.rate * samples.channels * 2);
    PutU16(out, static_cast<uint16_t>(samples.channels * 2));
    PutU16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutU32(out, dataBytes);
    for (const float sample : samples.data) {
        const float clamped = std::fmax(-1.0f, std::fmin(1.0f, sample));
        PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(clamped * 32767.0f))));
    }
    return out;
}

bool ReadWav16(const std::vector<uint8_t>& bytes, Samples& out)
{
    if (bytes.size() < 44 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return false;
    size_t at = 12;
    bool haveFormat = false;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = U32(&bytes[at + 4]);
        const uint8_t* body = &bytes[at + 8];
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
            if ((body[0] | (body[1] << 8)) != 1 || (body[14] | (body[15] << 8)) != 16)
                return false;
            out.channels = body[2] | (body[3] << 8);
            out.rate = U32(body + 4);
            haveFormat = true;
        } else if (std::memcmp(&bytes[at], "data", 4) == 0 && haveFormat) {
            if (size > bytes.size() - at - 8)
                return false;
            out.data.resize(size / 2);
            for (size_t i = 0; i < out.data.size(); ++i)
                out.data[i] = static_cast<float>(static_cast<int16_t>(body[2 * i] | (body[2 * i + 1] << 8))) / 32768.0f;
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

double BestSnr(const Samples& reference, const Samples& decoded, size_t maxDelay, size_t& delay)
{
    const uint32_t channels = reference.channels;
    const size_t frames = reference.Frames();
    double best = -1e9;
    delay = 0;
    for (size_t shift = 0; shift <= maxDelay; ++shift) {
        if (decoded.Frames() < shift + 1)
            break;
        const size_t overlap = std::min(frames, decoded.Frames() - shift);
        double signal = 0, noise = 0;
        for (size_t i = 0; i < overlap * channels; ++i) {
            const double want = reference.data[i];
            const double got = decoded.data[i + shift * channels];
            signal += want * want;
            noise += (got - want) * (got - want);
        }
        // Frames the decoded sound lacks count as lost signal.
        for (size_t i = overlap * channels; i < frames * channels; ++i) {
            signal += double(reference.data[i]) * reference.data[i];
            noise += double(reference.data[i]) * reference.data[i];
        }
        const double snr = 10 * std::log10(signal / std::max(noise, 1e-20));
        if (snr > best) {
            best = snr;
            delay = shift;
        }
    }
    return best;
}

}  // namespace zen::test
