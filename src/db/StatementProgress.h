// Watching a long statement of the embedded database: time passing, and cancelling it.
#pragma once

#include "base/Progress.h"

struct sqlite3;

namespace tessel::db {

class Connection;

// While alive, statements the embedded database runs on `connection` (SQLite through Qt's
// driver) let `progress` see time pass every few thousand steps of their work (update(-1))
// and stop when it is cancelled: the statement then fails with the database's interruption,
// so a query that takes long before its first row can be cancelled too. Other databases are
// not watched. Only one is active per connection at a time.
class StatementProgress {
public:
    StatementProgress(const Connection &connection, base::Progress &progress);
    ~StatementProgress();
    StatementProgress(const StatementProgress &) = delete;
    StatementProgress &operator=(const StatementProgress &) = delete;

private:
    sqlite3 *m_sqlite = nullptr;
};

}  // namespace tessel::db
