// The text a window shows when an operation fails: what failed, in the user's words, then
// why, in the words of whoever refused it.
#pragma once

#include <QString>
#include <exception>

namespace tessel::base {

// "<whatFailed>：<reason>" (in English "<whatFailed>: <reason>"). The reason is the database's own
// text for an error the database raised (a refused statement, a connection it would not open); for
// any other error it is the error's own message with its detail; for an exception that is not a
// tessel::Error, its what() text.
QString errorMessage(const QString &whatFailed, const std::exception &e);

}  // namespace tessel::base
