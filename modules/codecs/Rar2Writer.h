#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Result.h"

namespace zen {

// Builds a RAR 2.0 archive in memory from a list of directories and files: the marker, a main
// header, one file header per entry in the order they were added (with header CRCs and the
// CRC-32 of each file), and an end block. Files are stored (method 0x30) or compressed with
// Rar2Packer (0x33), whichever is smaller; unpack version 20. With a password every file's data
// is encrypted with the RAR 2.0 cipher. Names are given with "/" or "\" between directories and
// stored with "\".
class Rar2Writer {
public:
    enum class Method : uint8_t { kStore, kCompress };

    static constexpr uint32_t kDefaultTime = 0x28210000;  // 2000-01-01 00:00:00 as a DOS date and time.

    explicit Rar2Writer(Method method = Method::kCompress) : m_method(method) {}

    // Settings
    void SetPassword(std::string_view password) { m_password = password; }
    void SetFileTime(uint32_t dosTime) { m_time = dosTime; }

    // Entries. A byte name is stored as it is (ASCII, or the OEM code page); a Unicode name is
    // stored in code page 866 with its Unicode form beside it unless it is plain ASCII.
    // kInvalidArgument for an empty name or one longer than 259 bytes; kOutOfMemory.
    Result AddDirectory(std::string_view name);
    Result AddDirectory(std::u16string_view name);
    Result AddFile(std::string_view name, const uint8_t* data, uint32_t size);
    Result AddFile(std::u16string_view name, const uint8_t* data, uint32_t size);

    // The whole archive into `out` (replacing its content): kSuccess; kFailure when the archive
    // would not fit in 4 GiB; kOutOfMemory.
    [[nodiscard]] Result Write(std::vector<uint8_t>& out) const;

private:
    struct Item {
        std::string name;     // Stored bytes, "\" between directories.
        std::string unicode;  // Encoded Unicode form; empty when there is none.
        bool directory = false;
        std::vector<uint8_t> data;
    };

    Result Add(std::string name, std::string unicode, bool directory, const uint8_t* data, uint32_t size);
    Result AddUnicode(std::u16string_view name, bool directory, const uint8_t* data, uint32_t size);

    Method m_method;
    std::string m_password;
    uint32_t m_time = kDefaultTime;
    std::vector<Item> m_items;
};

}  // namespace zen
