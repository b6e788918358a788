#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/core/Crc32.h"
#include "modules/codecs/Rar2Archive.h"
#include "modules/codecs/Rar2BitWriter.h"
#include "modules/codecs/Rar2Decryptor.h"
#include "modules/codecs/Rar2Extractor.h"
#include "modules/codecs/Rar2Format.h"
#include "modules/codecs/Rar2HuffmanEncoder.h"
#include "modules/codecs/Rar2Name.h"
#include "modules/codecs/Rar2Packer.h"
#include "modules/codecs/Rar2Unpacker.h"
#include "support/StoredArchive.h"
#include "tests/codecs/ImageTestSupport.h"
#include "tests/codecs/Rar2TestData.h"

namespace zen::test {
namespace {

const char* const kArchives[] = {
    "junrar_BoatModernEnglish_audio_unpack20.rar",   "junrar_BoatModernEnglish_regular_unpack20.rar",
    "libarchive_test_read_format_rar_store_dirs.rar", "rarfile_rar202_comments_encrypted_pw-password.rar",
    "rarfile_rar202_comments_stored.rar",            "rarfile_rar2_unix_owner_subblock.rar",
    "sharpcompress_Rar.none_store_dirs.rar",         "sharpcompress_Rar2_dirs_nested_m5.rar",
    "zxtune_test_v2_m0-m5_mm.rar",                   "zxtune_test_v2solid5_solid.rar",
};

std::vector<Rar2EntryStatus> ExtractStatuses(const std::vector<uint8_t>& bytes, bool* opened = nullptr,
                                             const std::string& password = "")
{
    std::vector<Rar2EntryStatus> statuses;
    Rar2Archive archive;
    const bool ok = archive.Open(bytes.data(), static_cast<uint32_t>(bytes.size())) == kSuccess;
    if (opened)
        *opened = ok;
    Rar2Extractor extractor;
    EXPECT_EQ(extractor.ExtractAll(archive, password,
                                   [&](uint32_t, const Rar2Entry& entry, Rar2EntryStatus status,
                                       std::vector<uint8_t>& data) {
                                       if (status == Rar2EntryStatus::kExtracted) {
                                           EXPECT_EQ(data.size(), entry.unpackedSize);
                                           EXPECT_EQ(Crc32::Compute(data.data(), data.size()), entry.fileCrc);
                                       } else {
                                           EXPECT_TRUE(data.empty());
                                       }
                                       statuses.push_back(status);
                                   }),
              kSuccess);
    return statuses;
}

TEST(Rar2Robustness, TruncatedArchivesKeepTheEntriesBeforeTheCut)
{
    for (const char* name : kArchives) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> whole = ReadFileBytes(Rar2DataPath(name));
        const std::string password = std::string(name).find("pw-") != std::string::npos ? "password" : "";
        Rar2Archive full;
        ASSERT_EQ(full.Open(whole.data(), static_cast<uint32_t>(whole.size())), kSuccess);
        const uint32_t step = whole.size() < 2000 ? 1 : 97;
        for (uint32_t cut = 0; cut < whole.size(); cut += step) {
            const std::vector<uint8_t> part(whole.begin(), whole.begin() + cut);
            bool opened = false;
            const std::vector<Rar2EntryStatus> statuses = ExtractStatuses(part, &opened, password);
            const uint32_t mainEnd = 7 + (whole[12] | whole[13] << 8);  // Marker and the whole main header.
            EXPECT_EQ(opened, cut >= mainEnd) << cut;
            // Every entry whose data ends before the cut still comes out whole (in a solid
            // archive the stream only goes on while every earlier entry came out).
            bool streamIntact = true;
            for (uint32_t i = 0; i < full.EntryCount(); ++i) {
                const Rar2Entry& entry = full.Entry(i);
                const bool inside = entry.dataOffset + entry.packedSize <= cut;
                if (!inside)
                    break;
                ASSERT_LT(i, statuses.size()) << cut;
                if (entry.IsDirectory()) {
                    EXPECT_EQ(statuses[i], Rar2EntryStatus::kDirectory);
                } else if (streamIntact) {
                    EXPECT_EQ(statuses[i], Rar2EntryStatus::kExtracted) << cut << " entry " << i;
                }
                streamIntact = streamIntact && (entry.IsDirectory() || statuses[i] == Rar2EntryStatus::kExtracted);
            }
        }
    }
}

TEST(Rar2Robustness, FlippedBitsFailOnlyTheEntryTheyHit)
{
    const std::vector<uint8_t> whole = ReadFileBytes(Rar2DataPath("zxtune_test_v2_m0-m5_mm.rar"));
    Rar2Archive archive;
    ASSERT_EQ(archive.Open(whole.data(), static_cast<uint32_t>(whole.size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), 7u);
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        const uint32_t victim = random() % archive.EntryCount();
        const Rar2Entry& entry = archive.Entry(victim);
        std::vector<uint8_t> bytes = whole;
        const uint32_t flips = 1 + random() % 8;
        for (uint32_t f = 0; f < flips; ++f)
            bytes[entry.dataOffset + random() % entry.packedSize] ^= static_cast<uint8_t>(1u << (random() % 8));
        const std::vector<Rar2EntryStatus> statuses = ExtractStatuses(bytes);
        ASSERT_EQ(statuses.size(), 7u);
        for (uint32_t i = 0; i < statuses.size(); ++i) {
            if (i != victim) {
                EXPECT_EQ(statuses[i], Rar2EntryStatus::kExtracted) << "round " << round << " entry " << i;
            }
        }
    }
}

// Starts a compressed stream whose one table gives 'A' the code "0" and `symbol` the code "1".
void WriteTwoSymbolTable(Rar2BitWriter& writer, uint32_t symbol)
{
    writer.Write(0, 2);
    // Bit-length code: only "1" (length 1) and "0" (unused, length 1) are needed.
    for (uint32_t i = 0; i < rar2::kBitLengthCodes; ++i)
        writer.Write(i == 0 || i == 1 ? 1 : 0, 4);
    // Symbol 0 = length 0 -> code "0"; symbol 1 = length 1 -> code "1".
    for (uint32_t i = 0; i < rar2::kLzTableSize; ++i)
        writer.Write(i == 'A' || i == symbol ? 1 : 0, 1);
}

// A stream of `repeats` codes "repeat the last match"; the last match is still empty, so
// repeating it produces nothing.
std::vector<uint8_t> StreamOfEmptyRepeats(uint32_t repeats)
{
    std::vector<uint8_t> out;
    Rar2BitWriter writer(out);
    WriteTwoSymbolTable(writer, rar2::kSymbolRepeatLast);
    for (uint32_t i = 0; i < repeats; ++i)
        writer.Write(1, 1);
    writer.Finish();
    return out;
}

// A stream whose first code copies two bytes from one byte back, before anything was written:
// a window that was never written reads as zeros.
std::vector<uint8_t> StreamCopyingFromBeforeTheStart()
{
    std::vector<uint8_t> out;
    Rar2BitWriter writer(out);
    WriteTwoSymbolTable(writer, rar2::kSymbolShortMatch);
    writer.Write(1, 1);  // Short match 0: distance 1 + two extra bits.
    writer.Write(0, 2);
    writer.Finish();
    return out;
}

// Unpackers hand their window on to the next one; what the last one wrote must not show through.
TEST(Rar2Robustness, AWindowHandedOnReadsAsFreshZeros)
{
    const std::vector<uint8_t> fill((1u << 20) + 333, 0xA7);  // Fills the whole window.
    std::vector<uint8_t> packed;
    ASSERT_EQ(Rar2Packer().Pack(fill.data(), static_cast<uint32_t>(fill.size()), packed), kSuccess);
    const std::vector<uint8_t> probe = StreamCopyingFromBeforeTheStart();
    for (int round = 0; round < 2; ++round) {
        {
            Rar2Unpacker first;
            std::vector<uint8_t> out;
            ASSERT_EQ(first.Unpack(packed.data(), static_cast<uint32_t>(packed.size()),
                                   static_cast<uint32_t>(fill.size()), false, out),
                      kSuccess);
            ASSERT_EQ(out, fill);
        }
        Rar2Unpacker second;
        std::vector<uint8_t> out;
        ASSERT_EQ(second.Unpack(probe.data(), static_cast<uint32_t>(probe.size()), 2, false, out), kSuccess);
        EXPECT_EQ(out, (std::vector<uint8_t>{0, 0})) << "round " << round;
    }
}

// Streams whose one table gives 'A' as "0" and "repeat the (still empty) last match" as "1".
TEST(Rar2Robustness, StreamsThatCannotProduceTheSizeFailAtOnce)
{
    const std::vector<uint8_t> table = StreamOfEmptyRepeats(0);
    const struct {
        const char* what;
        std::vector<uint8_t> packed;
        uint32_t size;
        Result expected;
        const char* output;  // Null: no output expected.
    } cases[] = {
        // Ten zero bits of the padding the writer ends on give ten 'A's...
        {"the literal table alone", table, 10, kSuccess, "AAAAAAAAAA"},
        // ...but not far past the end: a few bytes of made-up zeros at most.
        {"far past the end", table, 1000, kFailure, nullptr},
        {"codes that produce nothing", StreamOfEmptyRepeats(5000), 1000, kFailure, nullptr},
        {"a size the data cannot hold", table, 0xFFFFFFF0u, kFailure, nullptr},
        {"nothing to produce from no data", {}, 0, kSuccess, ""},
        // With data but nothing to produce, the stream's table is still read (and must be valid).
        {"nothing to produce from a bad table", std::vector<uint8_t>(8, 0), 0, kFailure, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rar2Unpacker unpacker;
        std::vector<uint8_t> out{1, 2, 3};
        const uint8_t none = 0;
        EXPECT_EQ(unpacker.Unpack(c.packed.empty() ? &none : c.packed.data(), static_cast<uint32_t>(c.packed.size()),
                                  c.size, false, out),
                  c.expected);
        if (c.output) {
            EXPECT_EQ(std::string(out.begin(), out.end()), c.output);
        }
    }
    // The impossible size is refused before anything is allocated for it.
    Rar2Unpacker unpacker;
    std::vector<uint8_t> out;
    EXPECT_EQ(unpacker.Unpack(table.data(), static_cast<uint32_t>(table.size()), 0xFFFFFFF0u, false, out), kFailure);
    EXPECT_EQ(out.capacity(), 0u);
}

TEST(Rar2Robustness, SolidContinuationNeedsItsStream)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(Rar2DataPath("zxtune_test_v2solid5_solid.rar"));
    Rar2Archive archive;
    ASSERT_EQ(archive.Open(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    ASSERT_TRUE(archive.IsSolid());
    ASSERT_EQ(archive.EntryCount(), 2u);
    EXPECT_FALSE(archive.Entry(0).ContinuesSolid());
    EXPECT_TRUE(archive.Entry(1).ContinuesSolid());

    // The second entry on its own has no window to continue.
    Rar2Extractor alone;
    std::vector<uint8_t> data;
    EXPECT_EQ(alone.ExtractEntry(archive, archive.Entry(1), "", data), Rar2EntryStatus::kCorrupt);

    // After the first, it comes out; its 50 packed bytes hold no table of their own.
    Rar2Extractor inOrder;
    EXPECT_EQ(inOrder.ExtractEntry(archive, archive.Entry(0), "", data), Rar2EntryStatus::kExtracted);
    EXPECT_EQ(inOrder.ExtractEntry(archive, archive.Entry(1), "", data), Rar2EntryStatus::kExtracted);
    EXPECT_EQ(data, ReadFileBytes(Rar2DataPath("zxtune_etalon.bin")));

    // A damaged first entry takes the continuation with it, but cleanly.
    std::vector<uint8_t> damaged = bytes;
    for (uint32_t i = 0; i < 64; ++i)
        damaged[archive.Entry(0).dataOffset + 100 + i] ^= 0x5A;
    const std::vector<Rar2EntryStatus> statuses = ExtractStatuses(damaged);
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_NE(statuses[0], Rar2EntryStatus::kExtracted);
    EXPECT_NE(statuses[1], Rar2EntryStatus::kExtracted);

    // A first entry that is not unpacked at all (a later format's version) breaks the chain:
    // the continuation fails at once rather than decoding from a stale window.
    std::vector<uint8_t> newer = bytes;
    newer[20 + 24] = 29;
    EXPECT_EQ(ExtractStatuses(newer),
              (std::vector<Rar2EntryStatus>{Rar2EntryStatus::kUnsupported, Rar2EntryStatus::kCorrupt}));
}

TEST(Rar2Robustness, UnpackersShareNoState)
{
    // Two archives unpacked alternately, entry by entry, by two extractors.
    const std::vector<uint8_t> a = ReadFileBytes(Rar2DataPath("zxtune_test_v2solid5_solid.rar"));
    const std::vector<uint8_t> b = ReadFileBytes(Rar2DataPath("junrar_BoatModernEnglish_audio_unpack20.rar"));
    Rar2Archive archiveA;
    Rar2Archive archiveB;
    ASSERT_EQ(archiveA.Open(a.data(), static_cast<uint32_t>(a.size())), kSuccess);
    ASSERT_EQ(archiveB.Open(b.data(), static_cast<uint32_t>(b.size())), kSuccess);
    Rar2Extractor extractorA;
    Rar2Extractor extractorB;
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(extractorA.ExtractEntry(archiveA, archiveA.Entry(i), "", data), Rar2EntryStatus::kExtracted);
        EXPECT_EQ(extractorB.ExtractEntry(archiveB, archiveB.Entry(i), "", data), Rar2EntryStatus::kExtracted);
    }
}

TEST(Rar2Robustness, PasswordsDecideEncryptedEntries)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(Rar2DataPath("rarfile_rar202_comments_encrypted_pw-password.rar"));
    EXPECT_EQ(ExtractStatuses(bytes, nullptr, ""),
              (std::vector<Rar2EntryStatus>{Rar2EntryStatus::kNoPassword, Rar2EntryStatus::kNoPassword}));
    for (const char* wrong : {"Password", "passwor", "password ", "x"}) {
        for (Rar2EntryStatus status : ExtractStatuses(bytes, nullptr, wrong))
            EXPECT_TRUE(status == Rar2EntryStatus::kBadCrc || status == Rar2EntryStatus::kCorrupt) << wrong;
    }
    EXPECT_EQ(ExtractStatuses(bytes, nullptr, "password"),
              (std::vector<Rar2EntryStatus>{Rar2EntryStatus::kExtracted, Rar2EntryStatus::kExtracted}));
}

TEST(Rar2Decryptor, BlocksRoundTripAndKeysEvolve)
{
    std::vector<uint8_t> plain(64);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> data = plain;
    Rar2Decryptor(std::string(200, 'k')).Encrypt(data.data(), data.size());  // Cut to 127 bytes.
    EXPECT_NE(data, plain);
    // Equal plaintext blocks encrypt differently: the keys move on after every block.
    std::vector<uint8_t> same(32, 0x11);
    Rar2Decryptor("k").Encrypt(same.data(), same.size());
    EXPECT_NE(std::memcmp(same.data(), same.data() + 16, 16), 0);

    Rar2Decryptor(std::string(127, 'k')).Decrypt(data.data(), data.size());
    EXPECT_EQ(data, plain);
    // A trailing partial block is left alone.
    std::vector<uint8_t> tail = {1, 2, 3};
    Rar2Decryptor("k").Decrypt(tail.data(), tail.size());
    EXPECT_EQ(tail, (std::vector<uint8_t>{1, 2, 3}));
}

std::vector<uint8_t> Header(uint8_t type, uint16_t flags, std::vector<uint8_t> body, uint32_t dataSize = 0)
{
    std::vector<uint8_t> out = {0, 0, type, static_cast<uint8_t>(flags), static_cast<uint8_t>(flags >> 8), 0, 0};
    if (flags & rar2::kLongBlock)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(dataSize >> (8 * i)));
    for (uint8_t byte : body)
        out.push_back(byte);
    out[5] = static_cast<uint8_t>(out.size());
    out[6] = static_cast<uint8_t>(out.size() >> 8);
    out.resize(out.size() + dataSize, 0xEE);
    return out;
}

