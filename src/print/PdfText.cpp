#include "print/PdfText.h"

#include "print/CellContentLayout.h"

#include <QGlyphRun>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextLayout>
#include <QtEndian>
#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace tessel::print {

namespace {

thread_local GlyphTextRecorder *t_recorder = nullptr;

// A font name as the PDF writer spells it, letters and digits only.
QByteArray nameKey(const QByteArray &name) {
    QByteArray out;
    for (const char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out += c;
        }
    }
    return out;
}

// The PostScript name (name ID 6) of the font's 'name' table, as a name key.
QByteArray postscriptName(const QRawFont &font) {
    const QByteArray table = font.fontTable("name");
    const auto u16 = [&](qsizetype at) {
        return at + 2 <= table.size() ? qFromBigEndian<quint16>(
                                            reinterpret_cast<const uchar *>(table.constData()) + at)
                                      : quint16(0);
    };
    const int count = u16(2);
    const int strings = u16(4);
    for (int i = 0; i < count; ++i) {
        const qsizetype rec = 6 + qsizetype(i) * 12;
        const quint16 platform = u16(rec), nameId = u16(rec + 6);
        const quint16 length = u16(rec + 8), offset = u16(rec + 10);
        const qsizetype at = qsizetype(strings) + offset;
        if (nameId != 6 || at + length > table.size()) {
            continue;
        }
        QByteArray name;
        if (platform == 3 || platform == 0) {  // UTF-16BE
            for (qsizetype k = 0; k + 1 < length; k += 2) {
                name += char(table[at + k + 1]);
            }
        } else {
            name = table.mid(at, length);
        }
        return nameKey(name);
    }
    return {};
}

}  // namespace

struct GlyphTextRecorder::Data {
    struct Face {
        const std::unordered_set<quint32> &mapped;  // glyphs a character of the BMP maps to
        std::unordered_map<quint32, std::size_t> position;
        std::vector<Glyph> glyphs;
    };
    std::map<QByteArray, Face> faces;
    std::map<QString, QByteArray> names;  // family and style -> PostScript name key
    std::unordered_set<QString> texts;    // texts (with their font) whose clusters are known

    Face &face(const QRawFont &font) {
        const QString id = font.familyName() + u'\n' + font.styleName();
        auto name = names.find(id);
        if (name == names.end()) {
            name = names.emplace(id, postscriptName(font)).first;
        }
        auto it = faces.find(name->second);
        if (it == faces.end()) {
            it = faces.emplace(name->second, Face{mappedGlyphs(name->second, font), {}, {}}).first;
        }
        return it->second;
    }

    // The glyphs of a font that the writer names by itself: it looks every character of the
    // BMP up in the font. Worked out once per font and thread.
    static const std::unordered_set<quint32> &mappedGlyphs(const QByteArray &name,
                                                           const QRawFont &font) {
        thread_local std::map<QByteArray, std::unordered_set<quint32>> known;
        const auto found = known.find(name);
        if (found != known.end()) {
            return found->second;
        }
        std::unordered_set<quint32> &mapped = known[name];
        {
            QList<QChar> chars;
            chars.reserve(0x10000 - 0x800);
            for (char32_t c = 1; c < 0x10000; ++c) {
                if (c < 0xD800 || c > 0xDFFF) {
                    chars << QChar(char16_t(c));
                }
            }
            QList<quint32> glyphs(chars.size());
            int n = int(glyphs.size());
            if (font.glyphIndexesForChars(chars.constData(), int(chars.size()), glyphs.data(),
                                          &n)) {
                mapped.insert(glyphs.begin(), glyphs.begin() + n);
            }
        }
        return mapped;
    }
};

GlyphTextRecorder::GlyphTextRecorder() : m_data(std::make_unique<Data>()), m_outer(t_recorder) {
    t_recorder = this;
}

GlyphTextRecorder::~GlyphTextRecorder() {
    t_recorder = m_outer;
}

