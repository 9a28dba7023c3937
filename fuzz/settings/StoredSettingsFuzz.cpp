// Every stored JSON setting's reader and writer (分组, 条件格式, 图表), all read with the one
// kit of settings/SettingReader.h.
//
// Input: one byte for a sheet's column count (0 to 15), then the stored text as UTF-8, up to a
// NUL if any. Each setting reads the text for that many columns, for none and for 3.
//
// Properties, for each setting and column count:
//  - reading never fails, and each sentence of what was left out says something;
//  - a blank text is no setting and says nothing; any other text that is no JSON of the
//    setting's shape gives nothing and exactly one sentence;
//  - nothing is left out unnamed: each element of a JSON array is used or named, levels beyond
//    those used are named;
//  - what is used lies in the sheet (columns 1..count, at most kMaxGroupLevels levels, a pie of
//    one series, chart sizes above 0 up to kMaxChartSizeCm);
//  - the notice of what was left out is one line naming the setting;
//  - what is written back reads as the same with nothing left out, and writes the same text.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "FuzzSupport.h"
#include "charts/StoredCharts.h"
#include "conditions/StoredConditions.h"
#include "groups/StoredGrouping.h"

using namespace tessel;

namespace {

// The JSON the text holds, read here by Qt itself, to hold the readers to what it is.
struct Stored {
    bool blank = false;
    bool object = false, array = false;
    QJsonDocument document;
};

Stored storedForm(const QString &text) {
    Stored s;
    s.blank = text.trimmed().isEmpty();
    QJsonParseError error{};
    s.document = QJsonDocument::fromJson(text.toUtf8(), &error);
    const bool json = !s.blank && error.error == QJsonParseError::NoError;
    s.object = json && s.document.isObject();
    s.array = json && s.document.isArray();
    return s;
}

// What every reader owes: a blank text says nothing, a text of the wrong shape one sentence,
// no sentence is empty, and the notice is one line naming the setting.
template <typename What>
void checkSentences(const QStringList &ignored, bool blank, bool wrongShape, bool nothingRead,
                    const QString &notice, const QString &setting, const What &what) {
    for (const QString &sentence : ignored)
        FUZZ_REQUIRE(!sentence.trimmed().isEmpty(), what());
    if (blank)
        FUZZ_REQUIRE(ignored.isEmpty() && nothingRead, what());
    else if (wrongShape)
        FUZZ_REQUIRE(ignored.size() == 1 && nothingRead, what());
    FUZZ_REQUIRE(!notice.contains(u'\n') && notice.contains(setting), what());
}

void checkGrouping(const QString &text, const Stored &stored, int columns) {
    const groups::StoredGrouping read = groups::readGrouping(text, columns);
    const grid::Grouping &g = read.grouping;
    const auto what = [&] {
        return QStringLiteral("grouping, columns %1\ntext: %2\nleft out: %3")
            .arg(columns)
            .arg(text, read.ignored.join(u'\n'));
    };
    checkSentences(read.ignored, stored.blank, !stored.blank && !stored.object, g.isEmpty(),
                   groups::ignoredNotice(QStringLiteral("r"), read.ignored), QStringLiteral("分组"),
                   what);
    const QJsonValue levels = stored.document.object().value(QStringLiteral("levels"));
    if (stored.object && levels.isArray() && levels.toArray().size() > qsizetype(g.levels.size()))
        FUZZ_REQUIRE(!read.ignored.isEmpty(), what());

    FUZZ_REQUIRE(int(g.levels.size()) <= grid::kMaxGroupLevels, what());
    const auto inSheet = [&](int c) { return c >= 1 && c <= columns; };
    for (const grid::GroupLevel &l : g.levels) {
        FUZZ_REQUIRE(inSheet(l.column), what());
        if (l.totals) {
            for (const grid::GroupTotal &t : *l.totals)
                FUZZ_REQUIRE(inSheet(t.column), what());
        }
    }
    if (g.pageTotals) {
        for (int c : g.pageTotals->columns)
            FUZZ_REQUIRE(inSheet(c), what());
    }

    const QString written = groups::writeGrouping(g, read.object);
    const groups::StoredGrouping again = groups::readGrouping(written, columns);
    const QString with = what() + QStringLiteral("\nwritten: ") + written;
    FUZZ_REQUIRE(again.grouping == g && again.ignored.isEmpty(), with);
    FUZZ_REQUIRE(groups::writeGrouping(again.grouping, again.object) == written, with);
}

// A setting stored as an array of items (条件格式, 图表): `read(text, columns)` gives the items
// and what was left out, `write(items)` the text stored for them, and `inside(item)` whether
// an item used lies in the sheet.
template <typename Read, typename Write, typename Inside>
void checkItems(const QString &text, const Stored &stored, int columns, const QString &setting,
                Read read, Write write, Inside inside) {
    const auto first = read(text, columns);
    const auto what = [&] {
        return QStringLiteral("%1, columns %2\ntext: %3\nleft out: %4")
            .arg(setting)
            .arg(columns)
            .arg(text, first.ignored.join(u'\n'));
    };
    checkSentences(first.ignored, stored.blank, !stored.blank && !stored.array, first.items.empty(),
                   first.notice, setting, what);
    if (stored.array) {
        const qsizetype elements = stored.document.array().size();
        const auto used = qsizetype(first.items.size());
        FUZZ_REQUIRE(used <= elements && used + first.ignored.size() >= elements, what());
    }
    for (const auto &item : first.items)
        FUZZ_REQUIRE(inside(item), what());

    const QString written = write(first.items);
    const auto again = read(written, columns);
    const QString with = what() + QStringLiteral("\nwritten: ") + written;
    FUZZ_REQUIRE(again.ignored.isEmpty() && again.items == first.items, with);
    FUZZ_REQUIRE(write(again.items) == written, with);
}

// What checkItems needs of a reader's result.
template <typename Items>
struct ReadItems {
    Items items;
    QStringList ignored;
    QString notice;
};

void checkConditions(const QString &text, const Stored &stored, int columns) {
    checkItems(
        text, stored, columns, QStringLiteral("条件格式"),
        [](const QString &t, int n) {
            conditions::StoredConditions r = conditions::readConditions(t, n);
            const QString notice = conditions::ignoredNotice(QStringLiteral("r"), r.ignored);
            return ReadItems<grid::ConditionRules>{std::move(r.rules), r.ignored, notice};
        },
        [](const grid::ConditionRules &rules) { return conditions::writeConditions(rules); },
        [columns](const grid::ConditionRule &rule) {
            return rule.column >= 1 && rule.column <= columns;
        });
}

void checkCharts(const QString &text, const Stored &stored, int columns) {
    checkItems(
        text, stored, columns, QStringLiteral("图表"),
        [](const QString &t, int n) {
            charts::StoredCharts r = charts::readCharts(t, n);
            const QString notice = charts::ignoredNotice(QStringLiteral("r"), r.ignored);
            return ReadItems<grid::ChartSpecs>{std::move(r.charts), r.ignored, notice};
        },
        [](const grid::ChartSpecs &specs) { return charts::writeCharts(specs); },
        [columns](const grid::ChartSpec &chart) {
            bool inside = chart.category >= 1 && chart.category <= columns && !chart.values.empty();
            for (int col : chart.values)
                inside = inside && col >= 1 && col <= columns;
            if (chart.type == grid::ChartType::Pie && chart.values.size() != 1)
                return false;
            for (double cm : {chart.widthCm, chart.heightCm})
                inside = inside && cm > 0 && cm <= charts::kMaxChartSizeCm;
            return inside;
        });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const QString text = fuzz::utf8(data + 1, size - 1).section(QChar(0), 0, 0);
    const Stored stored = storedForm(text);
    for (const int columns : {data[0] % 16, 0, 3}) {
        checkGrouping(text, stored, columns);
        checkConditions(text, stored, columns);
        checkCharts(text, stored, columns);
    }
    return 0;
}
