// The groups dialog's edits of a grouping, without widgets.
#include <gtest/gtest.h>

#include <functional>

#include "settingdialogs/GroupEditing.h"

using namespace tessel;
using grid::GroupTotal;
using grid::TotalFunction;

namespace {

TEST(GroupEditing, SetTotalKeepsColumnOrderAndStartsFromTheDefaults) {
    using Totals = std::optional<std::vector<GroupTotal>>;
    const struct {
        const char *name;
        Totals before;
        int column;
        std::optional<TotalFunction> function;
        std::vector<GroupTotal> after;
    } cases[] = {
        {"default, one more column",
         std::nullopt,
         4,
         TotalFunction::Average,
         {{3, TotalFunction::Sum}, {4, TotalFunction::Average}, {5, TotalFunction::Sum}}},
        {"default, a default column off", std::nullopt, 3, std::nullopt, {{5, TotalFunction::Sum}}},
        {"before the others",
         Totals{{{5, TotalFunction::Max}}},
         2,
         TotalFunction::Count,
         {{2, TotalFunction::Count}, {5, TotalFunction::Max}}},
        {"function replaced",
         Totals{{{2, TotalFunction::Count}, {5, TotalFunction::Max}}},
         5,
         TotalFunction::Min,
         {{2, TotalFunction::Count}, {5, TotalFunction::Min}}},
        {"last one off", Totals{{{5, TotalFunction::Max}}}, 5, std::nullopt, {}},
    };
    for (const auto &c : cases) {
        grid::GroupLevel level;
        level.totals = c.before;
        settingdialogs::setTotal(level, c.column, c.function, {3, 5});
        EXPECT_EQ(level.totals, Totals(c.after)) << c.name;
        EXPECT_EQ(settingdialogs::totalOf(level, c.column), c.function) << c.name;
    }
}

TEST(GroupEditing, LevelsAreAddedMovedAndRemovedWithinBounds) {
    const struct {
        const char *name;
        std::function<bool(grid::Grouping &)> edit;
        bool done;
        std::vector<int> columns;
    } cases[] = {
        {"add", [](auto &g) { return settingdialogs::addLevel(g, 4) == 2; }, true, {1, 2, 4}},
        {"add past the last",
         [](auto &g) {
             settingdialogs::addLevel(g, 4);
             return settingdialogs::addLevel(g, 5).has_value();
         },
         false,
         {1, 2, 4}},
        {"inner outward",
         [](auto &g) { return settingdialogs::moveLevel(g, 1, -1); },
         true,
         {2, 1}},
        {"outer inward", [](auto &g) { return settingdialogs::moveLevel(g, 0, 1); }, true, {2, 1}},
        {"outermost outward",
         [](auto &g) { return settingdialogs::moveLevel(g, 0, -1); },
         false,
         {1, 2}},
        {"innermost inward",
         [](auto &g) { return settingdialogs::moveLevel(g, 1, 1); },
         false,
         {1, 2}},
        {"remove", [](auto &g) { return settingdialogs::removeLevel(g, 0); }, true, {2}},
        {"remove none", [](auto &g) { return settingdialogs::removeLevel(g, 2); }, false, {1, 2}},
    };
    for (const auto &c : cases) {
        grid::Grouping g;
        g.levels.resize(2);
        g.levels[0].column = 1;
        g.levels[0].header = true;  // moves with its level
        g.levels[1].column = 2;
        EXPECT_EQ(c.edit(g), c.done) << c.name;
        std::vector<int> columns;
        for (const grid::GroupLevel &l : g.levels) {
            columns.push_back(l.column);
            EXPECT_EQ(l.header, l.column == 1) << c.name;
        }
        EXPECT_EQ(columns, c.columns) << c.name;
    }
}

// A sheet a run grouped: the sample takes its data rows only, with the columns' labels.
TEST(GroupEditing, TheSampleIsTheDataRowsOfAGroupedSheet) {
    grid::Sheet grouped;
    grouped.setMaxCols(2);
    grouped.setMaxRows(5);
    grouped.setText(1, 0, QStringLiteral("部门"));
    grouped.setColWidth(2, 12);
    const char *values[] = {"华东", "华东 小计", "华南", "华南 小计", "合计"};
    for (int r = 1; r <= 5; ++r)
        grouped.setText(1, r, QString::fromUtf8(values[r - 1]));
    grouped.setRowMark(2, {grid::RowKind::Subtotal, 1});
    grouped.setRowMark(4, {grid::RowKind::Subtotal, 1});
    grouped.setRowMark(5, {grid::RowKind::Totals, 0});
    grid::Sheet sample;
    sample.setRowMark(1, {grid::RowKind::GroupHeader, 1});  // what it held goes
    settingdialogs::takeDataSample(grouped, 20, sample);
    EXPECT_EQ(sample.maxRows(), 2);
    EXPECT_EQ(sample.text(1, 0), QStringLiteral("部门"));
    EXPECT_EQ(sample.text(1, 2), QStringLiteral("华南"));
    EXPECT_EQ(sample.colWidth(2), 12);
    EXPECT_TRUE(sample.rowMarks().empty());
    settingdialogs::takeDataSample(grouped, 1, sample);
    EXPECT_EQ(sample.maxRows(), 1);
}

}  // namespace
