// Reading printed PDFs back with poppler's tools.
#pragma once

#include <QString>

namespace tessel::test {

// The page count pdfinfo reports, or -1 when the file cannot be read.
int pdfPageCount(const QString &path);
// The text pdftotext extracts (layout kept), or a null QString on failure.
QString pdfText(const QString &path);

// Points TESSEL_PRINTER at a PDF file for the lifetime of the object, then restores it.
class PrintToPdf {
public:
    explicit PrintToPdf(const QString &path);
    ~PrintToPdf();
    PrintToPdf(const PrintToPdf &) = delete;
    PrintToPdf &operator=(const PrintToPdf &) = delete;

private:
    QByteArray m_old;
    bool m_had;
};

}  // namespace tessel::test
