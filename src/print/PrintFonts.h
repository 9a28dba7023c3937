// The fonts printed text is drawn in: the family a sheet names, then installed families that
// cover the other scripts, and a record of the characters none of them can draw.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace tessel::print {

// `family` (宋体 when empty) followed by the installed families every printed font falls back
// to, in order: the Chinese family (Simplified and Traditional Chinese, Japanese kana,
// Korean hangul, Latin, Cyrillic, Greek), then per-script families (Arabic, Hebrew,
// Devanagari, Thai, symbols) with the OpenType tables their shaping needs, then a
// monochrome emoji family. Families that are not installed are left out.
QStringList printFamilies(const QString &family);

// Records `text` when it holds a character that no family `font` falls back to can draw
// (line breaks, spaces and invisible format characters aside). Each character is looked up
// once per thread and family list; a text is recorded once.
void noteUndrawable(const QFont &font, const QString &text);

// The texts recorded by noteUndrawable on this thread since the last call, in order of
// first appearance, and forgets them. At most 20 are kept.
QStringList takeUndrawableTexts();

// Installs, once per process, a message handler that drops the font engine's notes on fonts
// it tried and passed over for a script ("OpenType support missing for …"), which the
// fallback families make harmless, and hands every other message to the handler that was
// installed before.
void quietFontEngineNotes();

}  // namespace tessel::print
