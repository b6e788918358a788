#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zen {

// Names inside RAR 2.x archives. A stored name is bytes with "\" between directories, in the
// OEM code page (866 for Russian systems) when written on DOS or Windows; archives made by
// later RAR versions add a Unicode form after a zero byte (header flag 0x200) because the OEM
// form may be lossy ("????.txt"). These helpers decode and encode that Unicode form, convert
// between the code pages involved (866, 1251, UTF-8, UTF-16), and decide whether a name is
// safe to extract: relative, with no ".." part, no drive or stream colon.
class Rar2Name {
public:
    // Unicode form (flag 0x200): `oem` is the name before the zero byte, `encoded` what follows.
    // Decodes at most `maxLength` characters; stops cleanly at the end of the encoded bytes.
    static std::u16string DecodeUnicode(std::string_view oem, const uint8_t* encoded, uint32_t encodedSize,
                                        uint32_t maxLength);
    // The encoded bytes for `name` (to follow the OEM form and its zero byte).
    static std::string EncodeUnicode(std::u16string_view name);

    // True when the name, split at "\" and "/", is relative (no leading separator, no colon
    // anywhere, so no drive letter or stream name) and has no ".." part. Empty names are unsafe.
    static bool IsSafe(std::string_view name);
    // The parts of a stored path split at "\" and "/", without empty and "." parts.
    static std::vector<std::string> SplitPath(std::string_view path);

    // Code pages. ToCp1251 and ToCp866 give false when a character has no byte in that page
    // (`out` then holds "?" in its place).
    static bool ToCp1251(std::u16string_view name, std::string& out);
    static bool ToCp866(std::u16string_view name, std::string& out);
    static std::u16string FromCp866(std::string_view bytes);
    static std::u16string FromCp1251(std::string_view bytes);
    static std::string ToUtf8(std::u16string_view name);
    // False for bytes that are not well-formed UTF-8 (`out` then holds U+FFFD for them).
    static bool FromUtf8(std::string_view bytes, std::u16string& out);
};

}  // namespace zen
