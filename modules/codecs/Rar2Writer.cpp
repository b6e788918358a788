#include "modules/codecs/Rar2Writer.h"

#include <new>

#include "engine/core/Crc32.h"
#include "modules/codecs/Rar2Decryptor.h"
#include "modules/codecs/Rar2Format.h"
#include "modules/codecs/Rar2Name.h"
#include "modules/codecs/Rar2Packer.h"

namespace zen {

using namespace rar2;

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Fills in the CRC16 of the header that starts at `start` and runs to the end of `out`.
void SealHeader(std::vector<uint8_t>& out, size_t start)
{
    const uint32_t crc = Crc32::Compute(out.data() + start + 2, out.size() - start - 2);
    out[start] = static_cast<uint8_t>(crc);
    out[start + 1] = static_cast<uint8_t>(crc >> 8);
}

}  // namespace

Result Rar2Writer::Add(std::string name, std::string unicode, bool directory, const uint8_t* data, uint32_t size)
{
    for (char& c : name)
        if (c == '/')
            c = '\\';
    if (name.empty() || name.size() > kMaxNameLength || name.size() + 1 + unicode.size() > 0xFFFF ||
        (size > 0 && data == nullptr))
        return kInvalidArgument;
    try {
        Item item;
        item.name = std::move(name);
        item.unicode = std::move(unicode);
        item.directory = directory;
        if (!directory)
            item.data.assign(data, data + size);
        m_items.push_back(std::move(item));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    return kSuccess;
}

Result Rar2Writer::AddUnicode(std::u16string_view name, bool directory, const uint8_t* data, uint32_t size)
{
    std::u16string path(name);
    for (char16_t& c : path)
        if (c == u'/')
            c = u'\\';
    std::string oem;
    (void)Rar2Name::ToCp866(path, oem);
    bool ascii = true;
    for (char16_t c : path)
        ascii = ascii && c < 0x80;
    return Add(std::move(oem), ascii ? std::string() : Rar2Name::EncodeUnicode(path), directory, data, size);
}

Result Rar2Writer::AddDirectory(std::string_view name)
{
    return Add(std::string(name), std::string(), true, nullptr, 0);
}

Result Rar2Writer::AddDirectory(std::u16string_view name)
{
    return AddUnicode(name, true, nullptr, 0);
}

Result Rar2Writer::AddFile(std::string_view name, const uint8_t* data, uint32_t size)
{
    return Add(std::string(name), std::string(), false, data, size);
}

Result Rar2Writer::AddFile(std::u16string_view name, const uint8_t* data, uint32_t size)
{
    return AddUnicode(name, false, data, size);
}

Result Rar2Writer::Write(std::vector<uint8_t>& out) const
{
    out.clear();
    try {
        for (uint8_t byte : kMarker)
            out.push_back(byte);

        size_t start = out.size();
        Put16(out, 0);
        out.push_back(kBlockMain);
        Put16(out, 0);  // Not solid, no comment.
        Put16(out, kMainHeaderSize);
        Put16(out, 0);  // Reserved.
        Put32(out, 0);
        SealHeader(out, start);

        Rar2Packer packer;
        std::vector<uint8_t> packed;
        for (const Item& item : m_items) {
            const uint32_t size = static_cast<uint32_t>(item.data.size());
            uint8_t method = kMethodStore;
            uint16_t flags = kLongBlock;
            if (item.directory) {
                flags |= kFileDirectory;
                packed.clear();
            } else {
                packed.assign(item.data.begin(), item.data.end());
                if (m_method == Method::kCompress && size > 0) {
                    std::vector<uint8_t> compressed;
                    const Result result = packer.Pack(item.data.data(), size, compressed);
                    if (result != kSuccess)
                        return result;
                    if (compressed.size() < packed.size()) {
                        packed.swap(compressed);
                        method = kMethodNormal;
                        flags |= kFileWindow1024;
                    }
                }
                if (!m_password.empty()) {
                    // Whole cipher blocks: the reader drops what lies past the data.
                    packed.resize((packed.size() + Rar2Decryptor::kBlockSize - 1) / Rar2Decryptor::kBlockSize *
                                  Rar2Decryptor::kBlockSize);
                    Rar2Decryptor cipher(m_password);
                    cipher.Encrypt(packed.data(), packed.size());
                    flags |= kFileEncrypted;
                }
            }
            if (!item.unicode.empty())
                flags |= kFileUnicode;

            const uint32_t nameSize =
                static_cast<uint32_t>(item.name.size() + (item.unicode.empty() ? 0 : 1 + item.unicode.size()));
            const uint32_t headerSize = kFileHeaderSize + nameSize;
            if (headerSize > 0xFFFF || out.size() + headerSize + packed.size() > 0xFFFFFFF0u)
                return kFailure;

            start = out.size();
            Put16(out, 0);
            out.push_back(kBlockFile);
            Put16(out, flags);
            Put16(out, headerSize);
            Put32(out, static_cast<uint32_t>(packed.size()));
            Put32(out, size);
            out.push_back(kHostWin32);
            Put32(out, item.directory ? 0 : Crc32::Compute(item.data.data(), item.data.size()));
            Put32(out, m_time);
            out.push_back(kUnpackVersion);
            out.push_back(method);
            Put16(out, nameSize);
            Put32(out, item.directory ? kAttributeDirectory : kAttributeArchive);
            out.insert(out.end(), item.name.begin(), item.name.end());
            if (!item.unicode.empty()) {
                out.push_back(0);
                out.insert(out.end(), item.unicode.begin(), item.unicode.end());
            }
            SealHeader(out, start);
            out.insert(out.end(), packed.begin(), packed.end());
        }

        start = out.size();
        Put16(out, 0);
        out.push_back(kBlockEnd);
        Put16(out, 0x4000);
        Put16(out, kBlockHeaderSize);
        SealHeader(out, start);
    } catch (const std::bad_alloc&) {
        out.clear();
        return kOutOfMemory;
    }
    return kSuccess;
}

}  // namespace zen