const std::vector<uint8_t> kMarker(std::begin(rar2::kMarker), std::end(rar2::kMarker));
const std::vector<uint8_t> kMainHeader = Header(rar2::kBlockMain, 0, {0, 0, 0, 0, 0, 0});

// The marker, the main header and then `blocks`.
std::vector<uint8_t> ArchiveOf(std::initializer_list<std::vector<uint8_t>> blocks)
{
    std::vector<uint8_t> out = kMarker;
    out.insert(out.end(), kMainHeader.begin(), kMainHeader.end());
    for (const auto& block : blocks)
        out.insert(out.end(), block.begin(), block.end());
    return out;
}

// A stored archive of files whose contents are their names.
std::vector<uint8_t> WrittenArchive(std::initializer_list<const char*> names)
{
    std::vector<test::StoredEntry> entries;
    for (const char* name : names)
        entries.push_back({name, name});
    return test::StoredArchive(entries);
}

TEST(Rar2Archive, WalksTheBlockStructure)
{
    Rar2Archive archive;

    // Marker and main header only: an empty archive.
    std::vector<uint8_t> empty = ArchiveOf({});
    ASSERT_EQ(archive.Open(empty.data(), static_cast<uint32_t>(empty.size())), kSuccess);
    EXPECT_EQ(archive.EntryCount(), 0u);
    EXPECT_FALSE(archive.IsTruncated());

    // Not an archive at all, or no main header.
    std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!', '!', '!',
                                 '!', '!', '!', '!', '!'};
    EXPECT_EQ(archive.Open(text.data(), static_cast<uint32_t>(text.size())), kFailure);
    EXPECT_EQ(archive.Open(kMarker.data(), static_cast<uint32_t>(kMarker.size())), kFailure);
    EXPECT_EQ(archive.Open(nullptr, 0), kFailure);

    // Old sub-blocks and unknown blocks between files are skipped; the end block ends the walk.
    std::vector<uint8_t> two = WrittenArchive({"first.txt", "second.txt"});
    const uint32_t secondAt = 20 + 32 + 9 + 9;  // Marker, main, first header and its data.
    ASSERT_EQ(two[secondAt + 2], rar2::kBlockFile);
    const std::vector<uint8_t> sub = Header(rar2::kBlockOldSub, rar2::kLongBlock, {1, 1, 0}, 12);
    const std::vector<uint8_t> other = Header(0x7A, 0, {1, 2, 3, 4, 5});
    std::vector<uint8_t> mixed(two.begin(), two.begin() + secondAt);
    mixed.insert(mixed.end(), sub.begin(), sub.end());
    mixed.insert(mixed.end(), other.begin(), other.end());
    mixed.insert(mixed.end(), two.begin() + secondAt, two.end());
    const std::vector<uint8_t> afterEnd = WrittenArchive({"ghost.txt"});
    mixed.insert(mixed.end(), afterEnd.begin() + 20, afterEnd.end());
    ASSERT_EQ(archive.Open(mixed.data(), static_cast<uint32_t>(mixed.size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), 2u);
    EXPECT_EQ(archive.Entry(1).name, "second.txt");
    EXPECT_EQ(std::string(archive.PackedData(archive.Entry(1)), archive.PackedData(archive.Entry(1)) + 10),
              "second.txt");
    EXPECT_FALSE(archive.IsTruncated());

    // A header size below 7 stops the walk as truncated, keeping what came before.
    std::vector<uint8_t> broken = two;
    broken[secondAt + 5] = 3;
    broken[secondAt + 6] = 0;
    ASSERT_EQ(archive.Open(broken.data(), static_cast<uint32_t>(broken.size())), kSuccess);
    EXPECT_EQ(archive.EntryCount(), 1u);
    EXPECT_TRUE(archive.IsTruncated());

    // A data size reaching past the end: the entry is listed without data.
    std::vector<uint8_t> longData = two;
    longData[secondAt + 7 + 2] = 0x10;  // Packed size + 1 MiB.
    ASSERT_EQ(archive.Open(longData.data(), static_cast<uint32_t>(longData.size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), 2u);
    EXPECT_FALSE(archive.Entry(1).dataComplete);
    EXPECT_EQ(archive.PackedData(archive.Entry(1)), nullptr);
    EXPECT_TRUE(archive.IsTruncated());
}

TEST(Rar2Archive, LargeSizeFlagNeedsRoomForTheHighHalves)
{
    // A file header flagged with 64-bit sizes but only as long as the fixed fields: the high
    // halves would lie past the header (and here past the data). Found by fuzzing.
    std::vector<uint8_t> body(21, 0);
    const std::vector<uint8_t> file = Header(rar2::kBlockFile, rar2::kLongBlock | rar2::kFileLarge, body, 0);
    ASSERT_EQ(file.size(), rar2::kFileHeaderSize);
    const std::vector<uint8_t> bytes = ArchiveOf({file});
    Rar2Archive archive;
    ASSERT_EQ(archive.Open(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    EXPECT_EQ(archive.EntryCount(), 0u);
    EXPECT_TRUE(archive.IsTruncated());

    // With room for them and zero high halves it is an ordinary entry.
    body.insert(body.end(), 8, 0);
    const std::vector<uint8_t> roomy =
        ArchiveOf({Header(rar2::kBlockFile, rar2::kLongBlock | rar2::kFileLarge, body, 0)});
    ASSERT_EQ(archive.Open(roomy.data(), static_cast<uint32_t>(roomy.size())), kSuccess);
    EXPECT_EQ(archive.EntryCount(), 1u);
    EXPECT_FALSE(archive.IsTruncated());
}

TEST(Rar2Archive, CutsLongNamesAndKeepsUnicodeForms)
{
    const std::string longName(300, 'n');
    std::vector<uint8_t> body(21, 0);  // The fixed fields after the packed size; the name size at 26.
    body[15] = static_cast<uint8_t>(longName.size());
    body[16] = static_cast<uint8_t>(longName.size() >> 8);
    for (char c : longName)
        body.push_back(static_cast<uint8_t>(c));
    const std::vector<uint8_t> bytes = ArchiveOf({Header(rar2::kBlockFile, rar2::kLongBlock, body, 0)});
    Rar2Archive archive;
    ASSERT_EQ(archive.Open(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), 1u);
    EXPECT_EQ(archive.Entry(0).name, std::string(259, 'n'));

    const std::vector<uint8_t> nested = ReadFileBytes(Rar2DataPath("sharpcompress_Rar2_dirs_nested_m5.rar"));
    ASSERT_EQ(archive.Open(nested.data(), static_cast<uint32_t>(nested.size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), 5u);
    EXPECT_EQ(archive.Entry(4).name, "????.txt");
    EXPECT_EQ(archive.Entry(4).unicodeName, u"тест.txt");
    EXPECT_TRUE(archive.Entry(0).IsDirectory());
    EXPECT_FALSE(archive.Entry(2).IsDirectory());

    // A Unix mode with the group-write bit (0x10) is not a directory.
    const std::vector<uint8_t> unix = ReadFileBytes(Rar2DataPath("rarfile_rar2_unix_owner_subblock.rar"));
    ASSERT_EQ(archive.Open(unix.data(), static_cast<uint32_t>(unix.size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), 1u);
    EXPECT_EQ(archive.Entry(0).attributes & rar2::kAttributeDirectory, rar2::kAttributeDirectory);
    EXPECT_FALSE(archive.Entry(0).IsDirectory());
}

TEST(Rar2Name, RefusesNamesThatLeaveTheTarget)
{
    for (const char* bad : {"", "..", "..\\x", "a\\..\\..\\x", "a/../b", "\\abs", "/abs", "C:x", "C:\\x", "a\\b:c",
                            "dir\\.."})
        EXPECT_FALSE(Rar2Name::IsSafe(bad)) << bad;
    for (const char* good : {"a", "a\\b\\c.txt", "..a", "a..", "a\\...\\b", ".hidden", "a/b", "dir\\"})
        EXPECT_TRUE(Rar2Name::IsSafe(good)) << good;
}

TEST(Rar2Name, SplitsPathsAtBothSeparatorsAndDropsEmptyAndDotParts)
{
    using Parts = std::vector<std::string>;
    EXPECT_EQ(Rar2Name::SplitPath("a\\b/c.txt"), (Parts{"a", "b", "c.txt"}));
    EXPECT_EQ(Rar2Name::SplitPath("\\a\\\\.\\b\\"), (Parts{"a", "b"}));
    EXPECT_EQ(Rar2Name::SplitPath("a\\..\\...\\.x"), (Parts{"a", "..", "...", ".x"}));  // Only "." is dropped.
    EXPECT_TRUE(Rar2Name::SplitPath("").empty());
    EXPECT_TRUE(Rar2Name::SplitPath(".\\/.").empty());
}

TEST(Rar2Name, UnicodeFormsRoundTripAndStopAtTheirEnd)
{
    const std::u16string names[] = {u"тест.txt", u"plain", u"Ёлка\\ель €.bin", u"\u65E5\u672C\u8A9E\\файл", u"a"};
    for (const std::u16string& name : names) {
        std::string oem;
        (void)Rar2Name::ToCp866(name, oem);
        const std::string encoded = Rar2Name::EncodeUnicode(name);
        EXPECT_EQ(Rar2Name::DecodeUnicode(oem, reinterpret_cast<const uint8_t*>(encoded.data()),
                                          static_cast<uint32_t>(encoded.size()), 259),
                  name);
        // Cut short anywhere: a prefix at most, never a read past the bytes.
        for (size_t cut = 0; cut < encoded.size(); ++cut) {
            const std::vector<uint8_t> part(encoded.begin(), encoded.begin() + cut);
            const std::u16string decoded =
                Rar2Name::DecodeUnicode(oem, part.data(), static_cast<uint32_t>(part.size()), 259);
            EXPECT_LE(decoded.size(), name.size());
        }
    }
    // The run form copies from the OEM name, with the correction added (libarchive's archive).
    const uint8_t encoded[] = {0x04, 0x5F, 0x42, 0x35, 0x80, 0x60, 0x02};
    EXPECT_EQ(Rar2Name::DecodeUnicode("\xE2\xA5\xE1\xE2.txt", encoded, sizeof(encoded), 259), u"тест.txt");
    EXPECT_EQ(Rar2Name::DecodeUnicode("\xE2\xA5\xE1\xE2.txt", encoded, sizeof(encoded), 3), u"тес");
}

TEST(Rar2Name, CodePages)
{
    std::string bytes;
    EXPECT_TRUE(Rar2Name::ToCp1251(u"Привет ёЁ", bytes));
    EXPECT_EQ(bytes, "\xCF\xF0\xE8\xE2\xE5\xF2 \xB8\xA8");
    const std::u16string japanese = u"\u65E5\u672C";  // Outside code page 1251.
    EXPECT_FALSE(Rar2Name::ToCp1251(japanese, bytes));
    EXPECT_EQ(bytes, "??");
    EXPECT_TRUE(Rar2Name::ToCp866(u"тест", bytes));
    EXPECT_EQ(bytes, "\xE2\xA5\xE1\xE2");
    EXPECT_EQ(Rar2Name::FromCp866("\xE2\xA5\xE1\xE2"), u"тест");
    EXPECT_EQ(Rar2Name::FromCp1251("\xF2\xE5\xF1\xF2"), u"тест");
    EXPECT_EQ(Rar2Name::ToUtf8(u"тест €\U0001F600"), reinterpret_cast<const char*>(u8"тест €\U0001F600"));
    std::u16string wide;
    EXPECT_TRUE(Rar2Name::FromUtf8(reinterpret_cast<const char*>(u8"тест €\U0001F600"), wide));
    EXPECT_EQ(wide, u"тест €\U0001F600");
    EXPECT_FALSE(Rar2Name::FromUtf8("\xE2\xA5", wide));  // CP866 bytes are not UTF-8.
    EXPECT_FALSE(Rar2Name::FromUtf8("\xC0\xAF", wide));  // Overlong "/".
    EXPECT_EQ(wide.find(u'/'), std::u16string::npos);
}

}  // namespace
}  // namespace zen::test
