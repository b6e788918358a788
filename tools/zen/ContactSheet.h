#pragma once
#include <filesystem>
#include <string>

#include "tools/art/Canvas.h"

namespace zen::tool {

// A contact sheet of the pictures `zen render` drew for a gallery: `count` thumbnails of
// `thumbWidth` x `thumbHeight` in rows of `columns`, each labelled with its name underneath,
// on a dark ground, written as a PNG.
class ContactSheet {
public:
    ContactSheet(int count, int columns, int thumbWidth, int thumbHeight);

    // Reads the BMP `picture` (as `zen render --shot` writes it, R8G8B8) into cell `index`,
    // scaled to the thumbnail's size, and writes `name` under it. False when it cannot be read.
    bool Add(int index, const std::string& name, const std::filesystem::path& picture);
    // False when the file cannot be written.
    bool Write(const std::filesystem::path& png) const;

private:
    static constexpr int kLabel = 28, kGap = 8;

    int m_columns;
    int m_thumbWidth, m_thumbHeight;
    art::Canvas m_sheet;
};

}  // namespace zen::tool
