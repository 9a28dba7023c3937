// The codecs of the definition record's list columns: labels (列标注), widths (列宽) and
// merged columns (合并).
//
// Input: one byte for the column count (0 to 15), then the label text, the width text and
// the merge text as UTF-8, separated by NUL characters.
//
// Properties:
//  - decoding loses nothing: the elements joined with their separator give the text back;
//  - a label and width list applied to a sheet and written back from it is stable after
//    one round: applying what was written and writing again gives the same widths and the
//    same labels, except that a label the first sheet never received (a column past the
//    stored list) is written empty and so reads back as the blank label " ";
//  - from then on the texts do not change at all.
#include <QStringList>

#include "FuzzSupport.h"
#include "definitions/Definitions.h"
#include "grid/Sheet.h"
#include "report/SheetBuilding.h"

using tessel::definitions::decodeLabels;
using tessel::definitions::decodeMerges;
using tessel::definitions::decodeWidths;
using tessel::definitions::encodeLabels;
using tessel::definitions::encodeWidths;
using tessel::grid::Sheet;

namespace {

void checkDecode(const QString &text, const QStringList &elements, QChar separator) {
    FUZZ_REQUIRE(elements.join(separator) == text,
                 QStringLiteral("text: %1\nelements: %2").arg(text, elements.join(u'|')));
}

// The labels as the reader applies them: an empty element is the label " ".
QStringList appliedLabels(const QString &text) {
    QStringList labels = decodeLabels(text);
    for (QString &label : labels) {
        if (label.isEmpty())
            label = QStringLiteral(" ");
    }
    return labels;
}

// Applies `labels` and `widths` to a fresh sheet and writes them back.
std::pair<QString, QString> applyAndWrite(const QString &labels, const QString &widths, int count) {
    Sheet sheet;
    tessel::report::SetLabelsAndWidths(std::optional<QString>(labels),
                                       std::optional<QString>(widths), count, sheet);
    return {encodeLabels(sheet, count), encodeWidths(sheet, count)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const int count = data[0] % 16;
    const QStringList parts = tessel::fuzz::utf8(data + 1, size - 1).split(QChar(0));
    const QString labels = parts.value(0);
    const QString widths = parts.value(1);
    const QString merges = parts.value(2);

    checkDecode(labels, decodeLabels(labels), u'，');
    checkDecode(widths, decodeWidths(widths), u' ');
    checkDecode(merges, decodeMerges(merges), u',');

    const auto first = applyAndWrite(labels, widths, count);
    const auto second = applyAndWrite(first.first, first.second, count);
    const auto third = applyAndWrite(second.first, second.second, count);
    const auto what = [&] {
        return QStringLiteral(
                   "count %1\nlabels: %2\nwidths: %3\nwritten: %4 / %5\n"
                   "written again: %6 / %7")
            .arg(count)
            .arg(labels, widths, first.first, first.second, second.first, second.second);
    };
    FUZZ_REQUIRE(second.second == first.second, what());
    FUZZ_REQUIRE(appliedLabels(second.first) == appliedLabels(first.first), what());
    FUZZ_REQUIRE(third == second, what());
    return 0;
}