std::vector<GlyphTextRecorder::Glyph> GlyphTextRecorder::glyphs(
    const QByteArray &postscriptName) const {
    const auto it = m_data->faces.find(nameKey(postscriptName));
    return it == m_data->faces.end() ? std::vector<Glyph>() : it->second.glyphs;
}

namespace {

// Remembers the unmapped glyphs of `runs` in the order they are drawn, then gives each the
// characters of its cluster (the characters whose glyphs Qt reports together) that no
// mapped glyph of the cluster already names.
void record(GlyphTextRecorder::Data &data, const QList<QGlyphRun> &runs, const QTextLayout &layout,
            const QString &text) {
    for (const QGlyphRun &run : runs) {
        auto &face = data.face(run.rawFont());
        for (const quint32 g : run.glyphIndexes()) {
            if (g != 0 && !face.mapped.count(g) && !face.position.count(g)) {
                face.position.emplace(g, face.glyphs.size());
                face.glyphs.push_back({g, QString()});
            }
        }
    }
    if (!data.texts.insert(layout.font().key() + u'\n' + text).second) {
        return;  // the same text in the same font gives the same glyphs the same characters
    }
    // A cluster: characters whose glyphs overlap (a vowel sign reports its consonant's
    // glyphs too, a conjunct's characters share one glyph).
    using Glyphs = std::vector<std::pair<QRawFont, quint32>>;
    const auto glyphsOf = [](const QList<QGlyphRun> &runs) {
        Glyphs out;
        for (const QGlyphRun &run : runs) {
            for (const quint32 g : run.glyphIndexes()) {
                out.emplace_back(run.rawFont(), g);
            }
        }
        return out;
    };
    const auto overlap = [](const Glyphs &a, const Glyphs &b) {
        return std::any_of(a.begin(), a.end(), [&](const auto &x) {
            return std::find(b.begin(), b.end(), x) != b.end();
        });
    };
    for (int l = 0; l < layout.lineCount(); ++l) {
        const QTextLine line = layout.lineAt(l);
        const int end = line.textStart() + line.textLength();
        for (int i = line.textStart(); i < end;) {
            Glyphs cluster = glyphsOf(line.glyphRuns(i, 1));
            int j = i + 1;
            for (; j < end; ++j) {
                const Glyphs next = glyphsOf(line.glyphRuns(j, 1));
                if (!overlap(cluster, next)) {
                    break;
                }
                for (const auto &g : next) {
                    if (std::find(cluster.begin(), cluster.end(), g) == cluster.end()) {
                        cluster.push_back(g);
                    }
                }
            }
            const QString chars = text.mid(i, j - i);
            i = j;
            // The characters no mapped glyph of the cluster stands for go to its first
            // unmapped glyph in each font.
            std::vector<QRawFont> fonts;
            for (const auto &[font, g] : cluster) {
                if (std::find(fonts.begin(), fonts.end(), font) == fonts.end()) {
                    fonts.push_back(font);
                }
            }
            for (const QRawFont &font : fonts) {
                auto &face = data.face(font);
                const auto inCluster = [&](quint32 g) {
                    return std::find(cluster.begin(), cluster.end(), std::pair(font, g)) !=
                           cluster.end();
                };
                QString rest;
                for (qsizetype k = 0; k < chars.size(); ++k) {
                    const bool pair = chars[k].isHighSurrogate() && k + 1 < chars.size();
                    const QString ch = chars.mid(k, pair ? 2 : 1);
                    k += pair ? 1 : 0;
                    const QList<quint32> own = font.glyphIndexesForString(ch);
                    if (pair || own.size() != 1 || !face.mapped.count(own[0]) ||
                        !inCluster(own[0])) {
                        rest += ch;
                    }
                }
                for (const auto &[f, g] : cluster) {
                    const auto at = f == font ? face.position.find(g) : face.position.end();
                    if (at != face.position.end()) {
                        QString &slot = face.glyphs[at->second].text;
                        if (slot.isEmpty()) {
                            slot = rest;
                        }
                        break;
                    }
                }
            }
        }
    }
}

void drawLayout(QPainter &painter, const QTextLayout &layout, const QPointF &origin,
                const QString &text) {
    const QList<QGlyphRun> runs = layout.glyphRuns();
    for (const QGlyphRun &run : runs) {
        painter.drawGlyphRun(origin, run);
    }
    if (t_recorder) {
        record(t_recorder->data(), runs, layout, text);
    }
}

}  // namespace

