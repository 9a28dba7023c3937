// The charts dialog's edits of a report's charts, without the dialog.
#include <gtest/gtest.h>

#include "settingdialogs/ChartEditing.h"

using namespace tessel;
using grid::ChartSpec;
using grid::ChartType;

namespace {

// Columns given as their data cells, one text per row ("" an empty cell); row 0 is left out.
void fill(grid::Sheet &s, const std::vector<std::vector<const char *>> &columns) {
    s.setMaxCols(int(columns.size()));
    s.setMaxRows(int(columns.front().size()));
    for (std::size_t c = 0; c < columns.size(); ++c)
        for (std::size_t r = 0; r < columns[c].size(); ++r)
            s.setText(int(c) + 1, int(r) + 1, QString::fromUtf8(columns[c][r]));
}

// A chart from a column: its categories a column of texts, its values a column of numbers.
TEST(ChartEditing, ChartStartedFromAColumn) {
    grid::Sheet sheet, numbersOnly;
    fill(sheet, {{"2024", "2025"},  // 1: numbers
                 {"销售", "研发"},  // 2: texts
                 {"1,200", ""},     // 3: numbers, one empty
                 {"12", "n/a"},     // 4: texts among numbers
                 {"3.5", "-2"}});   // 5: numbers
    fill(numbersOnly, {{"1", "2"}, {"3", "4"}});
    const struct {
        const char *name;
        const grid::Sheet &sheet;
        int clicked;
        int category;
        std::vector<int> values;
    } cases[] = {
        {"numeric column: first text column", sheet, 3, 2, {3}},
        {"numeric column before the texts", sheet, 1, 2, {1}},
        {"text column: first numbers after it", sheet, 2, 2, {3}},
        {"mixed column counts as texts", sheet, 4, 4, {5}},
        {"no text column", numbersOnly, 2, 1, {2}},
        {"the category is no value", numbersOnly, 1, 1, {2}},
    };
    for (const auto &c : cases) {
        const ChartSpec chart = settingdialogs::chartForColumn(c.sheet, c.clicked);
        EXPECT_EQ(chart.category, c.category) << c.name;
        EXPECT_EQ(chart.values, c.values) << c.name;
    }
}

// Ticking and unticking value columns, and the type's hold on them.
TEST(ChartEditing, ValueColumnsAndType) {
    const struct {
        const char *name;
        ChartType type;
        std::vector<int> values;
        int column;
        bool on;
        std::vector<int> expected;
    } cases[] = {
        {"ticked in column order", ChartType::Column, {2, 5}, 3, true, {2, 3, 5}},
        {"ticked twice", ChartType::Line, {2}, 2, true, {2}},
        {"unticked", ChartType::Bar, {2, 3}, 2, false, {3}},
        {"a pie takes one", ChartType::Pie, {2}, 4, true, {4}},
    };
    for (const auto &c : cases) {
        ChartSpec chart;
        chart.type = c.type;
        chart.values = c.values;
        settingdialogs::setValueColumn(chart, c.column, c.on);
        EXPECT_EQ(chart.values, c.expected) << c.name;
    }
    ChartSpec chart;
    chart.stacked = true;
    chart.values = {2, 3};
    settingdialogs::setChartType(chart, ChartType::Pie);
    EXPECT_FALSE(chart.stacked);
    EXPECT_EQ(chart.values, std::vector<int>{2});
}

}  // namespace
