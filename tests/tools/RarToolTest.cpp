#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Crc32.h"
#include "modules/codecs/Rar2Writer.h"
#include "support/RequiredTool.h"
#include "support/TempFolder.h"
#include "support/ToolOutput.h"
#include "tests/codecs/ImageTestSupport.h"
#include "tests/codecs/Rar2TestData.h"

// `zen rar list | extract | create`, run as a program on real and written archives.
namespace zen {
namespace {

namespace fs = std::filesystem;

using test::RunZen;
using test::ToolRun;
using test::Utf8;

std::string Quote(const fs::path& path)
{
    return "'" + path.string() + "'";
}

class RarTool : public ::testing::Test {
protected:
    const test::TempFolder temp;
    const fs::path folder = temp.Root();
};

TEST_F(RarTool, ExtractsEveryManifestEntry)
{
    std::map<std::string, std::vector<test::Rar2ManifestLine>> archives;
    for (const test::Rar2ManifestLine& line : test::ReadRar2Manifest())
        archives[line.archive].push_back(line);
    ASSERT_EQ(archives.size(), 10u);
    for (const auto& [archive, lines] : archives) {
        SCOPED_TRACE(archive);
        const fs::path out = folder / archive;
        const std::string password = archive.find("pw-password") != std::string::npos ? " -p password" : "";
        const ToolRun run = RunZen("rar extract " + Quote(test::Rar2DataPath(archive)) + " " + Quote(out) + password);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        size_t regularFiles = 0;
        for (const auto& item : fs::recursive_directory_iterator(out)) {
            EXPECT_FALSE(item.is_symlink()) << item.path();
            if (item.is_regular_file())
                ++regularFiles;
        }
        size_t expectedFiles = 0;
        for (const test::Rar2ManifestLine& line : lines) {
            const fs::path path = out / fs::u8path(line.entry);
            if (line.entry.back() == '/') {
                EXPECT_TRUE(fs::is_directory(path)) << line.entry;
                continue;
            }
            ++expectedFiles;
            ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(path))) << line.entry;
            const std::vector<uint8_t> bytes = test::ReadFileBytes(path.string());
            if (line.hasData) {
                EXPECT_EQ(bytes.size(), line.size) << line.entry;
                EXPECT_EQ(Crc32::Compute(bytes.data(), bytes.size()), line.crc) << line.entry;
            } else {
                EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "test.txt");  // The link, as plain text.
            }
        }
        EXPECT_EQ(regularFiles, expectedFiles);
    }
    // The originals the samples were made from.
    EXPECT_EQ(test::ReadFileBytes((folder / "zxtune_test_v2_m0-m5_mm.rar" / "pMM.bin").string()),
              test::ReadFileBytes(test::Rar2DataPath("zxtune_etalon.bin")));
    EXPECT_EQ(test::ReadFileBytes((folder / "junrar_BoatModernEnglish_audio_unpack20.rar" / "BoatModernEnglish.wav").string()),
              test::ReadFileBytes(test::Rar2DataPath("BoatModernEnglish.wav")));
}

TEST_F(RarTool, ListsNamesSizesAndFailures)
{
    EXPECT_TRUE(test::Said(RunZen("rar list " + Quote(test::Rar2DataPath("sharpcompress_Rar2_dirs_nested_m5.rar"))), 0,
                           {"cfb109c8 ok      exe/test.exe", "ok      " + Utf8(u8"тест.txt")}));
    EXPECT_TRUE(test::Said(
        RunZen("rar list " + Quote(test::Rar2DataPath("rarfile_rar202_comments_encrypted_pw-password.rar"))), 1,
        {"failed  FILE1.TXT"}));
}

