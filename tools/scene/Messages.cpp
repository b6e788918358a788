#include "tools/scene/Messages.h"

#include <fstream>
#include <iterator>

#include "engine/core/MessageLog.h"
#include "engine/text/LearnSystem.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "tools/art/GlyphAtlas.h"
#include "tools/scene/MediaSet.h"

namespace zen::scene {
namespace {

// Each shot's lines: the first names the subject (Title), the rest say something about it.
struct Note {
    const char* camera;
    const char* name;
    const char* title;
    const char* body;
};
constexpr Note kNotes[] = {
    {"OverlookCamera", "Range", "The light",
     "On a clear night a lighthouse on a high headland is seen more than twenty nautical miles out."},
    {"OverlookCamera", "Character", "Its own rhythm",
     "Every light flashes in a pattern of its own, so that a navigator can tell which one he sees."},
    {"LanternCamera", "Lens", "The lens",
     "Rings of glass prisms gather the lamp's light into beams that sweep round the horizon."},
    {"OrbitCamera", "Daymark", "The daymark",
     "By day the red and white bands tell sailors which tower stands on this headland."},
    {"SeaLevelCamera", "Swell", "The swell", "Waves raised by distant storms may cross an ocean before they break here."},
    {"CottageCamera", "Keeper", "The keeper",
     "Keepers trimmed the wick and wound the clockwork that turned the lens every few hours of the night."},
    {"CliffsCamera", "Gulls", "Seabirds", "Gulls nest on narrow cliff ledges, out of the reach of foxes and rats."},
    {"MoonpathCamera", "Tides", "The tides", "The moon's pull lifts the sea twice in a little over a day."},
    {"AerialCamera", "Reef", "Hidden rocks", "A lighthouse marks the rocks and reefs that lie out of sight below the water."},
};

void AddFile(Directory& folder, const std::string& name, const void* bytes, size_t size, bool& ok)
{
    MemoryFile* file = new (std::nothrow) MemoryFile(String(name.c_str()));
    if (!file || file->CopyData(bytes, static_cast<uint32_t>(size)) != kSuccess || folder.AttachFile(file) != kSuccess) {
        delete file;
        ok = false;
    }
}

}  // namespace

std::string Messages::FontFile()
{
#ifdef _WIN32
    return "Z:/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
#else
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
#endif
}

std::string Messages::Configuration()
{
    std::string text = "<LS>\n <Textures><Texture><Name>Glyphs</Name><File>";
    text += kFontPicture;
    text += "</File></Texture></Textures>\n <Fonts><Font><Name>Sans</Name><Texture>Glyphs</Texture><ParamsFile>";
    text += kFontParameters;
    text += "</ParamsFile></Font></Fonts>\n";
    // Glyph sizes keep the font's proportions on a 4:3 screen (a square font picture).
    text += " <Styles>\n"
            "  <Style><Name>Title</Name><Font>Sans</Font><Size>0.33, 0.44</Size><Color>1, 0.86, 0.6, 1</Color></Style>\n"
            "  <Style><Name>Body</Name><Font>Sans</Font><Size>0.25, 0.33</Size><Color>0.86, 0.9, 0.96, 1</Color></Style>\n"
            " </Styles>\n <Messages>\n";
    for (const Note& note : kNotes) {
        text += "  <Message><Name>";
        text += note.name;
        text += "</Name><Position>0.04, 0.05</Position><Size>0.46, 0.2</Size>"
                "<BackColor>0.02, 0.04, 0.08, 0.45</BackColor><Borders>0.016, 0.02, 0.016, 0.02</Borders><Value>{Title}";
        text += note.title;
        text += "\n{Body}";
        text += note.body;
        text += "</Value></Message>\n";
    }
    text += " </Messages>\n <Activators>\n";
    for (size_t i = 0; i < std::size(kNotes); ++i) {
        const std::string camera = kNotes[i].camera;
        if (i > 0 && camera == kNotes[i - 1].camera)
            continue;
        text += "  <Activator><Camera>" + camera + "</Camera><Messages>";
        for (const Note& note : kNotes)
            if (camera == note.camera)
                text += std::string("<M>") + note.name + "</M>";
        text += "</Messages><InTime>2</InTime><FadeTime>0.8</FadeTime><ShowTime>6</ShowTime><OutTime>4</OutTime>"
                "</Activator>\n";
    }
    text += " </Activators>\n</LS>\n";
    return text;
}

Result Messages::Make(Ptr<Image>& picture, std::vector<Text>& texts)
{
    const std::string path = FontFile();
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        Error("Не удалось прочитать шрифт [%s].", path.c_str());
        return kFailure;
    }
    art::GlyphAtlas atlas;
    if (font.empty() || atlas.Make(font, kFontPixels, 32, 126, kFontPictureSize, kFontPictureSize) != kSuccess) {
        Error("Не удалось построить текстурный шрифт из [%s].", path.c_str());
        return kFailure;
    }
    picture = atlas.ToImage(String(kFontPicture));
    if (!picture)
        return kOutOfMemory;
    picture->SetFileName(String(kFontPicture));
    texts = {{kConfigFile, Configuration()}, {kFontParameters, atlas.Parameters()}};
    return kSuccess;
}

Result Messages::Add(SceneNode& root, const Image& picture, const std::vector<Text>& texts)
{
    std::vector<uint8_t> encoded;
    if (MediaSet::EncodePicture(picture, encoded) != kSuccess)
        return kFailure;
    // The configuration is read once here, from the same bytes the archive will carry, so that
    // a mistake in it stops the build instead of leaving the saver silent.
    Directory* folder = new (std::nothrow) Directory(String("MessagesBuild"));
    if (!folder)
        return kOutOfMemory;
    bool ok = FileManager::Root()->AttachDirectory(folder) == kSuccess;
    if (!ok)
        delete folder;
    for (const Text& text : texts)
        if (ok)
            AddFile(*folder, text.name, text.bytes.data(), text.bytes.size(), ok);
    if (ok)
        AddFile(*folder, kFontPicture, encoded.data(), encoded.size(), ok);
    Ptr<LearnSystem> learn = new LearnSystem();
    learn->SetName(String("Messages"));
    if (ok) {
        learn->SetConfigFile(String(kConfigFile));
        ok = learn->FontCount() == 1 && learn->Messages().size() == std::size(kNotes) && !learn->Activators().empty();
        for (const LearnMessage& message : learn->Messages())
            ok = ok && message.Runs().size() >= 2;
        delete folder;  // Detaches itself from the tree.
    }
    if (!ok) {
        Error("Не удалось построить экранные сообщения.");
        return kFailure;
    }
    return root.AttachChild(learn.Get());
}

}  // namespace zen::scene
