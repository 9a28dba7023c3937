// A host that links the installed library: it includes the public header and uses it.
#include <tessel/clsReport.h>

#include <cstdio>

int main() {
    try {
        throw tessel::Error(tessel::Error::Category::Connection, QStringLiteral("no database"),
                            QStringLiteral("driver text"));
    } catch (const tessel::Error &e) {
        const bool ok = e.category() == tessel::Error::Category::Connection &&
                        e.fullText() == QStringLiteral("no database: driver text");
        std::puts(ok ? "ok" : "unexpected error text");
        return ok ? 0 : 1;
    }
}
