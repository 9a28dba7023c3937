// A fill whose result fails part way through.
#include <gtest/gtest.h>

#include <tessel/Error.h>

#include "report/SheetDb.h"

using namespace tessel;

// SQLite meets the overflow at the third row, as a server's lost connection would be met
// part way: the fill fails instead of passing two rows off as the whole result.
TEST(FillReadError, ARowThatCannotBeReadFailsTheFill) {
    test::SheetDb data;
    grid::Sheet sheet;
    data.fill(sheet, QStringLiteral("select 1, 2"));
    EXPECT_THROW(
        data.fill(sheet, QStringLiteral("with recursive n(x) as (select 1 union all select x + 1 "
                                        "from n where x < 5) select x, case when x = 3 then "
                                        "abs(-9223372036854775807 - 1) end from n")),
        Error);
    EXPECT_EQ(sheet.maxRows(), 1);
}
