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

void checkConditions(const QString &text, const Stored &stored, int columns) {
    const conditions::StoredConditions read = conditions::readConditions(text, columns);
    const auto what = [&] {
        return QStringLiteral("conditions, columns %1\ntext: %2\nleft out: %3")
            .arg(columns)
            .arg(text, read.ignored.join(u'\n'));
    };
    checkSentences(read.ignored, stored.blank, !stored.blank && !stored.array, read.rules.empty(),
                   conditions::ignoredNotice(QStringLiteral("r"), read.ignored),
                   QStringLiteral("条件格式"), what);
    if (stored.array) {
        const qsizetype elements = stored.document.array().size();
        const auto used = qsizetype(read.rules.size());
        FUZZ_REQUIRE(used <= elements && used + read.ignored.size() >= elements, what());
    }
    for (const grid::ConditionRule &rule : read.rules)
        FUZZ_REQUIRE(rule.column >= 1 && rule.column <= columns, what());

    const QString written = conditions::writeConditions(read.rules);
    const conditions::StoredConditions again = conditions::readConditions(written, columns);
    const QString with = what() + QStringLiteral("\nwritten: ") + written;
    FUZZ_REQUIRE(again.ignored.isEmpty() && again.rules == read.rules, with);
    FUZZ_REQUIRE(conditions::writeConditions(again.rules) == written, with);
}

void checkCharts(const QString &text, const Stored &stored, int columns) {
    const charts::StoredCharts read = charts::readCharts(text, columns);
    const auto what = [&] {
        return QStringLiteral("charts, columns %1\ntext: %2\nleft out: %3")
            .arg(columns)
            .arg(text, read.ignored.join(u'\n'));
    };
    checkSentences(read.ignored, stored.blank, !stored.blank && !stored.array, read.charts.empty(),
                   charts::ignoredNotice(QStringLiteral("r"), read.ignored), QStringLiteral("图表"),
                   what);
    if (stored.array) {
        const qsizetype elements = stored.document.array().size();
        const auto used = qsizetype(read.charts.size());
        FUZZ_REQUIRE(used <= elements && used + read.ignored.size() >= elements, what());
    }
    for (const grid::ChartSpec &chart : read.charts) {
        bool inside = chart.category >= 1 && chart.category <= columns && !chart.values.empty();
        for (int col : chart.values)
            inside = inside && col >= 1 && col <= columns;
        FUZZ_REQUIRE(inside, what());
        FUZZ_REQUIRE(chart.type != grid::ChartType::Pie || chart.values.size() == 1, what());
        for (double cm : {chart.widthCm, chart.heightCm})
            FUZZ_REQUIRE(cm > 0 && cm <= charts::kMaxChartSizeCm, what());
    }

    const QString written = charts::writeCharts(read.charts);
    const charts::StoredCharts again = charts::readCharts(written, columns);
    const QString with = what() + QStringLiteral("\nwritten: ") + written;
    FUZZ_REQUIRE(again.ignored.isEmpty() && again.charts == read.charts, with);
    FUZZ_REQUIRE(charts::writeCharts(again.charts) == written, with);
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
