#include "grid/Grouping.h"

#include <array>

#include "grid/Sheet.h"

namespace tessel::grid {

std::vector<GroupSpan> groupSpans(const Sheet &sheet) {
    std::vector<GroupSpan> spans;
    // open[l] is the first row of the open group of level l + 1; 0 when none is open.
    std::array<int, kMaxGroupLevels> open{};
    const auto openUpTo = [&](int level, int row) {
        for (int l = 0; l < level && l < kMaxGroupLevels; ++l) {
            if (open[std::size_t(l)] == 0)
                open[std::size_t(l)] = row;
        }
    };
    int previous = 0;  // the row of the mark before
    for (const auto &[row, mark] : sheet.rowMarks()) {
        if (row > sheet.maxRows() || mark.kind == RowKind::Totals)
            break;
        // Data rows since the previous mark open every level not yet open.
        if (row > previous + 1)
            openUpTo(kMaxGroupLevels, previous + 1);
        previous = row;
        if (mark.level < 1 || mark.level > kMaxGroupLevels)
            continue;
        if (mark.kind == RowKind::GroupHeader) {
            openUpTo(mark.level, row);
        } else if (mark.kind == RowKind::Subtotal) {
            openUpTo(mark.level, row);  // a group of no data rows still ends here
            spans.push_back({mark.level, open[std::size_t(mark.level - 1)], row});
            for (int l = mark.level - 1; l < kMaxGroupLevels; ++l)
                open[std::size_t(l)] = 0;
        }
    }
    return spans;
}

int subtotalLabelColumn(const Sheet &sheet) {
    for (int c = 1; c <= sheet.maxCols(); ++c) {
        if (sheet.colWidth(c) > 1)
            return c;
    }
    return 0;
}

}  // namespace tessel::grid
