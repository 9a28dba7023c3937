// PDF files the Qt PDF writer wrote, joined into one: the last step of a PDF painted in parts.
#pragma once

#include <QIODevice>
#include <QString>
#include <vector>

namespace tessel::print {

// A PDF file and the pages of it that go into a joined file.
struct PdfPartPages {
    QString path;
    std::vector<int> pages;  // 0-based page indexes, rising
};

// Writes to `out` the pages of the PDF files `parts` (written by the Qt PDF writer) joined
// into one: part after part, each part's pages in their order, every object they use copied
// as it is (stream data byte for byte, nothing decoded or compressed again) under a number of
// its own, the catalog and document information of the first. A font the parts embed alike
// (the same font program, widths and character map) is embedded once; the other pages of the
// parts and what only they use are left out. Throws std::runtime_error when a part cannot be
// read or is not laid out as that writer lays its files out; a failed write is left in `out`'s
// error state.
void joinPdfParts(const std::vector<PdfPartPages> &parts, QIODevice &out);

}  // namespace tessel::print