void drawLaidOut(QPainter &painter, const QFont &font, const QRectF &rect, const QString &text,
                 Qt::Alignment align, bool wrap) {
    const QString laid = cellLayoutText(text);
    QTextLayout layout(laid, font, painter.device());
    const QPointF origin = layOutCellText(layout, rect, align, wrap);
    drawLayout(painter, layout, origin, laid);
}

void drawLaidOutLine(QPainter &painter, const QFont &font, const QPointF &origin,
                     const QString &text) {
    QTextLayout layout(text, font, painter.device());
    layout.setTextOption(cellTextOption(text, Qt::AlignLeft, false));
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    if (line.isValid()) {
        drawLayout(painter, layout, origin - QPointF(0, line.ascent()), text);
    }
}

namespace {

struct PdfObject {
    int id;
    QByteArray bytes;  // "N 0 obj" … "endobj" and what follows up to the next object
};

// The dictionary value after `key` ("/BaseFont") in `bytes`: a name, an "N 0 R" reference
// or a number.
QByteArray dictValue(const QByteArray &bytes, const char *key) {
    const QRegularExpression re(QStringLiteral("%1\\s*(/[^\\s/<>\\[\\]()]+|\\d+ 0 R|\\d+)")
                                    .arg(QRegularExpression::escape(QLatin1String(key))));
    const auto m = re.match(QString::fromLatin1(bytes.left(4096)));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

int refId(const QByteArray &ref) {
    return ref.endsWith(" 0 R") ? ref.left(ref.indexOf(' ')).toInt() : -1;
}

// The number of CIDs a descendant font's /W array gives widths for.
int cidCount(const QByteArray &cidFont) {
    const qsizetype w = cidFont.indexOf("/W [");
    if (w < 0) {
        return 0;
    }
    int count = 0, depth = 0;
    std::vector<long> numbers;  // the numbers of the current top-level entry
    int inner = 0;              // widths inside the current inner array
    for (qsizetype i = w + 4; i < cidFont.size(); ++i) {
        const char c = cidFont[i];
        if (c == '[') {
            ++depth;
            inner = 0;
        } else if (c == ']') {
            if (depth == 0) {
                break;
            }
            --depth;
            if (!numbers.empty()) {  // "first [w1 w2 …]"
                count = std::max<int>(count, int(numbers.back()) + inner);
            }
            numbers.clear();
        } else if ((c >= '0' && c <= '9') || c == '-' || c == '.') {
            qsizetype j = i;
            while (j < cidFont.size() &&
                   (std::isdigit(uchar(cidFont[j])) || cidFont[j] == '.' || cidFont[j] == '-')) {
                ++j;
            }
            if (depth == 0) {
                numbers.push_back(cidFont.mid(i, j - i).toLong());
                if (numbers.size() == 3) {  // "first last w"
                    count = std::max<int>(count, int(numbers[1]) + 1);
                    numbers.clear();
                }
            } else {
                ++inner;
            }
            i = j - 1;
        }
    }
    return count;
}

// The CIDs a /ToUnicode map names, from its bfrange and bfchar entries.
std::unordered_set<int> mappedCids(const QByteArray &cmap) {
    std::unordered_set<int> cids;
    static const QRegularExpression range(
        QStringLiteral("^<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*[<\\[]"),
        QRegularExpression::MultilineOption);
    auto it = range.globalMatch(QString::fromLatin1(cmap));
    while (it.hasNext()) {
        const auto m = it.next();
        const int a = m.captured(1).toInt(nullptr, 16), b = m.captured(2).toInt(nullptr, 16);
        for (int c = a; c <= b; ++c) {
            cids.insert(c);
        }
    }
    return cids;
}

QByteArray utf16Hex(const QString &text) {
    QByteArray out;
    for (const QChar ch : text) {
        out += QByteArray::number(ch.unicode(), 16).rightJustified(4, '0').toUpper();
    }
    return out;
}

// `cmap` with bfchar entries naming `glyphs` (the font's unmapped glyphs in CID order), or
// empty when the CIDs the map leaves unnamed are not as many as the glyphs.
// The writer numbers a font's glyphs (CIDs) in the order they are first drawn, and names in
// the map every glyph a BMP character reaches. The others are drawn only through
// drawLaidOut (simple texts go through the cached widths, which hold no such characters),
// so the CIDs left unnamed, in rising order, are the recorded glyphs in their order. A count
// that differs means some glyph came another way (a ligature in a simple text): the map then
// stays as the writer made it rather than naming glyphs wrongly.
QByteArray completeCmap(const QByteArray &cmap, int cids,
                        const std::vector<GlyphTextRecorder::Glyph> &glyphs) {
    const std::unordered_set<int> mapped = mappedCids(cmap);
    std::vector<int> unnamed;
    for (int c = 1; c < cids; ++c) {
        if (!mapped.count(c)) {
            unnamed.push_back(c);
        }
    }
    const qsizetype end = cmap.lastIndexOf("endcmap");
    if (unnamed.size() != glyphs.size() || end < 0) {
        return {};
    }
    QByteArray entries;
    int n = 0;
    QByteArray block;
    const auto flush = [&] {
        if (n > 0) {
            entries += QByteArray::number(n) + " beginbfchar\n" + block + "endbfchar\n";
        }
        block.clear();
        n = 0;
    };
    for (std::size_t i = 0; i < unnamed.size(); ++i) {
        if (glyphs[i].text.isEmpty()) {
            continue;
        }
        block += '<' + QByteArray::number(unnamed[i], 16).rightJustified(4, '0').toUpper() + "> <" +
                 utf16Hex(glyphs[i].text) + ">\n";
        if (++n == 100) {
            flush();
        }
    }
    flush();
    return cmap.left(end) + entries + cmap.mid(end);
}

// The stream data of a stream object with a direct /Length.
QByteArray streamData(const QByteArray &object, qsizetype *start = nullptr) {
    const qsizetype s = object.indexOf("stream\n");
    const QByteArray length = dictValue(object, "/Length");
    if (s < 0 || length.isEmpty() || length.startsWith('/') || length.endsWith(" R")) {
        return {};
    }
    if (start) {
        *start = s + 7;
    }
    return object.mid(s + 7, length.toLongLong());
}

QByteArray replaceName(const QByteArray &object, const QByteArray &oldName,
                       const QByteArray &newName) {
    QByteArray out = object;
    const QByteArray from = "/BaseFont " + oldName;
    const qsizetype at = out.indexOf(from);
    if (at >= 0) {
        out.replace(at, from.size(), "/BaseFont " + newName);
    }
    return out;
}

}  // namespace

QByteArray completePdfFonts(const QByteArray &tail, qint64 tailOffset,
                            const GlyphTextRecorder &recorder) {
    // The cross-reference table: "xref\n0 N\n" and N entries of 20 bytes.
    const qsizetype xref = tail.lastIndexOf("\nxref\n");
    if (xref < 0) {
        return tail;
    }
    const qsizetype header = xref + 6;
    const qsizetype headerEnd = tail.indexOf('\n', header);
    const QList<QByteArray> counts = tail.mid(header, headerEnd - header).split(' ');
    if (counts.size() != 2 || counts[0] != "0") {
        return tail;
    }
    const int size = counts[1].toInt();
    const qsizetype entries = headerEnd + 1;
    if (size <= 0 || entries + qsizetype(size) * 20 > tail.size()) {
        return tail;
    }
    std::vector<qint64> offsets(size, -1);
    for (int i = 0; i < size; ++i) {
        const QByteArray entry = tail.mid(entries + qsizetype(i) * 20, 20);
        if (entry.size() == 20 && entry[17] == 'n') {
            offsets[i] = entry.left(10).toLongLong();
        }
    }
    const qsizetype trailer = entries + qsizetype(size) * 20;

    // The objects written in the tail, in file order.
    std::vector<int> ids;
    for (int i = 0; i < size; ++i) {
        if (offsets[i] >= tailOffset && offsets[i] - tailOffset < xref) {
            ids.push_back(i);
        }
    }
    std::sort(ids.begin(), ids.end(), [&](int a, int b) { return offsets[a] < offsets[b]; });
    if (ids.empty()) {
        return tail;
    }
    std::map<int, PdfObject> objects;
    for (std::size_t k = 0; k < ids.size(); ++k) {
        const qint64 from = offsets[ids[k]] - tailOffset;
        const qint64 to = k + 1 < ids.size() ? offsets[ids[k + 1]] - tailOffset : xref + 1;
        objects[ids[k]] = {ids[k], tail.mid(from, to - from)};
    }

    for (auto &[id, object] : objects) {
        if (!object.bytes.contains("/Subtype /Type0")) {
            continue;
        }
        const int cidId = refId(dictValue(object.bytes, "/DescendantFonts ["));
        const auto cid = objects.find(cidId);
        if (cid == objects.end()) {
            continue;
        }
        const QByteArray baseFont = dictValue(object.bytes, "/BaseFont");
        const auto descriptor =
            objects.find(refId(dictValue(cid->second.bytes, "/FontDescriptor")));
        if (descriptor != objects.end() && !baseFont.isEmpty()) {
            const QByteArray subsetName = dictValue(descriptor->second.bytes, "/FontName");
            if (subsetName.endsWith('+' + baseFont.mid(1))) {
                object.bytes = replaceName(object.bytes, baseFont, subsetName);
                cid->second.bytes = replaceName(cid->second.bytes, baseFont, subsetName);
            }
        }
        const std::vector<GlyphTextRecorder::Glyph> glyphs = recorder.glyphs(baseFont.mid(1));
        const auto toUnicode = objects.find(refId(dictValue(object.bytes, "/ToUnicode")));
        if (glyphs.empty() || toUnicode == objects.end()) {
            continue;
        }
        QByteArray &stream = toUnicode->second.bytes;
        qsizetype start = 0;
        const QByteArray cmap = streamData(stream, &start);
        const QByteArray completed = completeCmap(cmap, cidCount(cid->second.bytes), glyphs);
        if (completed.isEmpty()) {
            continue;
        }
        stream = QByteArray::number(toUnicode->first) + " 0 obj\n<< /Length " +
                 QByteArray::number(completed.size()) + " >>\nstream\n" + completed +
                 stream.mid(start + cmap.size());
    }

    // The tail again, every object at its new place, and a table that says where.
    QByteArray out = tail.left(offsets[ids.front()] - tailOffset);
    for (const int id : ids) {
        offsets[id] = tailOffset + out.size();
        out += objects[id].bytes;
    }
    const qint64 xrefAt = tailOffset + out.size();
    out += "xref\n0 " + QByteArray::number(size) + '\n';
    for (int i = 0; i < size; ++i) {
        out += offsets[i] < 0
                   ? tail.mid(entries + qsizetype(i) * 20, 20)
                   : QByteArray::number(offsets[i]).rightJustified(10, '0') + " 00000 n \n";
    }
    QByteArray rest = tail.mid(trailer);
    const qsizetype sx = rest.indexOf("startxref\n");
    if (sx < 0) {
        return tail;
    }
    const qsizetype numberEnd = rest.indexOf('\n', sx + 10);
    rest.replace(sx + 10, numberEnd - (sx + 10), QByteArray::number(xrefAt) + ' ');
    return out + rest;
}

}  // namespace tessel::print
