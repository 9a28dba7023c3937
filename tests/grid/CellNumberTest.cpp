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

// Every output asks these two: what reads as a number is summed, tested by rules, aligned
// right and written to the workbook as a number; the rest is text everywhere.
TEST(CellNumber, OneVerdictForEveryOutput) {
    const struct {
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {"1,234", 1234},  // the thousands separator in force
        {" 12 ", 12},     // blanks around
        {"-0", -0.0},    {"1e5", 1e5},  {"1.5", 1.5},   {"-0.125", -0.125},
        {"inf", {}},     {"nan", {}},   {"0x1F", {}},   {"١٢٣", {}},  // Arabic-Indic digits
        {"１２３", {}},                                               // full-width digits
        {"", {}},        {"12abc", {}}, {"1,23,4", {}},               // a separator out of place
        {"1.234,5", {}},                                              // another locale's spelling
    };
    for (const auto &c : cases) {
        EXPECT_EQ(cellNumber(c.text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(tessel::grid::readsAsNumber(QString::fromUtf8(c.text)), c.value.has_value())
            << '"' << c.text << '"';
    }
}

// The separator a host chose is the one read; "." never is, being the sheet's decimal point.
TEST(CellNumber, ReadsTheThousandsSeparatorInForce) {
    using tessel::grid::NumberReading;
    const struct {
        char16_t group;
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {u' ', "1 234 567", 1234567}, {u' ', "1,234", {}},    {u'\u00A0', "1\u00A0234", 1234},
        {u'\'', "12'345.5", 12345.5}, {u'.', "1.234", 1.234},  // the point, never a separator
        {u'.', "1.234.567", {}},      {0, "1,234", {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(cellNumber(c.text, NumberReading{QChar(c.group), false}), c.value)
            << '"' << c.text << "\" with U+" << std::hex << unsigned(c.group);
    }
    // Exact digits: a workbook cell keeps 15.
    EXPECT_EQ(cellNumber("123456789012345", NumberReading{u',', true}), 123456789012345.0);
    EXPECT_EQ(cellNumber("1,234,567,890,123,456", NumberReading{u',', true}), std::nullopt);
    EXPECT_EQ(cellNumber("0.0000000000000001", NumberReading{u',', true}), 1e-16);
    EXPECT_EQ(cellNumber("1000000000000000000000", NumberReading{u',', true}), 1e21);
}

// The shortcut that refuses a text without converting it must agree with cellNumber for
// every character, alone and in and around digits: a character wrongly refused would turn a
// number into text on paper.
TEST(CellNumber, ReadsAsNumberAgreesWithCellNumber) {
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x10000 ? 1 : 97)) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString ch = QString::fromUcs4(&c, 1);
        for (const QString &text : {ch, "1" + ch, ch + "1", ch + "nf", ch + ".5", " " + ch + "1",
                                    "1" + ch + "5", "1e" + ch + "2", "1" + ch + "234"}) {
            const QByteArray utf8 = text.toUtf8();
            const bool read =
                cellNumber(std::string_view(utf8.constData(), std::size_t(utf8.size())))
                    .has_value();
            ASSERT_EQ(tessel::grid::readsAsNumber(text), read) << "U+" << std::hex << unsigned(c);
        }
    }
}
