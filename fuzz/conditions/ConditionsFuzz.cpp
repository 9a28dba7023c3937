// The reader of the stored conditional formats (条件格式) and the looks of its rules.
//
// Input: one byte for the column count (1 to 8), then the stored text as UTF-8, a NUL and the
// cells of a sheet of that many columns, row by row, separated by commas.
//
// Properties (what the reader itself owes is fuzzed by fuzz_stored_settings):
//  - a look's bar is a share of 0..1, and rows that are not data rows get no look.
#include "FuzzSupport.h"
#include "conditions/CellLooks.h"
#include "conditions/StoredConditions.h"
#include "grid/Sheet.h"

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const int count = 1 + data[0] % 8;
    const QStringList input = fuzz::utf8(data + 1, size - 1).split(QChar(0));
    const QString text = input.value(0);
    const conditions::StoredConditions read = conditions::readConditions(text, count);
    const auto what = [&] {
        return QStringLiteral("count %1\ntext: %2\nignored: %3")
            .arg(count)
            .arg(text, read.ignored.join(u'\n'));
    };

    grid::Sheet sheet;
    const QStringList cells = input.value(1).split(u',');
    const int rows = int(cells.size() + count - 1) / count;
    sheet.setMaxCols(count);
    sheet.setMaxRows(rows + 1);
    for (int i = 0; i < cells.size(); ++i)
        sheet.setText(1 + i % count, 1 + i / count, cells[i]);
    sheet.setRowMark(rows + 1, grid::RowMark{grid::RowKind::Totals, 0});
    sheet.setText(1, rows + 1, QStringLiteral("99999"));
    const conditions::CellLooks looks(read.rules);
    for (int row = 0; row <= rows + 1; ++row) {
        for (int col = 1; col <= count; ++col) {
            const conditions::CellLook look = looks.look(sheet, col, row);
            FUZZ_REQUIRE(!look.bar || (*look.bar >= 0 && *look.bar <= 1), what());
            FUZZ_REQUIRE(look.isEmpty() || (row >= 1 && row <= rows), what());
        }
    }
    return 0;
}
