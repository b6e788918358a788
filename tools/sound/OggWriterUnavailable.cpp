// OggWriter for builds without libvorbisenc (the Windows tools): the content is made by the
// native tool, so encoding here only reports that it cannot be done.
#include "engine/core/MessageLog.h"
#include "tools/sound/OggWriter.h"

namespace zen::sound {

Result OggWriter::Encode(const SoundBuffer&, float, std::vector<uint8_t>&)
{
    Error("Эта сборка не умеет кодировать Ogg Vorbis; звуки делает родная сборка инструмента.");
    return kFailure;
}

}  // namespace zen::sound
