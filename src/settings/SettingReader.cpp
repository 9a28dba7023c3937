#include "settings/SettingReader.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocale>
#include <cmath>

namespace tessel::settings {

QString shown(const QJsonValue &value) {
    QString text;
    if (value.isString())
        text = u'"' + value.toString() + u'"';
    else if (value.isArray())
        text = jsonText(value.toArray());
    else if (value.isObject())
        text = jsonText(value.toObject());
    else if (value.isBool())
        text = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    else if (value.isDouble())
        text = QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    else
        text = QStringLiteral("null");
    constexpr qsizetype kLongest = 40;
    return text.size() > kLongest ? text.left(kLongest) + u'…' : text;
}

QString jsonText(const QJsonObject &object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString jsonText(const QJsonArray &array) {
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

Checked<bool> asFlag(const QJsonValue &value) {
    if (value.isBool())
        return {value.toBool(), {}};
    return {std::nullopt, tessel::base::tr("%1 不是 true 或 false").arg(shown(value))};
}

Checked<QString> asText(const QJsonValue &value) {
    if (value.isString())
        return {value.toString(), {}};
    return {std::nullopt, tessel::base::tr("%1 不是文本").arg(shown(value))};
}

Checked<QJsonObject> asObject(const QJsonValue &value) {
    if (value.isObject())
        return {value.toObject(), {}};
    return {std::nullopt, tessel::base::tr("%1 不是对象").arg(shown(value))};
}

Checked<QJsonArray> asArray(const QJsonValue &value) {
    if (value.isArray())
        return {value.toArray(), {}};
    return {std::nullopt, tessel::base::tr("%1 不是数组").arg(shown(value))};
}

Checked<int> asWhole(const QJsonValue &value, int low, int high) {
    const double d = value.toDouble();
    // The range is checked on the double: a huge or fractional number never reaches an int.
    if (value.isDouble() && d >= low && d <= high && std::floor(d) == d)
        return {int(d), {}};
    return {std::nullopt,
            tessel::base::tr("%1 不是 %2 至 %3 的整数").arg(shown(value)).arg(low).arg(high)};
}

Checked<double> asNumber(const QJsonValue &value, double above, double atMost) {
    const double d = value.toDouble();
    if (value.isDouble() && d > above && d <= atMost)
        return {d, {}};
    return {std::nullopt, tessel::base::tr("%1 不是大于 %2、不超过 %3 的数")
                              .arg(shown(value))
                              .arg(above)
                              .arg(atMost)};
}

Checked<QString> asColour(const QJsonValue &value) {
    const QString text = value.toString();
    bool ok = value.isString() && text.size() == 7 && text[0] == u'#';
    for (qsizetype i = 1; ok && i < 7; ++i) {
        const char16_t c = text[i].unicode();
        ok = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    }
    if (ok)
        return {text, {}};
    return {std::nullopt, tessel::base::tr("%1 不是 #RRGGBB 形式的颜色").arg(shown(value))};
}

Checked<int> asColumn(const QJsonValue &value, int columnCount) {
    const double d = value.toDouble();
    if (!value.isDouble() || !std::isfinite(d) || std::floor(d) != d)
        return {std::nullopt, tessel::base::tr("%1 不是列号").arg(shown(value))};
    if (d < 1 || d > columnCount) {
        return {std::nullopt, columnCount > 0
                                  ? tessel::base::tr("列 %1 不在报表的第 1 至 %2 列之内")
                                        .arg(shown(value))
                                        .arg(columnCount)
                                  : tessel::base::tr("报表没有列 %1").arg(shown(value))};
    }
    return {int(d), {}};
}

Checked<int> asColumn(int column, int columnCount) {
    return asColumn(QJsonValue(column), columnCount);
}

void Notes::dropped(const QString &what, const QString &why) {
    m_sentences << tessel::base::tr("%1：%2，已略过。").arg(what, why);
}

void Notes::defaulted(const QString &what, const QString &why) {
    m_sentences << tessel::base::tr("%1：%2，改用默认值。").arg(what, why);
}

void Notes::itemDropped(const QString &what, const QString &why) {
    m_sentences << tessel::base::tr("%1：%2，整项已略过。").arg(what, why);
}

namespace {

// The document in `text`, or nullopt after naming why it is none. A blank text is no setting.
std::optional<QJsonDocument> parse(const QString &text, Notes &notes) {
    if (text.trimmed().isEmpty())
        return std::nullopt;
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) {
        notes.dropped(tessel::base::tr("整个值"),
                      tessel::base::tr("不是 JSON（第 %1 个字节处有误）").arg(error.offset + 1));
        return std::nullopt;
    }
    return document;
}

}  // namespace

std::optional<QJsonObject> parseObject(const QString &text, Notes &notes) {
    const std::optional<QJsonDocument> document = parse(text, notes);
    if (!document)
        return std::nullopt;
    if (!document->isObject()) {
        notes.dropped(tessel::base::tr("整个值"), tessel::base::tr("不是 JSON 对象"));
        return std::nullopt;
    }
    return document->object();
}

std::optional<QJsonArray> parseArray(const QString &text, Notes &notes) {
    const std::optional<QJsonDocument> document = parse(text, notes);
    if (!document)
        return std::nullopt;
    if (!document->isArray()) {
        notes.dropped(tessel::base::tr("整个值"), tessel::base::tr("不是 JSON 数组"));
        return std::nullopt;
    }
    return document->array();
}

QJsonObject otherKeys(const QJsonObject &object, std::initializer_list<const char *> known) {
    QJsonObject out;
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool isKnown = false;
        for (const char *key : known)
            isKnown = isKnown || it.key() == QLatin1String(key);
        if (!isKnown)
            out.insert(it.key(), it.value());
    }
    return out;
}

Keys::Keys(const QJsonObject &object, const QString &item, int columnCount, Notes &notes)
    : m_object(object),
      m_item(item),
      m_columnCount(columnCount),
      m_notes(notes),
      m_start(notes.size()) {}

QJsonValue Keys::value(const QString &key) const {
    const QJsonValue v = m_object.value(key);
    return v.isNull() ? QJsonValue(QJsonValue::Undefined) : v;
}

QString Keys::named(const QString &key) const {
    return m_item.isEmpty() ? key : m_item + u' ' + key;
}

bool Keys::flag(const QString &key, bool fallback) {
    return flag(key).value_or(fallback);
}

std::optional<bool> Keys::flag(const QString &key) {
    return orDefault(key, asFlag(value(key)));
}

QString Keys::text(const QString &key, const QString &fallback) {
    return orDefault(key, asText(value(key))).value_or(fallback);
}

std::optional<QString> Keys::colour(const QString &key) {
    return orDefault(key, asColour(value(key)));
}

double Keys::number(const QString &key, double fallback, double above, double atMost) {
    return orDefault(key, asNumber(value(key), above, atMost)).value_or(fallback);
}

std::optional<QJsonObject> Keys::object(const QString &key) {
    return orDefault(key, asObject(value(key)));
}

std::optional<QJsonArray> Keys::array(const QString &key) {
    return orDefault(key, asArray(value(key)));
}

std::optional<int> Keys::column(const QString &key) {
    return required(key, [this](const QJsonValue &v) { return asColumn(v, m_columnCount); });
}

std::optional<std::vector<int>> Keys::columns(const QString &key) {
    const std::optional<QJsonArray> list = required(key, asArray);
    if (!list)
        return std::nullopt;
    if (list->isEmpty()) {
        leaveOut(tessel::base::tr("没有列号"), key);
        return std::nullopt;
    }
    std::vector<int> out;
    for (const QJsonValue &entry : *list) {
        const Checked<int> c = asColumn(entry, m_columnCount);
        if (!c.value) {
            leaveOut(c.why, key);
            return std::nullopt;
        }
        out.push_back(*c.value);
    }
    return out;
}

void Keys::leaveOut(const QString &why, const QString &key) {
    m_notes.truncate(m_start);
    m_notes.itemDropped(key.isEmpty() ? m_item : named(key), why);
}

QString notice(const QString &report, const QString &setting, const QStringList &sentences) {
    // One line: the renderer prints a notice as one line of its standard error. A sentence
    // ending in a full-width mark ("。") is followed directly by the next, one ending in a
    // Latin mark (a translation's ".") by a space.
    QString list;
    for (const QString &sentence : sentences) {
        if (!list.isEmpty() && list.back().unicode() < 0x80 && !list.back().isSpace())
            list += u' ';
        list += sentence;
    }
    list.replace(u'\n', u' ');
    return tessel::base::tr("报表“%1”的%2有无法使用的部分，报表不带这些部分照常输出：%3")
        .arg(report, setting, list);
}

}  // namespace tessel::settings
