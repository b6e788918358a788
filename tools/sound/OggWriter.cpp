#include "tools/sound/OggWriter.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

#include "engine/core/MessageLog.h"

namespace zen::sound {
namespace {

constexpr int kSerialNumber = 0x42465344;  // Fixed: the files are reproducible.
constexpr int kBlockFrames = 4096;

void Append(std::vector<uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

Result OggWriter::Encode(const SoundBuffer& sound, float quality, std::vector<uint8_t>& out)
{
    if (sound.channels < 1 || sound.channels > 2 || sound.rate < 8000 || sound.Frames() == 0) {
        Error("Звук нельзя закодировать: каналов %d, частота %d.", sound.channels, sound.rate);
        return kFailure;
    }
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, sound.channels, sound.rate, quality) != 0) {
        vorbis_info_clear(&info);
        Error("Кодер Vorbis отказался от параметров звука.");
        return kFailure;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "Brightfold zen");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, kSerialNumber);

    std::vector<uint8_t> bytes;
    ogg_packet header, commentPacket, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        Append(bytes, page);

    const size_t frames = sound.Frames();
    const size_t channels = static_cast<size_t>(sound.channels);
    size_t at = 0;
    bool ended = false;
    while (!ended) {
        const size_t count = std::min<size_t>(kBlockFrames, frames - at);
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (size_t i = 0; i < count; ++i)
                for (size_t c = 0; c < channels; ++c)
                    buffer[c][i] = std::clamp(sound.samples[(at + i) * channels + c], -1.0f, 1.0f);
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            at += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (!ended && ogg_stream_pageout(&stream, &page) != 0) {
                    Append(bytes, page);
                    ended = ogg_page_eos(&page) != 0;
                }
            }
        }
        if (count == 0 && !ended) {
            // Everything is out once the end-of-stream page has been written.
            while (ogg_stream_flush(&stream, &page) != 0) {
                Append(bytes, page);
                ended = ended || ogg_page_eos(&page) != 0;
            }
            ended = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    out = std::move(bytes);
    return kSuccess;
}

}  // namespace zen::sound
