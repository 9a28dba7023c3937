// The header/footer code language a sheet prints its page header and footer from:
// "/l", "/c", "/r" choose the left, centre or right part of the current line, "/n" ends a
// line, "/p" is the page number, "/fn\"name\"", "/fz\"size\"", "/fb1", "/fi1", "/fu1",
// "/fk1" (and their 0 forms) set the font of the part that the next alignment code starts,
// and of the rest of the current part. Every other character is text; there is no escape
// for "/".
#pragma once

#include <QString>
#include <array>
#include <vector>

namespace tessel::print {

// A part's font. size is in points (a real number: 10.5 stays 10.5).
struct CodeFont {
    QString name;
    double size = 0.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const CodeFont &) const = default;
};

// The character a value substituted into a code string carries in place of "/", which
// would start a code there (substituteVariables); it prints the same.
inline constexpr QChar kValueSlash{0x2215};

// The exact text of a cell that stands for the page number.
inline const QString kPageNumberText = QStringLiteral("<Page Number>");

enum class CodePos { Left = 0, Center = 1, Right = 2 };

struct CodeCell {
    QString text;  // kPageNumberText for a page-number cell
    CodeFont font;
    bool isPageNumber() const { return text == kPageNumberText; }
    bool operator==(const CodeCell &) const = default;
};

struct CodeLine {
    CodeCell cells[3];  // indexed by CodePos
    bool operator==(const CodeLine &) const = default;
};

// One piece of a printed part: a text run, or the page number, in the font the codes before
// it set.
struct CodeRun {
    QString text;  // empty for the page number
    bool pageNumber = false;
    CodeFont font;
    bool operator==(const CodeRun &) const = default;
};

// A header or footer line as it prints: the runs of each part in the order they came.
struct PrintedLine {
    std::vector<CodeRun> parts[3];  // indexed by CodePos
    bool isEmpty() const { return parts[0].empty() && parts[1].empty() && parts[2].empty(); }
    bool operator==(const PrintedLine &) const = default;
};

// The result of parsing: lines from the first, once as editor cells and once as printed
// runs (`printed` has as many lines as `lines`); `error` is empty or one of
// "Error parsing TEXT", "Error parsing FONT NAME", "Error parsing FONT SIZE", in which case
// both hold what was parsed up to the error.
struct CodeLayout {
    std::vector<CodeLine> lines;
    std::vector<PrintedLine> printed;
    QString error;
};

// Parses a code string. `fontState` is the parser's font state: font codes change it and
// an alignment code copies it onto the cell it selects. It is read and updated, so an
// editor can keep it between parses; pass a default CodeFont for a fresh state.
//
// Details: a part runs from an alignment code (or the start of a line) to the next alignment
// code or "/n"; "/n" moves to the next line and keeps the position, so the first part of a
// line is the left one only at the start of the string. Within a part, text runs and "/p"
// codes follow one another in order: the cell's text is their concatenation, with
// kPageNumberText where "/p" stood (so "/c第/p页" gives 第<Page Number>页, and "/r/p" a
// page-number cell). An alignment code starts its part afresh ("/lA/lB" gives B). Each run
// has the font of the part at that point: the state the alignment code copied, changed by
// every font code read since; a part no alignment code began starts from the empty font.
// A cell that an alignment code selected takes the font of its first run (the state the
// alignment code copied when no run follows). A text run has no length limit and may end
// the string. A font
// name or size must be closed by a double quote within 99 characters, else the parse ends
// with the FONT NAME / FONT SIZE error. A size that is not a number reads as 0. Unknown
// codes are skipped: two characters after "/", three after "/f". Cells that no alignment
// code selected keep the default font. `lines` ends at the last line a code or text touched.
CodeLayout parseCodes(const QString &codes, CodeFont &fontState);
CodeLayout parseCodes(const QString &codes);

// A header or footer line as plain texts: its left, centre and right part (by CodePos), a
// null QString where the line names no such part.
using PlainLine = std::array<QString, 3>;

// The lines of a code string as plain texts, the short reading a workbook takes (it holds
// no fonts and no page numbers). The string is split into lines at every "/n" (an empty
// string has none; one ending in "/n" has a last, empty line). A line is cut at every "/fn";
// the text before the first "/fn" is dropped, and in each later piece the text after its
// first "/l", "/c" and "/r" is the left, centre and right part (all three are looked for, so
// "/fn\"A\"/lA/cB" gives the left part A/cB and the centre part B; a later piece overrides
// an earlier one). A part is taken as it stands, except that kValueSlash becomes "/" again,
// and that a part holding the page-number code ("/p" alone, or within a text such as
// "第 /p 页") is empty: these lines have no pages to number (the workbook's own print footer
// numbers its pages).
std::vector<PlainLine> plainTextLines(const QString &codes);

}  // namespace tessel::print
