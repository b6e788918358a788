#include "tools/sound/SoundSet.h"

#include <functional>

#include "engine/core/MessageLog.h"
#include "tools/sound/OggWriter.h"
#include "tools/sound/Score.h"
#include "tools/sound/SeaSounds.h"

namespace zen::sound {
namespace {

struct Recipe {
    const char* name;
    float quality;
    std::function<SoundBuffer()> make;
};

const std::vector<Recipe>& Recipes()
{
    static const std::vector<Recipe> recipes = {
        {"surf.ogg", 0.3f, &SeaSounds::Surf},
        {"wind.ogg", 0.2f, &SeaSounds::Wind},
        {"gull1.ogg", 0.4f, [] { return SeaSounds::Gull(0); }},
        {"gull2.ogg", 0.4f, [] { return SeaSounds::Gull(1); }},
        {"foghorn.ogg", 0.3f, &SeaSounds::Foghorn},
        {"music.ogg", 0.4f, &Score::Render},
    };
    return recipes;
}

}  // namespace

std::vector<std::string> SoundSet::Names()
{
    std::vector<std::string> names;
    for (const Recipe& recipe : Recipes())
        names.emplace_back(recipe.name);
    return names;
}

Result SoundSet::MakeAll(std::vector<File>& files)
{
    std::vector<File> out;
    for (const Recipe& recipe : Recipes()) {
        File file{recipe.name, {}};
        if (OggWriter::Encode(recipe.make(), recipe.quality, file.bytes) != kSuccess) {
            Error("Невозможно закодировать звук [%s].", recipe.name);
            return kFailure;
        }
        out.push_back(std::move(file));
    }
    files = std::move(out);
    return kSuccess;
}

}  // namespace zen::sound
