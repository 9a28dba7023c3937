// Reading a zip file's parts back (a workbook's worksheets and styles) with the unzip tool.
#pragma once

#include <QByteArray>
#include <QString>

namespace tessel::test {

// The bytes of the part named `part` ("xl/worksheets/sheet1.xml") of the zip file `file`;
// empty when the file or the part cannot be read.
QByteArray unzipPart(const QString &file, const QString &part);

}  // namespace tessel::test
