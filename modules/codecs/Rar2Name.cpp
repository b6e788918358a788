#include "modules/codecs/Rar2Name.h"

#include <array>

namespace zen {

namespace {

// Upper halves (bytes 0x80..0xFF) of the two code pages.
constexpr char16_t kCp866[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436,
    0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407,
    0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0};

constexpr char16_t kCp1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

std::u16string FromPage(std::string_view bytes, const char16_t* upper)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const uint8_t b = static_cast<uint8_t>(c);
        out.push_back(b < 0x80 ? static_cast<char16_t>(b) : upper[b - 0x80]);
    }
    return out;
}

bool ToPage(std::u16string_view name, const char16_t* upper, std::string& out)
{
    out.clear();
    bool exact = true;
    for (char16_t ch : name) {
        if (ch < 0x80) {
            out.push_back(static_cast<char>(ch));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 128; ++i) {
            if (upper[i] == ch) {
                found = i;
                break;
            }
        }
        if (found < 0) {
            exact = false;
            out.push_back('?');
        } else {
            out.push_back(static_cast<char>(0x80 + found));
        }
    }
    return exact;
}

}  // namespace

std::u16string Rar2Name::DecodeUnicode(std::string_view oem, const uint8_t* encoded, uint32_t encodedSize,
                                       uint32_t maxLength)
{
    std::u16string name;
    if (encoded == nullptr || encodedSize == 0)
        return name;
    uint32_t at = 0;
    const uint8_t high = encoded[at++];
    uint32_t flags = 0;
    uint32_t flagBits = 0;
    // Each pair of flag bits says how the next characters are coded: 0 one low byte, 1 one
    // byte with the common high byte, 2 two bytes, 3 a run copied from the OEM name (with a
    // correction added to each byte when the run's top bit is set).
    while (at < encodedSize && name.size() < maxLength) {
        if (flagBits == 0) {
            flags = encoded[at++];
            flagBits = 8;
        }
        switch (flags >> 6) {
        case 0:
            if (at >= encodedSize)
                return name;
            name.push_back(encoded[at++]);
            break;
        case 1:
            if (at >= encodedSize)
                return name;
            name.push_back(static_cast<char16_t>(encoded[at++] | high << 8));
            break;
        case 2:
            if (at + 1 >= encodedSize)
                return name;
            name.push_back(static_cast<char16_t>(encoded[at] | encoded[at + 1] << 8));
            at += 2;
            break;
        default: {
            if (at >= encodedSize)
                return name;
            uint32_t run = encoded[at++];
            if ((run & 0x80) != 0) {
                if (at >= encodedSize)
                    return name;
                const uint8_t correction = encoded[at++];
                for (run = (run & 0x7F) + 2; run > 0 && name.size() < maxLength; --run) {
                    const size_t position = name.size();
                    const uint8_t base = position < oem.size() ? static_cast<uint8_t>(oem[position]) : 0;
                    name.push_back(static_cast<char16_t>(static_cast<uint8_t>(base + correction) | high << 8));
                }
            } else {
                for (run += 2; run > 0 && name.size() < maxLength; --run) {
                    const size_t position = name.size();
                    name.push_back(position < oem.size() ? static_cast<uint8_t>(oem[position]) : 0);
                }
            }
            break;
        }
        }
        flags = (flags << 2) & 0xFF;
        flagBits -= 2;
    }
    return name;
}

std::string Rar2Name::EncodeUnicode(std::u16string_view name)
{
    // The common high byte is that of the first character above 0xFF (Cyrillic names: 0x04).
    uint8_t high = 0;
    for (char16_t ch : name) {
        if (ch > 0xFF) {
            high = static_cast<uint8_t>(ch >> 8);
            break;
        }
    }
    std::string out;
    out.push_back(static_cast<char>(high));
    size_t flagsAt = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const uint32_t slot = i % 4;
        if (slot == 0) {
            flagsAt = out.size();
            out.push_back(0);
        }
        const char16_t ch = name[i];
        uint32_t mode;
        if (ch <= 0xFF) {
            mode = 0;
            out.push_back(static_cast<char>(ch));
        } else if ((ch >> 8) == high) {
            mode = 1;
            out.push_back(static_cast<char>(ch & 0xFF));
        } else {
            mode = 2;
            out.push_back(static_cast<char>(ch & 0xFF));
            out.push_back(static_cast<char>(ch >> 8));
        }
        out[flagsAt] = static_cast<char>(static_cast<uint8_t>(out[flagsAt]) | mode << (6 - 2 * slot));
    }
    return out;
}

bool Rar2Name::IsSafe(std::string_view name)
{
    if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string_view::npos)
        return false;
    for (const std::string& part : SplitPath(name))
        if (part == "..")
            return false;
    return true;
}

std::vector<std::string> Rar2Name::SplitPath(std::string_view path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.emplace_back(part);
        start = end + 1;
    }
    return parts;
}

bool Rar2Name::ToCp1251(std::u16string_view name, std::string& out)
{
    return ToPage(name, kCp1251, out);
}

bool Rar2Name::ToCp866(std::u16string_view name, std::string& out)
{
    return ToPage(name, kCp866, out);
}

std::u16string Rar2Name::FromCp866(std::string_view bytes)
{
    return FromPage(bytes, kCp866);
}

std::u16string Rar2Name::FromCp1251(std::string_view bytes)
{
    return FromPage(bytes, kCp1251);
}

std::string Rar2Name::ToUtf8(std::u16string_view name)
{
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        uint32_t code = name[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
            name[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (name[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;  // A lone surrogate.
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | code >> 6));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | code >> 12));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | code >> 18));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

bool Rar2Name::FromUtf8(std::string_view bytes, std::u16string& out)
{
    out.clear();
    bool valid = true;
    size_t i = 0;
    while (i < bytes.size()) {
        const uint8_t lead = static_cast<uint8_t>(bytes[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        // Continuation bytes after the lead; 0 marks a byte that cannot lead.
        const uint32_t count = lead >= 0xF5 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
        if (count == 0 || i + count >= bytes.size()) {
            valid = false;
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t code = lead & (0x3F >> count);
        bool good = true;
        for (uint32_t k = 1; k <= count; ++k) {
            const uint8_t next = static_cast<uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                good = false;
                break;
            }
            code = code << 6 | (next & 0x3F);
        }
        const uint32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
        if (!good || code < minimum[count] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
            valid = false;
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += count + 1;
    }
    return valid;
}

}  // namespace zen
