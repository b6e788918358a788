#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/core/Crc32.h"
#include "modules/codecs/Rar2Archive.h"
#include "modules/codecs/Rar2Extractor.h"
#include "modules/codecs/Rar2Name.h"
#include "tests/codecs/Rar2TestData.h"

namespace zen::test {
namespace {

struct Extracted {
    Rar2EntryStatus status;
    std::vector<uint8_t> data;
    Rar2Entry entry;
};

// Entries of an archive by their UTF-8 path ("/" between directories).
std::map<std::string, Extracted> ExtractFile(const std::string& file, const std::string& password = "")
{
    std::map<std::string, Extracted> result;
    const std::vector<uint8_t> bytes = ReadBinaryFile(Rar2DataPath(file));
    Rar2Archive archive;
    EXPECT_EQ(archive.Open(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess) << file;
    EXPECT_FALSE(archive.IsTruncated()) << file;
    Rar2Extractor extractor;
    EXPECT_EQ(extractor.ExtractAll(archive, password,
                                   [&](uint32_t, const Rar2Entry& entry, Rar2EntryStatus status,
                                       std::vector<uint8_t>& data) {
                                       std::string name = entry.unicodeName.empty()
                                                              ? Rar2Name::ToUtf8(Rar2Name::FromCp866(entry.name))
                                                              : Rar2Name::ToUtf8(entry.unicodeName);
                                       for (char& c : name)
                                           if (c == '\\')
                                               c = '/';
                                       result[name] = Extracted{status, std::move(data), entry};
                                   }),
              kSuccess);
    return result;
}

TEST(Rar2Extractor, EveryManifestEntryExtracts)
{
    const std::vector<Rar2ManifestLine> manifest = ReadRar2Manifest();
    ASSERT_EQ(manifest.size(), 29u);
    std::map<std::string, std::map<std::string, Extracted>> archives;
    for (const Rar2ManifestLine& line : manifest) {
        if (!archives.count(line.archive)) {
            const std::string password = line.archive.find("pw-password") != std::string::npos ? "password" : "";
            archives[line.archive] = ExtractFile(line.archive, password);
        }
        auto& entries = archives[line.archive];
        std::string name = line.entry;
        const bool directory = !name.empty() && name.back() == '/';
        if (directory)
            name.pop_back();
        SCOPED_TRACE(line.archive + " " + line.entry);
        ASSERT_TRUE(entries.count(name));
        const Extracted& got = entries[name];
        if (directory) {
            EXPECT_EQ(got.status, Rar2EntryStatus::kDirectory);
            continue;
        }
        if (!line.hasData) {
            // The symbolic link: kept as a plain file holding the link text.
            EXPECT_TRUE(got.entry.IsSymbolicLink());
            EXPECT_EQ(got.status, Rar2EntryStatus::kExtracted);
            EXPECT_EQ(std::string(got.data.begin(), got.data.end()), "test.txt");
            continue;
        }
        EXPECT_EQ(got.status, Rar2EntryStatus::kExtracted);
        EXPECT_EQ(got.data.size(), line.size);
        EXPECT_EQ(Crc32::Compute(got.data.data(), got.data.size()), line.crc);
    }
}

}  // namespace
}  // namespace zen::test
