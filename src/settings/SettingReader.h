// How every stored JSON setting of tsl_report (分组, 条件格式, 图表, and any that follow) is
// read, and how what cannot be used is told. The one rule:
//
//  - JSON null is the same as an absent key.
//  - A bad optional key (a value of the wrong type, out of its range, an unknown name) falls
//    back to its default, and is named.
//  - A bad key without which the item means nothing (a level's column, a rule's column or
//    when, a chart's type or values) leaves the whole item out, and is named. An item that is
//    no object, or an entry of a list or map that cannot be used, is left out and named.
//  - A text that is no JSON of the setting's shape is ignored whole, in one sentence; a blank
//    text is no setting and says nothing.
//  - Each left-out part is one sentence; the user is told once, in one notice naming the
//    setting (`notice`).
//
// Keys a reader does not know are the host's: the setting's writer keeps them (from the object
// as stored) when it writes the value back. The kit parses the only JSON texts the component
// reads (`parseObject`, `parseArray`).
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <optional>
#include <vector>

#include "base/Language.h"
#include "settings/NameTable.h"

namespace tessel::settings {

// A stored value checked for one use: the value, or, when it is of no use, why not as a clause
// naming the value ("\"a\" 不是列号"), for a sentence of `Notes`.
template <typename T>
struct Checked {
    std::optional<T> value;
    QString why;
};

// A value as a message shows it: its compact JSON text (a text in quotes), cut short after
// 40 characters.
QString shown(const QJsonValue &value);

// The compact JSON text of an object or array, the form the writers store.
QString jsonText(const QJsonObject &object);
QString jsonText(const QJsonArray &array);

// The checks of one value, each with its clause for the user.
Checked<bool> asFlag(const QJsonValue &value);
Checked<QString> asText(const QJsonValue &value);
Checked<QJsonObject> asObject(const QJsonValue &value);
Checked<QJsonArray> asArray(const QJsonValue &value);
// A whole number of low..high stored as a JSON number (3 and 3.0 alike).
Checked<int> asWhole(const QJsonValue &value, int low, int high);
// A number above `above` and at most `atMost`.
Checked<double> asNumber(const QJsonValue &value, double above, double atMost);
// A colour, exactly "#RRGGBB" (either case of the hex digits), given back as stored.
Checked<QString> asColour(const QJsonValue &value);
// A column of a sheet of `columnCount` columns: a whole number of 1..columnCount.
Checked<int> asColumn(const QJsonValue &value, int columnCount);
Checked<int> asColumn(int column, int columnCount);

// A name of `table`; the clause lists the names known.
template <typename Enum, std::size_t N>
Checked<Enum> asName(const QJsonValue &value, const NameTable<Enum, N> &table) {
    if (value.isString()) {
        if (const std::optional<Enum> e = table.find(value.toString()))
            return {e, {}};
    }
    return {std::nullopt, tessel::base::tr("%1 未知（可用 %2）")
                              .arg(shown(value), table.names().join(tessel::base::tr("、")))};
}

// What a reader leaves out, one sentence each, in reading order.
class Notes {
public:
    // The part `what` ("第 2 层 totals", "整个值") is left out because `why`.
    void dropped(const QString &what, const QString &why);
    // The value at `what` is not used and the key's default is, because `why`.
    void defaulted(const QString &what, const QString &why);
    // The whole item is left out because `why` at `what` (the item, or one of its keys).
    void itemDropped(const QString &what, const QString &why);

    const QStringList &sentences() const { return m_sentences; }
    qsizetype size() const { return m_sentences.size(); }
    // Forgets the sentences after the first `count`.
    void truncate(qsizetype count) { m_sentences.resize(count); }

private:
    QStringList m_sentences;
};

// The JSON object or array stored in `text`; nullopt for a blank text (no setting, nothing
// said) and for a text that is no JSON of that shape (one sentence in `notes`).
std::optional<QJsonObject> parseObject(const QString &text, Notes &notes);
std::optional<QJsonArray> parseArray(const QString &text, Notes &notes);

// The keys of `object` other than `known`, for a writer to put back as they were.
QJsonObject otherKeys(const QJsonObject &object, std::initializer_list<const char *> known);

// Reads the keys of one stored object (the setting's own, or one item of it: a level, a rule, a
// chart) by the one rule, naming in `notes` what it does not use after `item` ("第 2 条规则";
// empty for the setting's own keys).
class Keys {
public:
    Keys(const QJsonObject &object, const QString &item, int columnCount, Notes &notes);

