#include "settingdialogs/GroupEditing.h"

#include <QCoreApplication>
#include <algorithm>

#include "settingdialogs/ListItems.h"

namespace tessel::settingdialogs {

using grid::Grouping;
using grid::GroupLevel;
using grid::GroupTotal;
using grid::TotalFunction;

const std::array<TotalChoice, 5> &totalChoices() {
    static const std::array<TotalChoice, 5> choices = {{
        {TotalFunction::Sum, QT_TRANSLATE_NOOP("tessel::base", "合计")},
        {TotalFunction::Count, QT_TRANSLATE_NOOP("tessel::base", "计数")},
        {TotalFunction::Average, QT_TRANSLATE_NOOP("tessel::base", "平均")},
        {TotalFunction::Max, QT_TRANSLATE_NOOP("tessel::base", "最大")},
        {TotalFunction::Min, QT_TRANSLATE_NOOP("tessel::base", "最小")},
    }};
    return choices;
}

int totalChoiceIndex(TotalFunction function) {
    const auto &choices = totalChoices();
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].function == function)
            return int(i);
    }
    return 0;
}

std::optional<int> addLevel(Grouping &grouping, int column) {
    if (int(grouping.levels.size()) >= grid::kMaxGroupLevels)
        return std::nullopt;
    GroupLevel level;
    level.column = column;
    grouping.levels.push_back(level);
    return int(grouping.levels.size()) - 1;
}

bool removeLevel(Grouping &grouping, int index) {
    return removeItem(grouping.levels, index);
}

bool moveLevel(Grouping &grouping, int index, int step) {
    return moveItem(grouping.levels, index, index + step);
}

std::optional<TotalFunction> totalOf(const GroupLevel &level, int column) {
    if (!level.totals)
        return std::nullopt;
    for (const GroupTotal &t : *level.totals) {
        if (t.column == column)
            return t.function;
    }
    return std::nullopt;
}

void setTotal(GroupLevel &level, int column, std::optional<TotalFunction> function,
              const std::vector<int> &defaults) {
    if (!level.totals) {
        std::vector<GroupTotal> sums;
        for (int c : defaults)
            sums.push_back(GroupTotal{c, TotalFunction::Sum});
        level.totals = std::move(sums);
    }
    std::vector<GroupTotal> &totals = *level.totals;
    std::erase_if(totals, [column](const GroupTotal &t) { return t.column == column; });
    if (!function)
        return;
    const auto at = std::find_if(totals.begin(), totals.end(),
                                 [column](const GroupTotal &t) { return t.column > column; });
    totals.insert(at, GroupTotal{column, *function});
}

void takeDataSample(const grid::Sheet &from, int rows, grid::Sheet &to) {
    to.clear();
    const int cols = from.maxCols();
    to.setMaxCols(cols);
    to.setMaxRows(0);
    to.setRowHeight(0, from.rowHeight(0));
    for (int c = 1; c <= cols; ++c) {
        to.setText(c, 0, from.text(c, 0));
        to.setColWidth(c, from.colWidth(c));
        to.setColFormat(c, from.colFormat(c));
        to.setColMerge(c, from.colMerge(c));
    }
    // A sheet the run grouped already holds header, subtotal and totals rows among its data;
    // the sample is the data alone, which the dialog groups afresh.
    int taken = 0;
    for (int r = 1; r <= from.maxRows() && taken < rows; ++r) {
        if (!from.isDataRow(r))
            continue;
        ++taken;
        to.setMaxRows(taken);
        for (int c = 1; c <= cols; ++c)
            to.setTextUtf8(c, taken, from.textUtf8(c, r));
    }
}

}  // namespace tessel::settingdialogs
