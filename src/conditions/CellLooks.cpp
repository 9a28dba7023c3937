#include "conditions/CellLooks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "conditions/CaseFolding.h"
#include "conditions/RuleMatching.h"
#include "grid/CellNumber.h"
#include "grid/Sheet.h"

namespace tessel::conditions {

using grid::ConditionRule;
using grid::RuleKind;
using grid::RuleWhen;

namespace {

QColor mix(const QColor &from, const QColor &to, double t) {
    t = std::clamp(t, 0.0, 1.0);
    const auto channel = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

}  // namespace

struct CellLooks::Prepared {
    PreparedValue value;
    PreparedValue value2;
};

grid::CellStyle withLook(const grid::CellStyle &style, const CellLook &look) {
    grid::CellStyle out = style;
    if (look.text.isValid())
        out.foreground = look.text;
    if (look.fill.isValid())
        out.background = look.fill;
    if (look.bold)
        out.font.bold = *look.bold;
    if (look.italic)
        out.font.italic = *look.italic;
    return out;
}

// Out of line, like the destructor: the rules' prepared values are complete here alone.
CellLooks::CellLooks() = default;

CellLooks::CellLooks(grid::ConditionRules rules) : m_rules(std::move(rules)) {
    prepare();
}

CellLooks::~CellLooks() = default;

void CellLooks::setRules(grid::ConditionRules rules) {
    m_rules = std::move(rules);
    prepare();
}

void CellLooks::prepare() {
    m_current = false;
    m_prepared.clear();
    m_byColumn.clear();
    m_rowRules.clear();
    m_rowSlot.clear();
    int last = 0;
    for (const ConditionRule &rule : m_rules) {
        m_prepared.push_back({PreparedValue(rule.value), PreparedValue(rule.value2)});
        last = std::max(last, rule.column);
    }
    m_byColumn.resize(std::size_t(last) + 1);
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const ConditionRule &rule = m_rules[i];
        // A scale or a bar colours its own column alone.
        const bool row = rule.row && rule.kind == RuleKind::Condition;
        m_rowSlot.push_back(row ? int(m_rowRules.size()) : -1);
        if (row)
            m_rowRules.push_back(int(i));
        for (int c = 1; c <= last; ++c) {
            if (row || rule.column == c)
                m_byColumn[std::size_t(c)].push_back(int(i));
        }
    }
}

void CellLooks::refresh(const grid::Sheet &sheet) const {
    if (m_current && m_sheet == &sheet && m_revision == sheet.revision())
        return;
    m_stats = ruleStatistics(sheet, m_rules, m_byColumn.size(), m_numbers);
    m_sheet = &sheet;
    m_revision = sheet.revision();
    m_current = true;
    m_matchedRow = 0;
}

std::optional<double> CellLooks::number(const grid::Sheet &sheet, int col, int row) const {
    if (std::size_t(col) < m_numbers.byColumn.size() && m_numbers.byColumn[std::size_t(col)]) {
        const double v = std::size_t(row) < m_numbers.rows
                             ? m_numbers.byColumn[std::size_t(col)][std::size_t(row)]
                             : std::numeric_limits<double>::quiet_NaN();
        return std::isnan(v) ? std::nullopt : std::optional<double>(v);
    }
    return grid::cellNumber(sheet.cellUtf8(col, row));
}

CellLook CellLooks::look(const grid::Sheet &sheet, int col, int row) const {
    CellLook out;
    const std::vector<int> &rules =
        std::size_t(col) < m_byColumn.size() ? m_byColumn[std::size_t(col)] : m_rowRules;
    if (rules.empty() || col < 1 || row < 1 || !sheet.isDataRow(row))
        return out;
    if (!m_current || m_sheet != &sheet || m_revision != sheet.revision())
        refresh(sheet);
    if (m_matchedRow != row) {
        m_matchedRow = row;
        m_rowMatched.assign(m_rowRules.size(), -1);
    }
    for (const int i : rules) {
        const ConditionRule &rule = m_rules[std::size_t(i)];
        const RuleStatistics &s = m_stats[std::size_t(i)];
        bool matched = false;
        switch (rule.kind) {
            case RuleKind::Scale:
                if (const std::optional<double> v = number(sheet, rule.column, row); v && s.any) {
                    matched = true;
                    if (!out.fill.isValid()) {
                        const std::vector<QColor> &c = rule.scale;
                        if (c.size() == 2)
                            out.fill = s.high > s.low
                                           ? mix(c[0], c[1], (*v - s.low) / (s.high - s.low))
                                           : c[0];
                        else if (*v <= s.middle)
                            out.fill = s.middle > s.low
                                           ? mix(c[0], c[1], (*v - s.low) / (s.middle - s.low))
                                           : c[0];
                        else
                            out.fill = mix(c[1], c[2], (*v - s.middle) / (s.high - s.middle));
                    }
                }
                break;
            case RuleKind::Bar:
                if (const std::optional<double> v = number(sheet, rule.column, row); v && s.any) {
                    matched = true;
                    if (!out.bar) {
                        out.bar = s.high > s.low ? (*v - s.low) / (s.high - s.low) : 1.0;
                        out.barColor = rule.bar;
                    }
                }
                break;
            case RuleKind::Condition: {
                const int slot = m_rowSlot[std::size_t(i)];
                if (slot >= 0 && m_rowMatched[std::size_t(slot)] >= 0) {
                    matched = m_rowMatched[std::size_t(slot)] != 0;
                } else {
                    // Text tests, blanks and repeats never need the number.
                    const bool textual =
                        rule.when >= RuleWhen::Contains && rule.when <= RuleWhen::NotBlank;
                    const bool repeats =
                        rule.when == RuleWhen::Duplicate || rule.when == RuleWhen::Unique;
                    const std::optional<double> v =
                        textual || repeats ? std::nullopt : number(sheet, rule.column, row);
                    matched = ruleMatches(rule, s, m_prepared[std::size_t(i)].value,
                                          m_prepared[std::size_t(i)].value2,
                                          sheet.cellUtf8(rule.column, row), row, v);
                    if (slot >= 0)
                        m_rowMatched[std::size_t(slot)] = matched ? 1 : 0;
                }
                if (matched) {
                    if (!out.text.isValid())
                        out.text = rule.text;
                    if (!out.fill.isValid())
                        out.fill = rule.fill;
                    if (!out.bold)
                        out.bold = rule.bold;
                    if (!out.italic)
                        out.italic = rule.italic;
                }
                break;
            }
        }
        if (matched && rule.stop)
            break;
    }
    return out;
}

}  // namespace tessel::conditions
