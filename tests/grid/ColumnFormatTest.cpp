#include <gtest/gtest.h>

#include "grid/ColumnFormat.h"

using namespace tessel::grid;

namespace {

constexpr ColumnFormat kGeneral{};
constexpr ColumnFormat kInteger{FormatKind::Number, 0};
constexpr ColumnFormat kFixed2{FormatKind::Number, 2};
constexpr ColumnFormat kFixed6{FormatKind::Number, 6};
constexpr ColumnFormat kPercent1{FormatKind::Percent, 1};
constexpr ColumnFormat kDate{FormatKind::Date, 0};
constexpr ColumnFormat kDateTime{FormatKind::DateTime, 0};
constexpr ColumnFormat kText{FormatKind::Text, 0};

}  // namespace

TEST(ColumnFormat, FormattedTexts) {
    const struct {
        const char *text;
        ColumnFormat format;
        const char *shown;
    } cases[] = {
        {"24318246.5", kFixed2, "24,318,246.50"},
        {"-24318246.5", kInteger, "-24,318,247"},  // half away from zero
        {"2.675", kFixed2, "2.68"},                // on the decimal digits, not the double
        {"-2.675", kFixed2, "-2.68"},
        {"-0.004", kFixed2, "0.00"},  // reads as zero: no sign
        {"999.995", kFixed2, "1,000.00"},
        {"0.142857142857143", kFixed6, "0.142857"},
        {"0.1428575", kFixed6, "0.142858"},
        {"123", kFixed2, "123.00"},
        {"1e21", kInteger, "1,000,000,000,000,000,000,000"},
        {"1.5E-3", kFixed2, "0.00"},
        {"5e-300", kFixed6, "0.000000"},
        {" +7 ", kInteger, "7"},
        {"100", kInteger, "100"},
        {"1000", kInteger, "1,000"},
        {"0.25", kPercent1, "25.0%"},
        {"1234.5", kPercent1, "123450.0%"},
        {"-0.00049", kPercent1, "0.0%"},
        {"0.0005", {FormatKind::Percent, 0}, "0%"},
        {"0.005", {FormatKind::Percent, 0}, "1%"},
        {"2024-03-05", kDate, "2024-03-05"},
        {"2024-03-05 14:07:09", kDate, "2024-03-05"},
        {"2024-03-05T14:07:09.997", kDateTime, "2024-03-05 14:07:09"},
        {"2024-03-05 14:07:09.000+08:00", kDateTime, "2024-03-05 14:07:09"},
        {"2024-03-05T14:07Z", kDateTime, "2024-03-05 14:07:00"},
        {"2024-03-05", kDateTime, "2024-03-05 00:00:00"},
        // Texts a format cannot read pass through.
        {"2024-02-30", kDate, "2024-02-30"},
        {"12.5", kDate, "12.5"},
        {"2024-03-05", kFixed2, "2024-03-05"},
        {"1,234", kFixed2, "1,234"},
        {"0x1F", kInteger, "0x1F"},
        {"inf", kInteger, "inf"},
        {"1e400", kInteger, "1e400"},
        {"12.", kFixed2, "12.00"},
        {".5", kFixed2, "0.50"},
        {"-", kFixed2, "-"},
        {"合计", kFixed2, "合计"},
        {"", kFixed2, ""},
        {"0.142857142857143", kGeneral, "0.142857142857143"},
        {"007", kText, "007"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(formatted(QString::fromUtf8(c.text), c.format, Separators{}),
                  QString::fromUtf8(c.shown))
            << c.text << " as " << formatCode(c.format).toStdString();
    }
    // A host's separators.
    EXPECT_EQ(formatted("-1234567.891", kFixed2, Separators{u',', u'.'}), "-1.234.567,89");
}

TEST(ColumnFormat, NumberLookDecidesAlignment) {
    EXPECT_TRUE(cellDisplay("24318246.5", kFixed2, {}).number);
    EXPECT_TRUE(cellDisplay("12", kGeneral, {}).number);
    EXPECT_FALSE(cellDisplay("12", kText, {}).number);
    EXPECT_TRUE(cellDisplay("12", kDate, {}).number);  // not a date: general reading
    EXPECT_FALSE(cellDisplay("合计", kFixed2, {}).number);
}

TEST(ColumnFormat, CodesRoundTrip) {
    for (FormatKind kind : {FormatKind::General, FormatKind::Date, FormatKind::DateTime,
                            FormatKind::Text, FormatKind::Number, FormatKind::Percent}) {
        const bool counted = kind == FormatKind::Number || kind == FormatKind::Percent;
        for (int d = 0; d <= (counted ? kMaxFormatDecimals : 0); ++d) {
            const ColumnFormat f{kind, d};
            EXPECT_EQ(parseFormatCode(formatCode(f)), f) << formatCode(f).toStdString();
        }
    }
    for (const char *bad : {"0", "#,##0.0000000", "yyyy/MM/dd", "General"})
        EXPECT_EQ(parseFormatCode(bad), std::nullopt) << bad;
}
