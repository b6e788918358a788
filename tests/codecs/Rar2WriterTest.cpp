#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "modules/codecs/Rar2Archive.h"
#include "modules/codecs/Rar2Extractor.h"
#include "modules/codecs/Rar2Format.h"
#include "modules/codecs/Rar2Name.h"
#include "modules/codecs/Rar2Packer.h"
#include "modules/codecs/Rar2Unpacker.h"
#include "modules/codecs/Rar2Writer.h"
#include "support/ToolOutput.h"
#include "tests/codecs/ImageTestSupport.h"
#include "tests/codecs/Rar2TestData.h"

namespace zen::test {
namespace {

std::vector<uint8_t> TextLike(uint32_t size, uint32_t seed)
{
    static const char* const kWords[] = {"camera ", "light ", "node ", "the ", "scene ", "texture ", "bloom ",
                                         "particle ", "\r\n", "0.25 ", "1.0 ", "mesh_", "{ ", "} "};
    std::mt19937 random(seed);
    std::vector<uint8_t> out;
    while (out.size() < size) {
        const char* word = kWords[random() % (sizeof(kWords) / sizeof(kWords[0]))];
        for (const char* c = word; *c && out.size() < size; ++c)
            out.push_back(static_cast<uint8_t>(*c));
    }
    return out;
}

std::vector<uint8_t> RandomBytes(uint32_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> out(size);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(random());
    return out;
}

// Structured binary: runs, repeats at every distance class, a few random stretches.
std::vector<uint8_t> MixedBinary(uint32_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> out;
    out.reserve(size);
    while (out.size() < size) {
        const uint32_t kind = random() % 4;
        const uint32_t length = 2 + random() % 300;
        if (kind == 0 || out.size() < 16) {
            for (uint32_t i = 0; i < length; ++i)
                out.push_back(static_cast<uint8_t>(random()));
        } else if (kind == 1) {
            out.insert(out.end(), length, static_cast<uint8_t>(random()));
        } else {
            // A copy from far (kind 2) or near (kind 3) back.
            const uint32_t reach = kind == 2 ? static_cast<uint32_t>(out.size()) : std::min<uint32_t>(300, out.size());
            const size_t from = out.size() - 1 - random() % reach;
            for (uint32_t i = 0; i < length; ++i)
                out.push_back(out[from + i]);
        }
    }
    out.resize(size);
    return out;
}

// Round trip of one stream through the packer and our unpacker.
std::vector<uint8_t> PackAndUnpack(const std::vector<uint8_t>& data, size_t* packedSize = nullptr)
{
    Rar2Packer packer;
    std::vector<uint8_t> packed;
    EXPECT_EQ(packer.Pack(data.data(), static_cast<uint32_t>(data.size()), packed), kSuccess);
    if (packedSize)
        *packedSize = packed.size();
    Rar2Unpacker unpacker;
    std::vector<uint8_t> out;
    EXPECT_EQ(unpacker.Unpack(packed.data(), static_cast<uint32_t>(packed.size()),
                              static_cast<uint32_t>(data.size()), false, out),
              kSuccess);
    return out;
}

TEST(Rar2Packer, RoundTripsThroughTheUnpackerAndCompressesRedundantData)
{
    const struct {
        std::vector<uint8_t> data;
        size_t packedAtMost;  // 0: no bound.
    } cases[] = {
        {{0x41}, 0},
        {{1, 2}, 0},
        {{7, 7, 7}, 0},
        {std::vector<uint8_t>(1 << 20, 0), 2000},
        {TextLike(200000, 4), 200000 / 3},
        {MixedBinary(200000, 2), 0},
        {RandomBytes(5000, 3), 0},
        {ReadFileBytes(Rar2DataPath("BoatModernEnglish.wav")), 0},
        {ReadFileBytes(Rar2DataPath("zxtune_etalon.bin")), 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        size_t packed = 0;
        EXPECT_EQ(PackAndUnpack(cases[i].data, &packed), cases[i].data);
        if (cases[i].packedAtMost) {
            EXPECT_LT(packed, cases[i].packedAtMost);
        }
    }
}

TEST(Rar2Packer, HandlesInputsBeyondTheWindowAndManyBlocks)
{
    // 2.5 MiB: matches reach back close to the 1 MiB limit and the window wraps twice.
    std::vector<uint8_t> data = MixedBinary(2621440, 5);
    const std::vector<uint8_t> head(data.begin(), data.begin() + 4096);
    std::copy(head.begin(), head.end(), data.begin() + 1048000);  // ~1 MiB back: just inside the window.
    std::copy(head.begin(), head.end(), data.begin() + 2200000);  // Farther than the window allows.
    EXPECT_EQ(PackAndUnpack(data), data);
}

// Writer output read back by our own reader.
std::map<std::string, std::vector<uint8_t>> ReadBack(const std::vector<uint8_t>& archiveBytes,
                                                     const std::string& password = "")
{
    std::map<std::string, std::vector<uint8_t>> files;
    Rar2Archive archive;
    EXPECT_EQ(archive.Open(archiveBytes.data(), static_cast<uint32_t>(archiveBytes.size())), kSuccess);
    EXPECT_FALSE(archive.IsTruncated());
    Rar2Extractor extractor;
    EXPECT_EQ(extractor.ExtractAll(archive, password,
                                   [&](uint32_t, const Rar2Entry& entry, Rar2EntryStatus status,
                                       std::vector<uint8_t>& data) {
                                       const std::string name = entry.unicodeName.empty()
                                                                    ? entry.name
                                                                    : Rar2Name::ToUtf8(entry.unicodeName);
                                       if (status == Rar2EntryStatus::kDirectory)
                                           files[name + "\\"] = {};
                                       else if (status == Rar2EntryStatus::kExtracted)
                                           files[name] = std::move(data);
                                       else
                                           ADD_FAILURE() << name << " status " << static_cast<int>(status);
                                   }),
              kSuccess);
    return files;
}

struct SampleTree {
    std::map<std::string, std::vector<uint8_t>> files;  // UTF-8 path with "\" -> bytes.
    std::vector<std::string> directories;
};

SampleTree MakeSampleTree()
{
    SampleTree tree;
    tree.directories = {"Textures", "Textures\\Sky", "Empty", Utf8(u8"Звуки")};
    tree.files["Main.STR"] = TextLike(150000, 10);
    tree.files["Textures\\Rock.tga"] = MixedBinary(90000, 11);
    tree.files["Textures\\Sky\\Noise.bin"] = RandomBytes(20000, 12);
    tree.files["Textures\\Sky\\Zero.raw"] = std::vector<uint8_t>(300000, 0);
    tree.files["empty.txt"] = {};
    tree.files["one.txt"] = {'x'};
    tree.files[Utf8(u8"Звуки\\Ветер.wav")] = ReadFileBytes(Rar2DataPath("BoatModernEnglish.wav"));
    tree.files["etalon.bin"] = ReadFileBytes(Rar2DataPath("zxtune_etalon.bin"));
    return tree;
}

std::vector<uint8_t> WriteSampleTree(const SampleTree& tree, Rar2Writer::Method method, const std::string& password)
{
    Rar2Writer writer(method);
    writer.SetPassword(password);
    for (const std::string& directory : tree.directories) {
        std::u16string name;
        EXPECT_TRUE(Rar2Name::FromUtf8(directory, name));
        EXPECT_EQ(writer.AddDirectory(name), kSuccess);
    }
    for (const auto& [path, bytes] : tree.files) {
        std::u16string name;
        EXPECT_TRUE(Rar2Name::FromUtf8(path, name));
        EXPECT_EQ(writer.AddFile(name, bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    }
    std::vector<uint8_t> archive;
    EXPECT_EQ(writer.Write(archive), kSuccess);
    return archive;
}

TEST(Rar2Writer, RoundTripsThroughOurReader)
{
    const SampleTree tree = MakeSampleTree();
    for (const auto method : {Rar2Writer::Method::kStore, Rar2Writer::Method::kCompress}) {
        for (const std::string password : {"", "secret word"}) {
            SCOPED_TRACE(static_cast<int>(method));
            SCOPED_TRACE(password);
            const std::vector<uint8_t> archive = WriteSampleTree(tree, method, password);
            auto files = ReadBack(archive, password);
            for (const std::string& directory : tree.directories)
                EXPECT_TRUE(files.count(directory + "\\")) << directory;
            for (const auto& [path, bytes] : tree.files) {
                ASSERT_TRUE(files.count(path)) << path;
                EXPECT_EQ(files[path], bytes) << path;
            }
            EXPECT_EQ(files.size(), tree.files.size() + tree.directories.size());
        }
    }
}

TEST(Rar2Writer, ChoosesStoreForIncompressibleDataAndWritesHeadersTheReaderChecks)
{
    const std::vector<uint8_t> noise = RandomBytes(4000, 20);
    const std::vector<uint8_t> text = TextLike(4000, 21);
    Rar2Writer writer;
    ASSERT_EQ(writer.AddFile("noise.bin", noise.data(), 4000), kSuccess);
    ASSERT_EQ(writer.AddFile("dir/text.txt", text.data(), 4000), kSuccess);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(writer.Write(bytes), kSuccess);

    Rar2Archive archive;
    ASSERT_EQ(archive.Open(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), 2u);
    EXPECT_EQ(archive.Entry(0).method, rar2::kMethodStore);
    EXPECT_EQ(archive.Entry(0).packedSize, 4000u);
    EXPECT_EQ(archive.Entry(1).method, rar2::kMethodNormal);
    EXPECT_EQ(archive.Entry(1).name, "dir\\text.txt");
    EXPECT_EQ(archive.Entry(1).unpackVersion, 20);
    EXPECT_LT(archive.Entry(1).packedSize, 4000u);
    // The end block follows the last entry's data exactly.
    const Rar2Entry& last = archive.Entry(1);
    ASSERT_EQ(last.dataOffset + last.packedSize + 7, bytes.size());
    EXPECT_EQ(bytes[last.dataOffset + last.packedSize + 2], rar2::kBlockEnd);
}

TEST(Rar2Writer, RefusesBadNames)
{
    Rar2Writer writer;
    EXPECT_EQ(writer.AddFile("", nullptr, 0), kInvalidArgument);
    EXPECT_EQ(writer.AddFile(std::string(260, 'a'), nullptr, 0), kInvalidArgument);
    EXPECT_EQ(writer.AddFile(std::string(259, 'a'), nullptr, 0), kSuccess);
    EXPECT_EQ(writer.AddFile("x", nullptr, 5), kInvalidArgument);
}

}  // namespace
}  // namespace zen::test
