#include <gtest/gtest.h>

#include "settings/SettingReader.h"

using namespace tessel;

namespace {

enum class Kind { Plain, Bold };
constexpr auto kKinds = settings::nameTable<Kind>({{Kind::Plain, "plain"}, {Kind::Bold, "bold"}});

struct Item {
    int column = 0;
    std::vector<int> values;
    bool on = true;
    double size = 5;
    Kind kind = Kind::Plain;
    std::optional<QString> colour;
    bool operator==(const Item &) const = default;
};

// An item as a stored setting holds one, for a sheet of 3 columns: its column and values are
// needed, the rest optional. `on` is read first, so an item left out must take its sentence
// with it.
std::optional<Item> readItem(const QString &text, settings::Notes &notes) {
    const std::optional<QJsonObject> object = settings::parseObject(text, notes);
    if (!object)
        return std::nullopt;
    settings::Keys keys(*object, QStringLiteral("第 1 项"), 3, notes);
    Item item;
    item.on = keys.flag(QStringLiteral("on"), true);
    const std::optional<int> column = keys.column(QStringLiteral("column"));
    if (!column)
        return std::nullopt;
    std::optional<std::vector<int>> values = keys.columns(QStringLiteral("values"));
    if (!values)
        return std::nullopt;
    item.column = *column;
    item.values = std::move(*values);
    item.size = keys.number(QStringLiteral("size"), 5, 0, 10);
    item.kind = keys.name(QStringLiteral("kind"), kKinds, Kind::Plain);
    item.colour = keys.colour(QStringLiteral("colour"));
    return item;
}

}  // namespace

// The one rule: a bad optional key falls back to its default and is named, a bad needed key
// leaves the item out (named once, nothing else said of it), null is absent, a text that is no
// JSON object is one sentence.
TEST(SettingReader, TheOneRule) {
    const Item defaults{2, {1}, true, 5, Kind::Plain, std::nullopt};
    const struct {
        const char *name, *text;
        std::optional<Item> read;
        std::vector<const char *> named;  // a word of each sentence, in order
    } cases[] = {
        {"blank", "  ", std::nullopt, {}},
        {"every key given",
         R"({"column":3,"values":[3,1],"on":false,"size":10,"kind":"bold","colour":"#00ff00"})",
         Item{3, {3, 1}, false, 10, Kind::Bold, QStringLiteral("#00ff00")},
         {}},
        {"null is absent",
         R"({"column":2,"values":[1],"on":null,"size":null,"kind":null,"colour":null,"x":null})",
         defaults,
         {}},
        {"bad optional keys fall back",
         R"({"column":2,"values":[1],"on":1,"size":0,"kind":"italic","colour":"#12345"})",
         defaults,
         {"on", "size", "plain、bold", "colour"}},
        {"a needed key out of range", R"({"on":1,"column":4,"values":[1]})", std::nullopt, {"4"}},
        {"a bad entry of a needed list", R"({"column":2,"values":[1,2.5]})", std::nullopt, {"2.5"}},
        {"an empty needed list", R"({"column":2,"values":[]})", std::nullopt, {"values"}},
        {"a needed key null", R"({"column":null,"values":[1]})", std::nullopt, {"column"}},
        {"not JSON", R"({"column":)", std::nullopt, {"JSON"}},
        {"no object", "[1]", std::nullopt, {"JSON"}},
    };
    for (const auto &c : cases) {
        settings::Notes notes;
        const std::optional<Item> read = readItem(QString::fromUtf8(c.text), notes);
        EXPECT_EQ(read, c.read) << c.name;
        ASSERT_EQ(notes.size(), qsizetype(c.named.size()))
            << c.name << ": " << notes.sentences().join(u'|').toStdString();
        for (std::size_t i = 0; i < c.named.size(); ++i) {
            EXPECT_TRUE(notes.sentences()[qsizetype(i)].contains(QString::fromUtf8(c.named[i])))
                << c.name << ": " << notes.sentences()[qsizetype(i)].toStdString();
        }
    }
}

// The sentences join into one line after the setting's name; a translated sentence ending in a
// Latin full stop is followed by a space, a full-width one by nothing.
TEST(SettingReader, OneNoticeNamesTheSetting) {
    const QString notice = settings::notice(
        QStringLiteral("R"), QStringLiteral("甲设置"),
        {QStringLiteral("a."), QStringLiteral("乙\n乙。"), QStringLiteral("丙。")});
    EXPECT_TRUE(notice.contains(QStringLiteral("“R”")) &&
                notice.contains(QStringLiteral("甲设置")) &&
                notice.endsWith(QStringLiteral("a. 乙 乙。丙。")))
        << notice.toStdString();
}
