#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/KeyTable.h"

namespace brightfold {
namespace {

TEST(KeyTable, DigitsLettersFunctionKeysAndNumericPadAreRuns)
{
    EXPECT_EQ(KeyTable::KeyCode('0'), 0u);
    EXPECT_EQ(KeyTable::KeyCode('9'), 9u);
    EXPECT_EQ(KeyTable::KeyCode('A'), 10u);
    EXPECT_EQ(KeyTable::KeyCode('M'), 22u);
    EXPECT_EQ(KeyTable::KeyCode('Z'), 35u);
    EXPECT_EQ(KeyTable::KeyCode(112), 50u);  // F1
    EXPECT_EQ(KeyTable::KeyCode(123), 61u);  // F12
    EXPECT_EQ(KeyTable::KeyCode(96), 74u);   // numeric pad 0
    EXPECT_EQ(KeyTable::KeyCode(105), 83u);  // numeric pad 9
    // Lower-case letters are not virtual-key codes of letters (97-105 are the numeric pad).
    EXPECT_EQ(KeyTable::KeyCode('a'), 75u);
}

TEST(KeyTable, GenericModifiersAndUnlistedKeysHaveNoCode)
{
    for (uint32_t key : {16u, 17u, 18u, 0u, 1u, 91u, 92u, 93u, 124u, 135u, 255u})
        EXPECT_EQ(KeyTable::KeyCode(key), KeyTable::kNoKeyCode) << key;
    // The message's key field is wider than the table.
    EXPECT_EQ(KeyTable::KeyCode(256), KeyTable::kNoKeyCode);
    EXPECT_EQ(KeyTable::KeyCode(0xFFFFFFFFu), KeyTable::kNoKeyCode);
}

TEST(KeyTable, EveryCodeBelow100ComesFromExactlyOneKey)
{
    std::map<uint32_t, uint32_t> keyOfCode;
    uint32_t withCode = 0;
    for (uint32_t key = 0; key < 256; ++key) {
        const uint32_t code = KeyTable::KeyCode(key);
        ASSERT_LE(code, KeyTable::kNoKeyCode);
        if (code == KeyTable::kNoKeyCode)
            continue;
        ++withCode;
        EXPECT_TRUE(keyOfCode.emplace(code, key).second) << "code " << code << " twice";
    }
    EXPECT_EQ(withCode, 100u);
    EXPECT_EQ(keyOfCode.size(), 100u);
}

}  // namespace
}  // namespace brightfold
