// The reader of a stored grouping (分组) and its writer.
//
// Input: one byte for the sheet's column count (0 to 15), then the stored text as UTF-8.
//
// Properties:
//  - reading never fails, and each part it leaves out is named in a sentence of its own;
//  - every column the grouping uses lies in the sheet, and there are at most
//    kMaxGroupLevels levels;
//  - a non-blank text that is no JSON object is named and gives no grouping;
//  - what is written reads back as the same grouping with nothing left out, and writes again
//    as the same text.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "FuzzSupport.h"
#include "groups/StoredGrouping.h"

using tessel::groups::readGrouping;
using tessel::groups::writeGrouping;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const int columns = data[0] % 16;
    const QString text = tessel::fuzz::utf8(data + 1, size - 1);
    const tessel::groups::StoredGrouping read = readGrouping(text, columns);
    const auto what = [&] {
        return QStringLiteral("columns %1\ntext: %2\nleft out: %3")
            .arg(columns)
            .arg(text, read.ignored.join(u'\n'));
    };
    for (const QString &sentence : read.ignored)
        FUZZ_REQUIRE(!sentence.trimmed().isEmpty(), what());
    // A text that is no JSON object is named as such.
    if (!text.trimmed().isEmpty() && !QJsonDocument::fromJson(text.toUtf8()).isObject())
        FUZZ_REQUIRE(!read.ignored.isEmpty() && read.grouping.isEmpty(), what());

    const tessel::grid::Grouping &g = read.grouping;
    FUZZ_REQUIRE(int(g.levels.size()) <= tessel::grid::kMaxGroupLevels, what());
    const auto inSheet = [&](int c) { return c >= 1 && c <= columns; };
    for (const tessel::grid::GroupLevel &l : g.levels) {
        FUZZ_REQUIRE(inSheet(l.column), what());
        if (l.totals) {
            for (const tessel::grid::GroupTotal &t : *l.totals)
                FUZZ_REQUIRE(inSheet(t.column), what());
        }
    }
    if (g.pageTotals) {
        for (int c : g.pageTotals->columns)
            FUZZ_REQUIRE(inSheet(c), what());
    }

    const QString written = writeGrouping(g, read.object);
    const tessel::groups::StoredGrouping again = readGrouping(written, columns);
    FUZZ_REQUIRE(again.grouping == g, what() + QStringLiteral("\nwritten: ") + written);
    FUZZ_REQUIRE(again.ignored.isEmpty(), what() + QStringLiteral("\nwritten: ") + written);
    FUZZ_REQUIRE(writeGrouping(again.grouping, again.object) == written,
                 what() + QStringLiteral("\nwritten: ") + written);
    return 0;
}
