// Reading printed PDFs back with poppler's tools.
#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>
#include <optional>

namespace tessel::test {

// What pdfinfo reports ("Pages: 3", "Page size: 842 x 595 pts", ...), or a null QString when
// the file cannot be read.
QString pdfInfo(const QString &path);
// The page count pdfinfo reports, or -1 when the file cannot be read.
int pdfPageCount(const QString &path);
// The text pdftotext extracts (layout kept), or a null QString on failure.
QString pdfText(const QString &path);
// The same for page `page` (from 1) alone.
QString pdfText(const QString &path, int page);

// The size of the first page in points, from pdfinfo; empty when the file cannot be read.
QSizeF pdfPageSize(const QString &path);
// The words of page `page` with their boxes in points, as pdftotext -bbox gives them
// (`<word xMin="…" yMin="…" xMax="…" yMax="…">text</word>`).
QString pdfWordBoxes(const QString &path, int page);
// The font table pdffonts prints.
QString pdfFonts(const QString &path);
// Page `page` rendered in grey at `dpi` by pdftoppm; a null image on failure.
QImage pdfPageImage(const QString &path, int page, int dpi);

// Sets TESSEL_PRINTER to `value`, or unsets it for nullopt, for the lifetime of the object,
// then restores it.
class PrinterVariable {
public:
    explicit PrinterVariable(const std::optional<QString> &value);
    ~PrinterVariable();
    PrinterVariable(const PrinterVariable &) = delete;
    PrinterVariable &operator=(const PrinterVariable &) = delete;

private:
    QByteArray m_old;
    bool m_had;
};

// Points TESSEL_PRINTER at a PDF file for the lifetime of the object, then restores it.
class PrintToPdf : public PrinterVariable {
public:
    explicit PrintToPdf(const QString &path) : PrinterVariable(path) {}
};

}  // namespace tessel::test
