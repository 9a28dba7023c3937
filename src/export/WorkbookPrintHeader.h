// A report's page header or footer as the workbook's print header or footer, in the
// workbook's header code language: "&L", "&C", "&R" start the left, centre and right section,
// each holding its part of every line, lines parted by a line feed; "&12" sets the size in
// points and "&\"宋体,Bold\"" the font, "&U" and "&S" switch underline and strikeout, "&P" is the
// page number and "&&" an ampersand. The format holds kPrintHeaderMax characters.
#pragma once

#include <string>
#include <vector>

#include "print/codes/PrintCodes.h"

namespace tessel::exports {

// Characters the workbook's print header or footer holds, codes included.
constexpr int kPrintHeaderMax = 255;

struct PrintHeaderText {
    std::string codes;  // UTF-8, at most kPrintHeaderMax characters
    bool shortened = false;
};

// The codes of `lines` (a header's or footer's printed lines, top to bottom). Each run keeps
// its size (a run without one kDefaultCodeFontSize, rounded to whole points: the format takes
// no fractions), font name (the workbook's default font for a run without one), bold, italic,
// underline and strikeout; a section's line without a part of its own is as high as that
// line's largest size, so the sections' lines stand side by side. Past kPrintHeaderMax
// characters the fonts are left out; when the texts alone are longer still, they are cut at
// the last whole character or code that fits. `shortened` says whether either happened.
PrintHeaderText printHeaderCodes(const std::vector<print::PrintedLine> &lines);

}  // namespace tessel::exports
