#include "definitions/DefinitionRecord.h"

#include <tessel/Error.h>

#include <cmath>
#include <limits>

#include "base/Language.h"
#include "base/ValueText.h"
#include "definitions/Columns.h"
#include "definitions/Definitions.h"

namespace tessel::definitions {

namespace {

// The value of one column; a row that cannot give it keeps the reason.
Stored<QVariant> cell(const db::Recordset &row, const QString &column) {
    try {
        return row.value(column);
    } catch (const std::exception &) {
        return Stored<QVariant>::failed(std::current_exception());
    }
}

template <class T, class F>
Stored<T> convert(const Stored<QVariant> &stored, F &&toValue) {
    if (!stored.readable())
        return Stored<T>::failed(stored.failure());
    return toValue(stored.value());
}

bool isNull(const QVariant &v) {
    return !v.isValid() || v.isNull();
}

// The text of a value; nullopt for NULL, which no text stands for.
std::optional<QString> textOrNull(const QVariant &v) {
    if (isNull(v))
        return std::nullopt;
    return base::valueToText(v);
}

// The text of a print setting's column: nullopt when NULL or unreadable, both of which
// leave the setting as it was.
std::optional<QString> settingText(const db::Recordset &row, const QString &column) {
    const Stored<QVariant> v = cell(row, column);
    return v.readable() ? textOrNull(v.value()) : std::nullopt;
}

std::optional<double> settingNumber(const db::Recordset &row, const QString &column) {
    return decodeNumber(settingText(row, column).value_or(QString()));
}

std::optional<bool> settingFlag(const db::Recordset &row, const QString &column) {
    const auto d = settingNumber(row, column);
    if (!d)
        return std::nullopt;
    return *d != 0.0;
}

// A number as a whole number, rounded half to even; nullopt outside the int range.
std::optional<int> settingWhole(const db::Recordset &row, const QString &column) {
    const auto d = settingNumber(row, column);
    if (!d)
        return std::nullopt;
    const double r = std::nearbyint(*d);
    if (!(r >= double(std::numeric_limits<int>::min()) &&
          r <= double(std::numeric_limits<int>::max())))
        return std::nullopt;
    return int(r);
}

grid::PrintType rangeOf(const std::optional<QString> &text) {
    if (!text || *text == u"0")
        return grid::PrintType::All;
    if (*text == u"1")
        return grid::PrintType::CellRange;
    if (*text == u"2")
        return grid::PrintType::CurrentPage;
    return grid::PrintType::PageRange;
}

HeaderFooterParts partsOf(const QString &code) {
    if (code == u"1")
        return HeaderFooterParts::Header;
    if (code == u"2")
        return HeaderFooterParts::Footer;
    if (code == u"3")
        return HeaderFooterParts::Both;
    return HeaderFooterParts::None;
}

// 行高 is read the way the runs lay the header out after the definition: the value's own
// text, whitespace trimmed, as QString reads a double, so a stored real infinity (text
// "inf") is a height too and the sheet's refusal fails the run.
std::optional<double> heightOf(const QVariant &v) {
    bool ok = false;
    const double height = v.toString().trimmed().toDouble(&ok);
    if (v.isNull() || !ok)
        return std::nullopt;
    return height;
}

}  // namespace

DefinitionRecord readDefinition(const db::Recordset &row) {
    namespace col = column;
    DefinitionRecord d;
    const auto text = [](const QVariant &v) { return base::valueToText(v); };
    const Stored<QVariant> name = cell(row, col::kName);
    const Stored<QVariant> query = cell(row, col::kQuery);
    const Stored<QVariant> labels = cell(row, col::kLabels);
    const Stored<QVariant> widths = cell(row, col::kWidths);
    const Stored<QVariant> height = cell(row, col::kHeaderHeight);
    const Stored<QVariant> count = cell(row, col::kColumnCount);
    const Stored<QVariant> headerText = cell(row, col::kHeaderText);
    const Stored<QVariant> footerText = cell(row, col::kFooterText);
    d.name = convert<QString>(name, text);
    d.query = convert<QString>(query, text);
    d.labels = convert<std::optional<QString>>(labels, textOrNull);
    d.widths = convert<std::optional<QString>>(widths, textOrNull);
    d.headerHeight = convert<std::optional<double>>(height, heightOf);
    d.columnCount = convert<std::optional<int>>(count, decodeColumnCount);
    d.headerText = convert<std::optional<QString>>(headerText, textOrNull);
    d.footerText = convert<std::optional<QString>>(footerText, textOrNull);

    d.merges = settingText(row, col::kMerges);
    d.flags.colHeaders = settingFlag(row, col::kColHeaders);
    d.flags.rowHeaders = settingFlag(row, col::kRowHeaders);
    d.flags.gridLines = settingFlag(row, col::kGridLines);
    d.flags.border = settingFlag(row, col::kBorder);
    d.flags.onlyData = settingFlag(row, col::kOnlyData);
    d.flags.color = settingFlag(row, col::kColor);
    d.flags.shadows = settingFlag(row, col::kShadows);
    d.range = rangeOf(settingText(row, col::kRange));
    d.firstPage = settingWhole(row, col::kFirstPage);
    d.lastPage = settingWhole(row, col::kLastPage);
    d.marginLeft = settingNumber(row, col::kLeft);
    d.marginRight = settingNumber(row, col::kRight);
    d.marginTop = settingNumber(row, col::kTop);
    d.marginBottom = settingNumber(row, col::kBottom);
    const QString orientation = trimBlanks(settingText(row, col::kOrientation).value_or(QString()));
    d.orientation =
        orientation == u"1" ? grid::Orientation::Portrait : grid::Orientation::Landscape;
    d.headerFooter = partsOf(trimBlanks(settingText(row, col::kHeaderFooter).value_or(QString())));
    return d;
}

int requireColumnCount(const DefinitionRecord &definition) {
    // Without a column count a host grid cannot be laid out on the stored report: the run
    // fails as any other of its steps does, rather than showing an empty sheet.
    const std::optional<int> count = definition.columnCount.value();
    if (!count) {
        throw Error(Error::Category::Conversion, tessel::base::tr("报表的列数不是数字"));
    }
    return *count;
}

}  // namespace tessel::definitions