    // The object as stored.
    const QJsonObject &stored() const { return m_object; }
    // The value of `key`: Undefined when the key is absent or null.
    QJsonValue value(const QString &key) const;
    bool has(const QString &key) const { return !value(key).isUndefined(); }
    // `key` as a message names it: after the item.
    QString named(const QString &key) const;

    // Optional keys: the value stored, or `fallback` when the key is absent, or when its value
    // is of no use (named).
    bool flag(const QString &key, bool fallback);
    std::optional<bool> flag(const QString &key);  // absent: nullopt
    QString text(const QString &key, const QString &fallback);
    std::optional<QString> colour(const QString &key);  // absent: nullopt
    double number(const QString &key, double fallback, double above, double atMost);
    std::optional<QJsonObject> object(const QString &key);
    std::optional<QJsonArray> array(const QString &key);
    template <typename Enum, std::size_t N>
    Enum name(const QString &key, const NameTable<Enum, N> &table, Enum fallback) {
        return orDefault(key, asName(value(key), table)).value_or(fallback);
    }

    // Keys the item needs: the value, or nullopt after the item was left out and named (with
    // it, what this reader named of the item before: nothing else is said of an item left out).
    std::optional<int> column(const QString &key);
    // A non-empty array of columns; one entry of no use leaves the item out.
    std::optional<std::vector<int>> columns(const QString &key);
    template <typename Check>
    auto required(const QString &key, Check check) -> decltype(check(QJsonValue()).value) {
        const QJsonValue v = value(key);
        if (v.isUndefined()) {
            leaveOut(tessel::base::tr("没有 %1").arg(key));
            return std::nullopt;
        }
        auto checked = check(v);
        if (!checked.value)
            leaveOut(checked.why, key);
        return checked.value;
    }
    // Leaves the item out because `why` (a check of the reader's own), named at `key` if given.
    void leaveOut(const QString &why, const QString &key = QString());
    // Names the optional `key` as set back to its default because `why` (a check of the
    // reader's own, such as a value that does not suit the item).
    void defaulted(const QString &key, const QString &why) { m_notes.defaulted(named(key), why); }

    int columnCount() const { return m_columnCount; }

private:
    template <typename T>
    std::optional<T> orDefault(const QString &key, Checked<T> checked) {
        if (!checked.value && has(key))
            m_notes.defaulted(named(key), checked.why);
        return checked.value;
    }

    QJsonObject m_object;
    QString m_item;
    int m_columnCount;
    Notes &m_notes;
    qsizetype m_start;  // the sentences before this item's
};

// The items of a setting stored as a JSON array in `text` (conditions, charts, and the
// settings that follow): each object read by `readItem(Keys &)`, which gives nullopt for an
// item it leaves out (having named why); an entry that is no object is left out and named.
// `itemName(n)` names item n (from 1) in the sentences ("第 2 条规则").
template <typename T, typename ItemName, typename ReadItem>
std::vector<T> readItems(const QString &text, int columnCount, Notes &notes, ItemName itemName,
                         ReadItem readItem) {
    std::vector<T> out;
    const std::optional<QJsonArray> items = parseArray(text, notes);
    for (qsizetype i = 0; items && i < items->size(); ++i) {
        const QString item = itemName(int(i + 1));
        const Checked<QJsonObject> object = asObject(items->at(i));
        if (!object.value) {
            notes.itemDropped(item, object.why);
            continue;
        }
        Keys keys(*object.value, item, columnCount, notes);
        if (std::optional<T> read = readItem(keys))
            out.push_back(std::move(*read));
    }
    return out;
}

// The one notice of a stored setting of report `report` that could not all be used: naming the
// setting (`setting`, as the user knows it) and listing `sentences`, on one line.
QString notice(const QString &report, const QString &setting, const QStringList &sentences);

}  // namespace tessel::settings
