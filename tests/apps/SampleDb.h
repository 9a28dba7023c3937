// The bundled sample database, built from its script into a temporary file.
#pragma once

#include <QFile>

#include "support/TestDb.h"

namespace tessel::test {

inline void loadSample(const TempDb &db) {
    QFile f(QStringLiteral(TESSEL_SAMPLE_SQL));
    f.open(QIODevice::ReadOnly);
    db.exec(QString::fromUtf8(f.readAll()));
}

}  // namespace tessel::test
