#include "db/StatementProgress.h"

#include <sqlite3.h>

#include "db/Connection.h"

namespace tessel::db {

namespace {

// SQLite virtual machine steps between two looks at the progress: about a millisecond of work.
constexpr int kStepsPerLook = 100'000;

int lookAtProgress(void *progress) {
    auto *p = static_cast<base::Progress *>(progress);
    p->update(-1);
    return p->cancelled() ? 1 : 0;
}

}  // namespace

StatementProgress::StatementProgress(const Connection &connection, base::Progress &progress)
    : m_sqlite(connection.sqliteHandle()) {
    if (m_sqlite)
        sqlite3_progress_handler(m_sqlite, kStepsPerLook, lookAtProgress, &progress);
}

StatementProgress::~StatementProgress() {
    if (m_sqlite)
        sqlite3_progress_handler(m_sqlite, 0, nullptr, nullptr);
}

}  // namespace tessel::db
