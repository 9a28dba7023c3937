// The one conversion of database and cell values to the text the sheet shows and stores.
#pragma once

#include <QString>
#include <QVariant>
#include <string>

namespace tessel::base {

// The text of a value: integers plainly; reals in the shortest form that reads back as
// the same double, with "." as decimal point and no exponent for ordinary magnitudes;
// dates as yyyy-MM-dd, date-times as yyyy-MM-dd HH:mm:ss (the time left out when it is
// midnight and the value is a date); booleans as "True"/"False"; NULL as the empty text.
QString valueToText(const QVariant &value);

// Appends the text of `value` (as valueToText gives it) to `out`, as UTF-8. Integers, reals
// and strings, which is what a fill from a query writes, take no detour through QString.
void appendValueText(std::string &out, const QVariant &value);

// Appends the shortest round-trip text of `d` (as above) to `out`, as UTF-8.
void appendDouble(std::string &out, double d);

// The shortest round-trip text of `d`.
QString doubleToText(double d);

}  // namespace tessel::base
