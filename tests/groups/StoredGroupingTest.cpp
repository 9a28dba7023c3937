#include <gtest/gtest.h>

#include "groups/StoredGrouping.h"

using namespace tessel;

// Each stored text read for a sheet of 4 columns and written back: what is used, what the
// user is told is left out (how many parts, and a word of the first), what survives.
TEST(StoredGrouping, ReadLeavesOutWhatItCannotUseAndWritesBackWhatItKeeps) {
    const struct {
        const char *name, *stored;
        int ignored;
        const char *named, *written;
    } cases[] = {
        {"nothing", " ", 0, "", ""},
        {"the full form",
         R"({"levels":[{"column":1,"totals":{"4":"avg","3":"sum"},"label":"{value} 计","header":true,"pageBreak":true,"keepTogether":true}],"sort":false,"pageTotals":{"columns":[3,4],"label":"本页","running":"累计","carried":"承前页"}})",
         0, "",
         R"({"levels":[{"column":1,"header":true,"keepTogether":true,"label":"{value} 计","pageBreak":true,"totals":{"3":"sum","4":"avg"}}],"pageTotals":{"carried":"承前页","columns":[3,4],"label":"本页","running":"累计"},"sort":false})"},
        {"defaults", R"({"levels":[{"column":2.0}],"pageTotals":{"columns":[]}})", 0, "",
         R"({"levels":[{"column":2,"header":false,"keepTogether":false,"label":"{value} 小计","pageBreak":false}],"pageTotals":{"columns":[],"label":"本页小计"},"sort":true})"},
        {"unknown keys kept",
         R"({"v":9,"levels":[{"column":3,"w":[1]},{"column":1}],"pageTotals":{"columns":[1],"x":"y"}})",
         0, "",
         R"({"levels":[{"column":3,"header":false,"keepTogether":false,"label":"{value} 小计","pageBreak":false,"w":[1]},{"column":1,"header":false,"keepTogether":false,"label":"{value} 小计","pageBreak":false}],"pageTotals":{"columns":[1],"label":"本页小计","x":"y"},"sort":true,"v":9})"},
        {"not JSON", "{levels", 1, "JSON", ""},
        {"no object", "[1]", 1, "JSON", ""},
        {"column outside the sheet", R"({"levels":[{"column":5},{"column":"a"},{}],"u":1})", 3, "5",
         R"({"u":1})"},
        {"bad totals",
         R"({"levels":[{"column":1,"totals":{"2":"median","9":"sum","x":"sum","3":"count"}}]})", 3,
         "median",
         R"({"levels":[{"column":1,"header":false,"keepTogether":false,"label":"{value} 小计","pageBreak":false,"totals":{"3":"count"}}],"sort":true})"},
        {"too many levels", R"({"levels":[{"column":1},{"column":2},{"column":3},{"column":4}]})",
         1, "3", nullptr},
        {"wrong types",
         R"({"levels":[{"column":1,"header":"yes","label":5,"totals":[]}],"sort":0,"pageTotals":{"columns":[1,1,0],"running":true}})",
         7, "totals",
         R"({"levels":[{"column":1,"header":false,"keepTogether":false,"label":"{value} 小计","pageBreak":false}],"pageTotals":{"columns":[1],"label":"本页小计"},"sort":true})"},
        {"page totals without columns", R"({"pageTotals":{"label":"x"},"levels":7})", 2, "levels",
         ""},
    };
    for (const auto &c : cases) {
        const groups::StoredGrouping read = groups::readGrouping(QString::fromUtf8(c.stored), 4);
        EXPECT_EQ(read.ignored.size(), c.ignored)
            << c.name << ": " << read.ignored.join('|').toStdString();
        EXPECT_TRUE(read.ignored.value(0).contains(QString::fromUtf8(c.named))) << c.name;
        if (c.written) {
            EXPECT_EQ(groups::writeGrouping(read.grouping, read.object).toStdString(), c.written)
                << c.name;
        }
        // What was written reads back as the same grouping, with nothing left out.
        const groups::StoredGrouping again =
            groups::readGrouping(groups::writeGrouping(read.grouping, read.object), 4);
        EXPECT_EQ(again.grouping, read.grouping) << c.name;
        EXPECT_TRUE(again.ignored.isEmpty()) << c.name;
    }
    EXPECT_TRUE(groups::ignoredNotice("R", {"甲。", "乙。"}).contains(QStringLiteral("分组")));
}
