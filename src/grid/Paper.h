// The paper a report prints on: a width and a height in millimetres, the width running
// across the printed page in portrait (the sheet's landscape orientation turns the page).
// The papers a user picks by name, the continuous forms of dot-matrix printers, and any
// custom size are all the same value; the text form is what a definition row stores.
#pragma once

#include <QPageSize>
#include <QString>
#include <optional>
#include <vector>

namespace tessel::grid {

// Smallest and largest side a paper may have, in millimetres.
inline constexpr double kMinPaperMm = 20;
inline constexpr double kMaxPaperMm = 2000;

struct Paper {
    double widthMm = 210;  // across the page, portrait
    double heightMm = 297;
    bool operator==(const Paper &) const = default;
};

// A paper of the list a user picks from. `name` is its stored text ("A3", "241x280mm"),
// `caption` the Chinese source text shown for it.
struct PaperChoice {
    QString name;
    Paper paper;
    const char *caption;
};

// The papers offered by name, in the order they are offered: A3, A4, A5, B5 (182 × 257 mm,
// the B5 of office printers and copiers), Letter, Legal, and the continuous forms 241 × 280,
// 241 × 140 and 241 × 93 mm.
const std::vector<PaperChoice> &paperChoices();

// The choice in paperChoices() whose size is `paper` (within 0.05 mm), or nullopt for a
// custom size.
std::optional<PaperChoice> paperChoice(const Paper &paper);

// The stored text of `paper`: a named paper's name ("A4"), else "<width>x<height>mm" in
// millimetres with at most one decimal ("241x280mm", "100.5x80mm").
QString paperText(const Paper &paper);

// The paper a stored text names: a name of paperChoices() (any case, blanks around allowed),
// or "<width>x<height>mm" with "x", "X" or "×" between and "mm" optional, each side a number
// of millimetres from kMinPaperMm to kMaxPaperMm. nullopt for anything else.
std::optional<Paper> parsePaper(const QString &text);

// The size Qt's paint devices take for `paper`: the standard size for a named one (so a
// printer recognises it), an exact custom size in millimetres otherwise.
QPageSize pageSize(const Paper &paper);

}  // namespace tessel::grid
