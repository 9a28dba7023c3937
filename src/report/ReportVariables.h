// The report variable list a host hands over with PutVar.
#pragma once

#include <QVariant>
#include <QVariantList>

namespace tessel::report {

// Builds the report variable list from a host's array `tslVar`: a list of rows, each a list
// whose first two entries are a name and a value (further entries are ignored). Row i of
// the result is QVariantList{"V" + the name as text, the value unchanged}; a null or empty
// name gives "V" alone. The whole array is checked first: a value that is not a list, or
// a row that is not a list of at least two entries, throws Error(Argument) and nothing is
// built.
QVariantList reportVariableList(const QVariant &tslVar);

}  // namespace tessel::report
