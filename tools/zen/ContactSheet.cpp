#include "zen/ContactSheet.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "modules/codecs/BMPImageCodec.h"
#include "tools/art/Lettering.h"
#include "tools/art/PngWriter.h"

namespace zen::tool {

ContactSheet::ContactSheet(int count, int columns, int thumbWidth, int thumbHeight)
    : m_columns(columns),
      m_thumbWidth(thumbWidth),
      m_thumbHeight(thumbHeight),
      m_sheet(columns * (thumbWidth + kGap) + kGap,
              ((count + columns - 1) / columns) * (thumbHeight + kLabel + kGap) + kGap, art::Color(0.06f, 0.06f, 0.07f))
{
}

bool ContactSheet::Add(int index, const std::string& name, const std::filesystem::path& picture)
{
    std::ifstream in(picture, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Ptr<Image> frame = new Image();
    if (bytes.empty() ||
        BMPImageCodec::DecodeBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), String(name.c_str()),
                                   frame.Get()) != kSuccess ||
        frame->Format() != Image::kR8G8B8 || frame->Width() == 0 || frame->Height() == 0)
        return false;
    art::Canvas thumb(static_cast<int>(frame->Width()), static_cast<int>(frame->Height()));
    thumb.Shade([&](art::Vec2 c, art::Color) {
        const uint32_t x = static_cast<uint32_t>(c.x), y = frame->Height() - 1 - static_cast<uint32_t>(c.y);
        const uint8_t* p = frame->Data() + (static_cast<size_t>(y) * frame->Width() + x) * 3;
        return art::Color(p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f);
    });
    const int left = kGap + (index % m_columns) * (m_thumbWidth + kGap);
    const int top = kGap + (index / m_columns) * (m_thumbHeight + kLabel + kGap);
    m_sheet.Draw(thumb.Resampled(m_thumbWidth, m_thumbHeight), left, top);
    art::TextStyle style;
    style.capHeight = 14;
    art::Lettering::Draw(m_sheet, name, {static_cast<float>(left + 4), static_cast<float>(top + m_thumbHeight + 20)},
                         art::Align::kLeft, style);
    return true;
}

bool ContactSheet::Write(const std::filesystem::path& png) const
{
    Ptr<Image> image = m_sheet.ToImage(Image::kR8G8B8, String(png.filename().string().c_str()));
    std::vector<uint8_t> bytes;
    if (!image || art::PngWriter::Encode(*image, bytes) != kSuccess)
        return false;
    std::ofstream out(png, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace zen::tool
