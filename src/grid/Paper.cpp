#include "grid/Paper.h"

#include <QRegularExpression>
#include <QSizeF>
#include <QtGlobal>
#include <cmath>

namespace tessel::grid {

namespace {

bool sameSize(const Paper &a, const Paper &b) {
    return std::abs(a.widthMm - b.widthMm) < 0.05 && std::abs(a.heightMm - b.heightMm) < 0.05;
}

QString millimetres(double mm) {
    return QString::number(std::round(mm * 10) / 10, 'f', 1).remove(QRegularExpression("\\.0$"));
}

// Qt's identifiers of the named papers, in the order of paperChoices(); the continuous forms
// have none.
std::optional<QPageSize::PageSizeId> standardId(const QString &name) {
    static const std::pair<const char *, QPageSize::PageSizeId> ids[] = {
        {"A3", QPageSize::A3},    {"A4", QPageSize::A4},         {"A5", QPageSize::A5},
        {"B5", QPageSize::JisB5}, {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal}};
    for (const auto &[n, id] : ids) {
        if (name == QLatin1String(n))
            return id;
    }
    return std::nullopt;
}

}  // namespace

const std::vector<PaperChoice> &paperChoices() {
    static const std::vector<PaperChoice> choices = {
        {QStringLiteral("A3"),
         {297, 420},
         QT_TRANSLATE_NOOP("tessel::base", "A3 (297 × 420 毫米)")},
        {QStringLiteral("A4"),
         {210, 297},
         QT_TRANSLATE_NOOP("tessel::base", "A4 (210 × 297 毫米)")},
        {QStringLiteral("A5"),
         {148, 210},
         QT_TRANSLATE_NOOP("tessel::base", "A5 (148 × 210 毫米)")},
        {QStringLiteral("B5"),
         {182, 257},
         QT_TRANSLATE_NOOP("tessel::base", "B5 (182 × 257 毫米)")},
        {QStringLiteral("Letter"),
         {215.9, 279.4},
         QT_TRANSLATE_NOOP("tessel::base", "Letter (8.5 × 11 英寸)")},
        {QStringLiteral("Legal"),
         {215.9, 355.6},
         QT_TRANSLATE_NOOP("tessel::base", "Legal (8.5 × 14 英寸)")},
        {QStringLiteral("241x280mm"),
         {241, 280},
         QT_TRANSLATE_NOOP("tessel::base", "连续纸 241 × 280 毫米")},
        {QStringLiteral("241x140mm"),
         {241, 140},
         QT_TRANSLATE_NOOP("tessel::base", "连续纸 241 × 140 毫米（二等分）")},
        {QStringLiteral("241x93mm"),
         {241, 93},
         QT_TRANSLATE_NOOP("tessel::base", "连续纸 241 × 93 毫米（三等分）")},
    };
    return choices;
}

std::optional<PaperChoice> paperChoice(const Paper &paper) {
    for (const PaperChoice &choice : paperChoices()) {
        if (sameSize(choice.paper, paper))
            return choice;
    }
    return std::nullopt;
}

QString paperText(const Paper &paper) {
    if (const std::optional<PaperChoice> choice = paperChoice(paper))
        return choice->name;
    return millimetres(paper.widthMm) + u'x' + millimetres(paper.heightMm) + QStringLiteral("mm");
}

std::optional<Paper> parsePaper(const QString &text) {
    const QString trimmed = text.trimmed();
    for (const PaperChoice &choice : paperChoices()) {
        if (trimmed.compare(choice.name, Qt::CaseInsensitive) == 0)
            return choice.paper;
    }
    static const QRegularExpression size(
        QStringLiteral("^(\\d{1,4}(?:\\.\\d+)?)\\s*[xX×]\\s*(\\d{1,4}(?:\\.\\d+)?)\\s*(?:mm)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = size.match(trimmed);
    if (!m.hasMatch())
        return std::nullopt;
    const double width = std::round(m.captured(1).toDouble() * 10) / 10;
    const double height = std::round(m.captured(2).toDouble() * 10) / 10;
    const auto fits = [](double mm) { return mm >= kMinPaperMm && mm <= kMaxPaperMm; };
    if (!fits(width) || !fits(height))
        return std::nullopt;
    return Paper{width, height};
}

QPageSize pageSize(const Paper &paper) {
    if (const std::optional<PaperChoice> choice = paperChoice(paper)) {
        if (const std::optional<QPageSize::PageSizeId> id = standardId(choice->name))
            return QPageSize(*id);
    }
    return QPageSize(QSizeF(paper.widthMm, paper.heightMm), QPageSize::Millimeter, paperText(paper),
                     QPageSize::ExactMatch);
}

}  // namespace tessel::grid
