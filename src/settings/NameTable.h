// The names a stored setting writes for the values of an enum ("sum", "column", ">"), spelled
// once per enum and read and written through the same table.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <optional>
#include <utility>

namespace tessel::settings {

template <typename Enum, std::size_t N>
class NameTable {
public:
    constexpr explicit NameTable(const std::array<std::pair<Enum, const char *>, N> &entries)
        : m_entries(entries) {}

    // The value spelled `name` exactly, or nullopt.
    std::optional<Enum> find(const QString &name) const {
        for (const auto &[value, text] : m_entries) {
            if (name == QLatin1String(text))
                return value;
        }
        return std::nullopt;
    }

    // The name of `value`; the empty text for a value the table does not list.
    QString name(Enum value) const {
        for (const auto &[v, text] : m_entries) {
            if (v == value)
                return QString::fromLatin1(text);
        }
        return QString();
    }

    // Every name, in the table's order, for a message saying which are known.
    QStringList names() const {
        QStringList out;
        for (const auto &entry : m_entries)
            out << QString::fromLatin1(entry.second);
        return out;
    }

private:
    std::array<std::pair<Enum, const char *>, N> m_entries;
};

// A table from its entries, the enum named and the count taken from the list:
// `constexpr auto kTypes = nameTable<ChartType>({{ChartType::Pie, "pie"}, …});`
template <typename Enum, std::size_t N>
constexpr NameTable<Enum, N> nameTable(const std::pair<Enum, const char *> (&entries)[N]) {
    std::array<std::pair<Enum, const char *>, N> out{};
    for (std::size_t i = 0; i < N; ++i)
        out[i] = entries[i];
    return NameTable<Enum, N>(out);
}

}  // namespace tessel::settings
