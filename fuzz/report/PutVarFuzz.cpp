// The check and conversion of the report variable array a host hands to PutVar.
//
// Input: bytes decoded into one nested value by a small deterministic decoder (below):
// lists of lists, texts, numbers, booleans, nulls and string lists.
//
// Properties: the call either throws the component's argument error or gives one row per
// row of the array, each {"V" + the name as text, the value unchanged}; it throws exactly
// when the array is not a list of rows that are lists of at least two entries.
#include <tessel/Error.h>

#include <QStringList>
#include <QVariantList>
#include <cmath>
#include <cstring>

#include "FuzzSupport.h"
#include "base/ValueText.h"
#include "report/ReportVariables.h"

using tessel::Error;
using tessel::fuzz::ByteReader;

namespace {

constexpr int kMaxDepth = 6;

// One value per call. The first byte chooses the kind (modulo 8):
//   0 list: a count byte (modulo 8), then that many values; a null past kMaxDepth
//   1 text: a length byte (modulo 32), then that many bytes of UTF-8
//   2 32-bit integer, 3 double (NaN and infinities included): their bytes
//   4 null (no type), 5 null text, 6 boolean: one byte
//   7 string list: a count byte (modulo 4), then for each a length byte (modulo 16) and
//     that many bytes
QVariant decode(ByteReader &in, int depth) {
    switch (in.byte() % 8) {
        case 0: {
            if (depth >= kMaxDepth)
                return QVariant();
            QVariantList list;
            for (int n = in.byte() % 8; n > 0; --n)
                list.push_back(decode(in, depth + 1));
            return list;
        }
        case 1:
            return in.text(in.byte() % 32);
        case 2:
            return in.value<qint32>();
        case 3:
            return in.value<double>();
        case 4:
            return QVariant();
        case 5:
            return QVariant(QMetaType::fromType<QString>());
        case 6:
            return (in.byte() & 1) != 0;
        default: {
            QStringList list;
            for (int n = in.byte() % 4; n > 0; --n)
                list.push_back(in.text(in.byte() % 16));
            return list;
        }
    }
}

bool isList(const QVariant &v) {
    return v.typeId() == QMetaType::QVariantList || v.typeId() == QMetaType::QStringList;
}

// The same value: the same type and content; a NaN equals a NaN with the same bits.
bool same(const QVariant &a, const QVariant &b) {
    if (a.typeId() != b.typeId() || a.isNull() != b.isNull())
        return false;
    if (a.typeId() == QMetaType::Double) {
        const double x = a.toDouble(), y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    if (a.typeId() == QMetaType::QVariantList) {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!same(x[i], y[i]))
                return false;
        }
        return true;
    }
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ByteReader in(data, size);
    const QVariant array = decode(in, 0);

    bool wellFormed = isList(array);
    if (wellFormed) {
        for (const QVariant &row : array.toList())
            wellFormed = wellFormed && isList(row) && row.toList().size() >= 2;
    }

    QVariantList list;
    try {
        list = tessel::report::reportVariableList(array);
    } catch (const Error &e) {
        FUZZ_REQUIRE(e.category() == Error::Category::Argument, e.userMessage());
        FUZZ_REQUIRE(!wellFormed, QStringLiteral("refused: ") + e.userMessage());
        return 0;
    }
    FUZZ_REQUIRE(wellFormed, QStringLiteral("accepted a malformed array"));
    const QVariantList rows = array.toList();
    FUZZ_REQUIRE(list.size() == rows.size(), QStringLiteral("row count changed"));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QVariantList given = rows[i].toList();
        const QVariantList made = list[i].toList();
        const QString row = QStringLiteral("row %1").arg(i);
        FUZZ_REQUIRE(list[i].typeId() == QMetaType::QVariantList && made.size() == 2, row);
        FUZZ_REQUIRE(
            made[0].toString() == QStringLiteral("V") + tessel::base::valueToText(given[0]), row);
        FUZZ_REQUIRE(same(made[1], given[1]), row);
    }
    return 0;
}
