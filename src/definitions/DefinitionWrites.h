// The writes of the definition row, one for each window that stores into it.
//
// Each looks the row up by its exact name with the statement of that window, writes the
// row's changed fields in place (bound values, optimistic lock) and throws Error when the
// database refuses; the runs and windows read the row back with readDefinition.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "db/Connection.h"
#include "grid/Sheet.h"

namespace tessel::definitions {

// The designer's save, in one transaction: when no row is named `name`, a new one is added
// first with the defaults of a new report (列数 `count`, the print flags on but shadows,
// half-inch margins, the query `query` without its condition) and `mergeList` becomes "1".
// Then the widths and labels of columns 1..count of `sheet`, its header row height and
// `mergeList` are stored. Returns true when the row was added. Throws Error(Connection)
// without an open connection; on any failure nothing is stored (the caller puts mergeList
// back).
bool saveLayout(const db::Connection &connection, const QString &name, const grid::Sheet &sheet,
                int count, const QString &query, QString &mergeList);

// The data-set wizard's save, in one transaction: the row named `name` (added when there is
// none) gets the name, the query, the label list `labels` and the column count `count`.
// Returns true when the row was added.
bool saveQuery(const db::Connection &connection, const QString &name, const QString &query,
               const QString &labels, int count);

// The print content options' save: the seven print flags of `options` (1 on, 0 off) and
// its print type as the range code (0 all, 1 selected block, 2 current page, 3 page range,
// with pageStart..pageEnd as its pages). `beforeWrite` runs once the row is found and its
// fields are set, right before the row is written, so the caller can change its sheet
// alongside. Returns false, storing nothing and running nothing, when no row is named
// `name`.
bool savePrintOptions(const db::Connection &connection, const QString &name,
                      const grid::PrintSettings &options, const std::function<void()> &beforeWrite);

// What the page setup stores: orientation and the four margins in inches.
struct PageSetupValues {
    bool portrait = false;
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
};

// The page setup's save: orientation ("1" portrait, "2" landscape) and margins, with
// `beforeWrite` and the result as for savePrintOptions.
bool savePageSetup(const db::Connection &connection, const QString &name,
                   const PageSetupValues &values, const std::function<void()> &beforeWrite);

// Which part of the page the header/footer editor saves.
enum class PagePart { Header, Footer };

// What the header/footer editor stores: a part's code string and which parts print (the
// 页头页脚 code: 0 none, 1 header, 2 footer, 3 both).
struct PartToStore {
    QString text;
    int shown = 0;
};

// What the header/footer editor's save leaves in the row: the part's text as stored and
// the other part's text as the row held it (NULL as the empty text).
struct SavedParts {
    QString text;
    QString other;
};

// The header/footer editor's save. `compose` runs once the row is found and gives what to
// store; the row then gets the part's text and the shown code. Returns nullopt, composing
// and storing nothing, when no row is named `name`.
std::optional<SavedParts> saveHeaderFooter(const db::Connection &connection, const QString &name,
                                           PagePart part,
                                           const std::function<PartToStore()> &compose);

}  // namespace tessel::definitions
