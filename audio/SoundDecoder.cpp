#include "audio/SoundDecoder.h"

#include "audio/AudioError.h"
#include "audio/Mp3Decoder.h"
#include "audio/VorbisDecoder.h"

namespace zen::audio {

std::unique_ptr<SoundDecoder> SoundDecoder::Open(const uint8_t* data, size_t size, int32_t* error)
{
    if (!data || size == 0) {
        *error = kErrorNoData;
        return nullptr;
    }
    if (VorbisDecoder::Recognizes(data, size))
        return VorbisDecoder::Open(data, size, error);
    if (Mp3Decoder::Recognizes(data, size))
        return Mp3Decoder::Open(data, size, error);
    *error = kErrorFileForm;
    return nullptr;
}

}  // namespace zen::audio
