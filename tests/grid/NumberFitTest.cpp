#include <gtest/gtest.h>

#include "grid/NumberFit.h"

using namespace tessel::grid;

TEST(NumberFit, RoundsToTheDecimalsThatFitOrShowsHashes) {
    // Widths in characters, every character one wide.
    const struct {
        const char *text;
        double available;
        const char *shown;
    } cases[] = {
        {"0.142857142857143", 6, "0.1429"},
        {"-0.142857142857143", 6, "-0.143"},
        {"123456.789", 6, "123457"},
        {"123456789", 6, "######"},
        {"999999.9", 6, "######"},  // rounds up to seven digits
        {"9.96", 3, "10"},
        {"2.675", 4, "2.68"},  // rounded as written, not as the nearest double
        {"1.10000001", 6, "1.1"},
        {"-0.0001", 3, "0"},
        {"1.23456789e+20", 8, "1.23e+20"},
        {"9.996e+20", 6, "1e+21"},  // a mantissa rounded up to 10 moves to the next power
        {"-9.7E-07", 6, "-1E-06"},
        {"-1.5E-07", 6, "-2E-07"},
        {"1e+20", 4, "####"},
        {"12abc", 3, "###"},
    };
    const TextWidth chars = [](const QString &t) { return double(t.size()); };
    for (const auto &c : cases) {
        EXPECT_EQ(fitNumberText(QString::fromLatin1(c.text), c.available, chars),
                  QString::fromLatin1(c.shown))
            << c.text << " in " << c.available;
    }
}
