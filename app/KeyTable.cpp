#include "app/KeyTable.h"

#include <array>
#include <cstddef>

namespace brightfold {
namespace {

// Virtual-key codes of the keys with a code, in key-code order from 36 on (0-35 are the digit
// and letter runs, 50-61 and 74-83 the function-key and numeric-pad runs; see Build).
constexpr uint8_t kKeys36To49[] = {107, 222, 8, 220, 20, 188, 46, 111, 190, 40, 35, 13, 187, 27};
constexpr uint8_t kKeys62To73[] = {192, 36, 45, 219, 162, 37, 164, 160, 189, 106, 34, 144};
constexpr uint8_t kKeys84To99[] = {110, 109, 19, 33, 44, 221, 163, 39, 165, 161, 145, 186, 191, 32, 9, 38};

using Table = std::array<uint8_t, KeyTable::kVirtualKeyCount>;

template <std::size_t N>
constexpr void Place(Table& table, const uint8_t (&keys)[N], uint32_t firstCode)
{
    for (std::size_t i = 0; i < N; ++i)
        table[keys[i]] = static_cast<uint8_t>(firstCode + i);
}

constexpr void PlaceRun(Table& table, uint32_t firstKey, uint32_t count, uint32_t firstCode)
{
    for (uint32_t i = 0; i < count; ++i)
        table[firstKey + i] = static_cast<uint8_t>(firstCode + i);
}

constexpr Table Build()
{
    Table table{};
    for (auto& code : table)
        code = KeyTable::kNoKeyCode;
    PlaceRun(table, 48, 10, 0);    // '0'-'9'
    PlaceRun(table, 65, 26, 10);   // 'A'-'Z'
    Place(table, kKeys36To49, 36);
    PlaceRun(table, 112, 12, 50);  // F1-F12
    Place(table, kKeys62To73, 62);
    PlaceRun(table, 96, 10, 74);   // numeric pad 0-9
    Place(table, kKeys84To99, 84);
    return table;
}

constexpr Table kTable = Build();

// Every code 0-99 belongs to exactly one key: the runs and lists above neither overlap nor
// leave gaps.
constexpr bool EveryCodeOnce()
{
    std::array<int, KeyTable::kNoKeyCode> seen{};
    for (uint8_t code : kTable)
        if (code != KeyTable::kNoKeyCode)
            ++seen[code];
    for (int count : seen)
        if (count != 1)
            return false;
    return true;
}
static_assert(EveryCodeOnce(), "each key code 0-99 must map from exactly one virtual key");
static_assert(sizeof kKeys36To49 == 14 && sizeof kKeys62To73 == 12 && sizeof kKeys84To99 == 16);

}  // namespace

uint32_t KeyTable::KeyCode(uint32_t virtualKey)
{
    return virtualKey < kVirtualKeyCount ? kTable[virtualKey] : kNoKeyCode;
}

}  // namespace brightfold
