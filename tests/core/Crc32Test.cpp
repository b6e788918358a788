#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/core/Crc32.h"

namespace zen {
namespace {

TEST(Crc32, KnownValues)
{
    EXPECT_EQ(Crc32::Compute("", 0), 0x00000000u);
    EXPECT_EQ(Crc32::Compute("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32::Compute("a", 1), 0xE8B7BE43u);
    const std::string fox = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(Crc32::Compute(fox.data(), fox.size()), 0x414FA339u);
    EXPECT_EQ(Crc32::TableEntry(0), 0x00000000u);
    EXPECT_EQ(Crc32::TableEntry(1), 0x77073096u);
    EXPECT_EQ(Crc32::TableEntry(255), 0x2D02EF8Du);
}

TEST(Crc32, PiecesGiveTheSameValueAsTheWhole)
{
    std::mt19937 random(5);
    std::vector<uint8_t> data(10007);
    for (uint8_t& b : data)
        b = static_cast<uint8_t>(random());
    const uint32_t whole = Crc32::Compute(data.data(), data.size());
    for (int round = 0; round < 50; ++round) {
        Crc32 crc;
        size_t at = 0;
        while (at < data.size()) {
            const size_t piece = std::min<size_t>(random() % 37, data.size() - at);
            crc.Update(data.data() + at, piece);
            at += piece;
        }
        EXPECT_EQ(crc.Value(), whole);
    }
    Crc32 crc;
    crc.Update(data.data(), 100);
    crc.Reset();
    crc.Update(data.data(), data.size());
    EXPECT_EQ(crc.Value(), whole);
}

}  // namespace
}  // namespace zen
