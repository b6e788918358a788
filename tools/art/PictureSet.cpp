#include "tools/art/PictureSet.h"

#include <functional>

#include "engine/core/MessageLog.h"
#include "modules/codecs/BMPImageCodec.h"
#include "modules/codecs/JPGImageCodec.h"
#include "modules/codecs/Rar2Writer.h"
#include "modules/codecs/TGAImageCodec.h"
#include "tools/art/Canvas.h"
#include "tools/art/ClockGlyphs.h"
#include "tools/art/DialogPictures.h"
#include "tools/art/LoaderCorners.h"
#include "tools/art/LoaderPicture.h"

namespace zen::art {
namespace {

enum class Kind { kJpeg, kTarga, kBitmap };

struct Recipe {
    const char* name;
    Kind kind;
    int width;
    int height;
    std::function<Canvas()> draw;
};

Recipe Corner(const char* name, LoaderCorners::Corner corner)
{
    return {name, Kind::kTarga, LoaderCorners::Width(corner), LoaderCorners::Height(corner),
            [corner] { return LoaderCorners::Draw(corner); }};
}

std::vector<Recipe> MakeRecipes()
{
    using C = LoaderCorners::Corner;
    std::vector<Recipe> recipes = {
        {"loader.jpg", Kind::kJpeg, LoaderPicture::kWidth, LoaderPicture::kHeight, &LoaderPicture::Draw},
        Corner("4loader_ld.tga", C::kLeftDown),
        Corner("4loader_rd.tga", C::kRightDown),
        Corner("4loader_lu.tga", C::kLeftUp),
        Corner("4loader_ru.tga", C::kRightUp),
    };
    for (const ClockGlyphs::Glyph& glyph : ClockGlyphs::Glyphs()) {
        const char c = glyph.character;
        recipes.push_back({glyph.file.c_str(), Kind::kTarga, ClockGlyphs::kSize, ClockGlyphs::kSize,
                           [c] { return ClockGlyphs::Draw(c); }});
    }
    recipes.push_back({"settings.bmp", Kind::kBitmap, DialogPictures::kSettingsWidth, DialogPictures::kSettingsHeight,
                       &DialogPictures::DrawSettings});
    recipes.push_back({"preview.bmp", Kind::kBitmap, DialogPictures::kPreviewWidth, DialogPictures::kPreviewHeight,
                       &DialogPictures::DrawPreview});
    recipes.push_back({"logo.bmp", Kind::kBitmap, DialogPictures::kLogoWidth, DialogPictures::kLogoHeight,
                       &DialogPictures::DrawLogo});
    return recipes;
}

const std::vector<Recipe>& Recipes()
{
    static const std::vector<Recipe> recipes = MakeRecipes();
    return recipes;
}

const Recipe* FindRecipe(std::string_view name)
{
    for (const Recipe& recipe : Recipes())
        if (name == recipe.name)
            return &recipe;
    return nullptr;
}

}  // namespace

std::vector<std::string> PictureSet::Names()
{
    std::vector<std::string> names;
    for (const Recipe& recipe : Recipes())
        names.emplace_back(recipe.name);
    return names;
}

bool PictureSet::Size(std::string_view name, int& width, int& height)
{
    const Recipe* recipe = FindRecipe(name);
    if (!recipe)
        return false;
    width = recipe->width;
    height = recipe->height;
    return true;
}

Result PictureSet::Make(std::string_view name, std::vector<uint8_t>& bytes)
{
    const Recipe* recipe = FindRecipe(name);
    if (!recipe)
        return kInvalidArgument;
    const Canvas canvas = recipe->draw();
    if (canvas.Width() != recipe->width || canvas.Height() != recipe->height) {
        Error("Изображение [%s] получилось размером %dx%d вместо %dx%d.", recipe->name, canvas.Width(), canvas.Height(),
              recipe->width, recipe->height);
        return kFailure;
    }
    const bool alpha = recipe->kind == Kind::kTarga;
    Ptr<Image> image = canvas.ToImage(alpha ? Image::kR8G8B8A8 : Image::kR8G8B8, String(recipe->name));
    if (!image)
        return kFailure;
    std::vector<uint8_t> out;
    Result result = kFailure;
    switch (recipe->kind) {
    case Kind::kJpeg:
        result = JPGImageCodec::EncodeBytes(image.Get(), out);
        break;
    case Kind::kTarga:
        result = TGAImageCodec::EncodeBytes(image.Get(), out);
        break;
    case Kind::kBitmap:
        result = BMPImageCodec::EncodeBytes(image.Get(), out);
        break;
    }
    if (result != kSuccess)
        return kFailure;
    bytes = std::move(out);
    return kSuccess;
}

Result PictureSet::MakeAll(std::vector<Picture>& pictures)
{
    std::vector<Picture> out;
    for (const Recipe& recipe : Recipes()) {
        Picture picture{recipe.name, {}};
        if (Make(recipe.name, picture.bytes) != kSuccess)
            return kFailure;
        out.push_back(std::move(picture));
    }
    pictures = std::move(out);
    return kSuccess;
}

Result PictureSet::Pack(const std::vector<Picture>& pictures, std::vector<uint8_t>& archive)
{
    Rar2Writer writer(Rar2Writer::Method::kCompress);
    for (const Picture& picture : pictures) {
        if (picture.bytes.size() > 0xFFFFFFFFu ||
            writer.AddFile(std::string_view(picture.name), picture.bytes.data(),
                           static_cast<uint32_t>(picture.bytes.size())) != kSuccess) {
            Error("Невозможно добавить изображение [%s] в архив.", picture.name.c_str());
            return kFailure;
        }
    }
    std::vector<uint8_t> out;
    if (writer.Write(out) != kSuccess)
        return kFailure;
    archive = std::move(out);
    return kSuccess;
}

}  // namespace zen::art
