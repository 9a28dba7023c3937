#include "definitions/DefinitionWrites.h"

#include "db/Recordset.h"
#include "definitions/Columns.h"
#include "definitions/Definitions.h"

namespace tessel::definitions {

namespace col = column;

bool saveLayout(const db::Connection &connection, const QString &name, const grid::Sheet &sheet,
                int count, const QString &query, QString &mergeList) {
    connection.requireOpen();
    db::Transaction tx(connection);
    db::Recordset rs = open(selectReportForSave(name), connection, Access::Editable);
    bool created = false;
    if (notFound(rs)) {
        rs.addNew();
        rs.setValue(col::kName, name);
        rs.setValue(col::kColumnCount, count);
        for (const QString *flag : {&col::kColHeaders, &col::kRowHeaders, &col::kGridLines,
                                    &col::kBorder, &col::kOnlyData, &col::kColor}) {
            rs.setValue(*flag, qint16(1));
        }
        rs.setValue(col::kShadows, qint16(0));
        for (const QString *margin : {&col::kTop, &col::kBottom, &col::kLeft, &col::kRight})
            rs.setValue(*margin, 0.5);
        rs.setValue(col::kQuery, cutBeforeWhere(query));
        mergeList = QStringLiteral("1");
        created = true;
    }
    rs.update();
    connection.execute(
        updateLayout(encodeWidths(sheet, count), encodeHeaderHeight(sheet), mergeList, name));
    connection.execute(updateLabels(encodeLabels(sheet, count), name));
    rs.close();
    tx.commit();
    return created;
}

bool saveQuery(const db::Connection &connection, const QString &name, const QString &query,
               const QString &labels, int count) {
    db::Transaction tx(connection);
    db::Recordset row = open(selectReportForSave(name), connection, Access::Editable);
    const bool created = notFound(row);
    if (created)
        row.addNew();
    row.setValue(col::kName, name);
    row.setValue(col::kQuery, query);
    row.setValue(col::kLabels, labels);
    row.setValue(col::kColumnCount, count);
    row.update();
    row.close();
    tx.commit();
    return created;
}

bool savePrintOptions(const db::Connection &connection, const QString &name,
                      const grid::PrintSettings &options,
                      const std::function<void()> &beforeWrite) {
    db::Recordset rs = open(selectReport(name), connection, Access::Editable);
    if (notFound(rs))
        return false;
    const struct {
        const QString &column;
        bool on;
    } flags[] = {{col::kColHeaders, options.colHeaders}, {col::kRowHeaders, options.rowHeaders},
                 {col::kGridLines, options.gridLines},   {col::kBorder, options.border},
                 {col::kOnlyData, options.onlyData},     {col::kColor, options.color},
                 {col::kShadows, options.shadows}};
    for (const auto &flag : flags)
        rs.setValue(flag.column, flag.on ? 1 : 0);
    rs.setValue(col::kRange, int(options.type));
    if (options.type == grid::PrintType::PageRange) {
        rs.setValue(col::kFirstPage, options.pageStart);
        rs.setValue(col::kLastPage, options.pageEnd);
    }
    if (beforeWrite)
        beforeWrite();
    rs.update();
    return true;
}

bool savePageSetup(const db::Connection &connection, const QString &name,
                   const PageSetupValues &values, const std::function<void()> &beforeWrite) {
    db::Recordset rs = open(selectReport(name), connection, Access::Editable);
    if (notFound(rs))
        return false;
    rs.setValue(col::kOrientation, values.portrait ? QStringLiteral("1") : QStringLiteral("2"));
    rs.setValue(col::kTop, values.top);
    rs.setValue(col::kBottom, values.bottom);
    rs.setValue(col::kLeft, values.left);
    rs.setValue(col::kRight, values.right);
    if (beforeWrite)
        beforeWrite();
    rs.update();
    return true;
}

std::optional<SavedParts> saveHeaderFooter(const db::Connection &connection, const QString &name,
                                           PagePart part,
                                           const std::function<PartToStore()> &compose) {
    db::Recordset rs = open(selectReport(name), connection, Access::Editable);
    if (notFound(rs))
        return std::nullopt;
    const bool header = part == PagePart::Header;
    const PartToStore store = compose();
    SavedParts saved{store.text, rs.text(header ? col::kFooterText : col::kHeaderText)};
    rs.setValue(header ? col::kHeaderText : col::kFooterText, store.text);
    rs.setValue(col::kHeaderFooter, qint16(store.shown));
    rs.update();
    return saved;
}

}  // namespace tessel::definitions