TEST_F(RarTool, CreatedArchivesExtractWithZenAndUnar)
{
    const fs::path source = folder / "source";
    fs::create_directories(source / "Textures" / "Sky");
    fs::create_directories(source / fs::u8path(Utf8(u8"Пустая")));
    std::map<std::string, std::vector<uint8_t>> files = {
        {"Main.STR", std::vector<uint8_t>(70000, 'S')},
        {"Textures/Sky/noise.bin", test::ReadFileBytes(test::Rar2DataPath("zxtune_test_v2_m0-m5_mm.rar"))},
        {"Textures/" + Utf8(u8"камень.wav"), test::ReadFileBytes(test::Rar2DataPath("BoatModernEnglish.wav"))},
        {"empty.txt", {}},
    };
    for (const auto& [name, bytes] : files)
        test::WriteFileBytes((source / fs::u8path(name)).string(), bytes);
    fs::create_symlink("/etc/passwd", source / "link");  // Left out, not followed.

    for (const char* options : {"", " --store", " -p 'two words'"}) {
        SCOPED_TRACE(options);
        const fs::path archive = folder / "made.rar";
        const fs::path out = folder / "zen-out";
        const fs::path unarOut = folder / "unar-out";
        fs::remove_all(out);
        fs::remove_all(unarOut);
        ASSERT_TRUE(test::Said(RunZen("rar create " + Quote(archive) + " " + Quote(source) + options), 0,
                               {"link is a symbolic link; left out"}));
        const std::string password = std::string(options).find("-p") != std::string::npos ? " -p 'two words'" : "";
        ASSERT_TRUE(test::Said(RunZen("rar extract " + Quote(archive) + " " + Quote(out) + password), 0));
        for (const auto& [name, bytes] : files)
            EXPECT_EQ(test::ReadFileBytes((out / fs::u8path(name)).string()), bytes) << name;
        EXPECT_TRUE(fs::is_directory(out / fs::u8path(Utf8(u8"Пустая"))));
        EXPECT_FALSE(fs::exists(fs::symlink_status(out / "link")));

        ZEN_REQUIRE_TOOL("unar", "the unar package (scripts/setup.sh)");
        const std::string command = "unar -q -f -D -o " + Quote(unarOut) + password + " " + Quote(archive) +
                                    " > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        for (const auto& [name, bytes] : files)
            EXPECT_EQ(test::ReadFileBytes((unarOut / fs::u8path(name)).string()), bytes) << name;
    }
}

// Every `step`-th regular file below `root` (sorted by path, links left out) whose size is at
// most `maxSize`, copied to `target` under its path relative to `base`.
size_t CopySelection(const fs::path& root, const fs::path& base, size_t wanted, uintmax_t maxSize,
                     const fs::path& target)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file() && !it->is_symlink() && it->file_size() <= maxSize)
            found.push_back(it->path());
    std::sort(found.begin(), found.end());
    const size_t step = std::max<size_t>(1, found.size() / std::max<size_t>(1, wanted));
    size_t copied = 0;
    for (size_t i = 0; i < found.size() && copied < wanted; i += step) {
        const fs::path to = target / fs::relative(found[i], base);
        fs::create_directories(to.parent_path());
        if (fs::copy_file(found[i], to, error) && !error)
            ++copied;
    }
    return copied;
}

// A folder of ordinary files of every kind a user packs (Perl's library as text, programs as
// binaries, plus empty, constant, incompressible and long files) goes through `zen rar create`
// and comes out of unar, and of our own extractor, byte for byte.
TEST_F(RarTool, OrdinaryFilesComeOutOfUnarByteForByte)
{
    ZEN_REQUIRE_TOOL("unar", "the unar package (scripts/setup.sh)");
    const fs::path source = folder / "source";
    size_t picked = 0;
    for (const char* library : {"/usr/share/perl", "/usr/share/perl5"})
        picked += CopySelection(library, "/usr/share", 120, 1u << 20, source);
    picked += CopySelection("/usr/bin", "/usr", 30, 1u << 20, source);
    ASSERT_GE(picked, 200u) << "too few files found under /usr/share/perl* and /usr/bin";

    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<uint8_t>(state >> 24);
    };
    std::vector<uint8_t> noise(300000);
    for (uint8_t& byte : noise)
        byte = next();
    std::string prose;
    while (prose.size() < 200000)
        prose += "line " + std::to_string(prose.size() % 977) + ": the keeper trims the wick at dusk\n";
    const std::map<std::string, std::vector<uint8_t>> made = {
        {"made/empty", {}},
        {"made/one-byte", {0x5A}},
        {"made/zeros", std::vector<uint8_t>(65536, 0)},
        {"made/one-value-past-the-window", std::vector<uint8_t>((1u << 20) + 4099, 0xA7)},
        {"made/noise", noise},
        {"made/prose.txt", std::vector<uint8_t>(prose.begin(), prose.end())},
    };
    fs::create_directories(source / "made");
    for (const auto& [name, bytes] : made)
        test::WriteFileBytes((source / name).string(), bytes);

    const fs::path archive = folder / "ordinary.rar";
    ToolRun run = RunZen("rar create " + Quote(archive) + " " + Quote(source));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    run = test::RunCommand("unar -q -f -D -o " + Quote(folder / "unar-out") + " " + Quote(archive) + " 2>&1");
    EXPECT_EQ(run.exitCode, 0) << run.output.substr(0, 2000);
    run = RunZen("rar extract " + Quote(archive) + " " + Quote(folder / "zen-out"));
    EXPECT_EQ(run.exitCode, 0) << run.output.substr(0, 2000);

    size_t compared = 0;
    std::vector<std::string> differing;
    for (const auto& item : fs::recursive_directory_iterator(source)) {
        if (!item.is_regular_file())
            continue;
        const fs::path relative = fs::relative(item.path(), source);
        const std::vector<uint8_t> original = test::ReadFileBytes(item.path().string());
        for (const char* out : {"unar-out", "zen-out"}) {
            const fs::path copy = folder / out / relative;
            if (!fs::is_regular_file(copy) || test::ReadFileBytes(copy.string()) != original)
                differing.push_back(std::string(out) + ": " + relative.string());
        }
        ++compared;
    }
    EXPECT_EQ(compared, picked + made.size());
    EXPECT_TRUE(differing.empty()) << differing.size() << " differ, first " << differing.front();
}

