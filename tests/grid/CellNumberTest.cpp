#include <gtest/gtest.h>

#include <charconv>
#include <cstring>

#include "grid/CellNumber.h"

using tessel::grid::cellNumber;

// Short numbers are read without from_chars: the value must be the same double, bit for bit.
TEST(CellNumber, ShortNumbersReadAsFromChars) {
    const struct {
        const char *text, *plain;  // plain: the number as from_chars reads it
    } cases[] = {
        {"0.1", "0.1"},
        {"-0", "-0"},
        {"12,345.50", "12345.50"},
        {"123456789012345", "123456789012345"},
        {"1234567890123456789", "1234567890123456789"},
        {"0.000000000000001", "0.000000000000001"},
        {"9007199254740993", "9007199254740993"},
        {"99999999999999.99", "99999999999999.99"},
        {" 2.675 ", "2.675"},
        {"-1.5e3", "-1.5e3"},
        {".5", ".5"},
        {"7.", "7."},
    };
    for (const auto &c : cases) {
        double expected = 0;
        std::from_chars(c.plain, c.plain + std::strlen(c.plain), expected);
        const std::optional<double> read = cellNumber(c.text);
        ASSERT_TRUE(read.has_value()) << c.text;
        EXPECT_EQ(std::memcmp(&*read, &expected, sizeof expected), 0)
            << c.text << " read " << *read;
    }
}