TEST_F(RarTool, ExtractionNeverLeavesTheTargetFolder)
{
    Rar2Writer writer(Rar2Writer::Method::kStore);
    const uint8_t byte = 'x';
    for (const char* name : {"..\\evil.txt", "\\rooted.txt", "C:\\drive.txt", "a\\..\\..\\up.txt", "good.txt",
                             "sub\\through-link.txt"})
        ASSERT_EQ(writer.AddFile(name, &byte, 1), kSuccess);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(writer.Write(bytes), kSuccess);
    const fs::path archive = folder / "unsafe.rar";
    test::WriteFileBytes(archive.string(), bytes);

    // A link in the target folder pointing elsewhere must not be written through.
    const fs::path target = folder / "deep" / "target";
    const fs::path elsewhere = folder / "elsewhere";
    fs::create_directories(target);
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(elsewhere, target / "sub");

    EXPECT_TRUE(test::Said(RunZen("rar extract " + Quote(archive) + " " + Quote(target)), 1,
                           {"refused the unsafe name ../evil.txt", "is a symbolic link"}));
    EXPECT_EQ(test::ReadFileBytes((target / "good.txt").string()), std::vector<uint8_t>{'x'});
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_FALSE(fs::exists(folder / "deep" / "evil.txt"));
    EXPECT_FALSE(fs::exists(folder / "deep" / "up.txt"));
    EXPECT_FALSE(fs::exists("/rooted.txt"));
    size_t written = 0;
    for (const auto& item : fs::recursive_directory_iterator(folder / "deep"))
        written += item.is_regular_file() ? 1 : 0;
    EXPECT_EQ(written, 1u);
}

TEST_F(RarTool, BadInputGivesClearErrors)
{
    const fs::path text = folder / "notes.rar";
    test::WriteFileBytes(text.string(), {'h', 'e', 'l', 'l', 'o'});
    EXPECT_TRUE(test::Said(RunZen("rar list " + Quote(text)), 1, {"is not a readable RAR archive"}));
    EXPECT_TRUE(test::Said(RunZen("rar extract " + Quote(folder / "missing.rar") + " " + Quote(folder / "out")), 1,
                           {"is not a readable RAR archive"}));

    EXPECT_EQ(RunZen("rar extract only-one-argument").exitCode, 2);
    EXPECT_EQ(RunZen("rar list a b").exitCode, 2);
    EXPECT_EQ(RunZen("rar list a -p").exitCode, 2);
    EXPECT_EQ(RunZen("rar create " + Quote(folder / "x.rar") + " " + Quote(folder / "no-such-folder")).exitCode, 1);

    // A damaged entry fails; the others still come out.
    std::vector<uint8_t> damaged = test::ReadFileBytes(test::Rar2DataPath("zxtune_test_v2_m0-m5_mm.rar"));
    damaged[33007 + 38 + 300] ^= 0x44;  // Inside p3.bin.
    test::WriteFileBytes((folder / "damaged.rar").string(), damaged);
    EXPECT_TRUE(test::Said(RunZen("rar extract " + Quote(folder / "damaged.rar") + " " + Quote(folder / "damaged")), 1,
                           {"p3.bin cannot be extracted", "extracted 6 files and 0 directories; 1 entries failed"}));
    EXPECT_FALSE(fs::exists(folder / "damaged" / "p3.bin"));
}

}  // namespace
}  // namespace zen
