#include "print/PdfJoin.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessel::print {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c) {
    return isSpace(c) || std::strchr("()<>[]{}/%", c) != nullptr;
}

// A PDF file as the Qt PDF writer writes it, mapped into memory: where each object is, the
// references its dictionary makes, the document's catalog, information and page tree. Every
// object is listed in one cross-reference table at the end, objects lie one after the other,
// and a stream's data ends at the last "endstream" before the next object.
class WrittenPdf {
public:
    struct Ref {
        qint64 at;      // where "N G R" starts in the file
        qint64 length;  // its length
        int id;
    };
    struct Object {
        qint64 begin = -1;   // "N 0 obj"; -1 for an id the file does not use
        qint64 body = 0;     // after "N 0 obj"
        qint64 stream = -1;  // the first byte of the stream's data; -1 for no stream
        qint64 end = 0;      // where the next object (or the table) begins
        std::vector<Ref> refs;
    };

    explicit WrittenPdf(const QString &path) : m_file(path) {
        if (!m_file.open(QIODevice::ReadOnly))
            fail("cannot open " + path.toStdString());
        m_size = m_file.size();
        m_data = reinterpret_cast<const char *>(m_file.map(0, m_size));
        if (!m_data)
            fail("cannot map " + path.toStdString());
        readTable();
        for (Object &object : objects) {
            if (object.begin >= 0)
                scan(object);
        }
        root = trailerRef("/Root");
        info = trailerRef("/Info");
        pagesId = refAfter(object(root), "/Pages");
        const Object &tree = object(pagesId);
        const qint64 kids = find(tree.body, tree.end, "/Kids");
        kidsOpen = find(kids, tree.end, "[");
        kidsClose = find(kidsOpen, tree.end, "]");
        for (const Ref &ref : tree.refs) {
            if (ref.at > kidsOpen && ref.at < kidsClose)
                pages.push_back(ref.id);
        }
        countAt = find(tree.body, tree.end, "/Count") + 6;
        countEnd = countAt;
        while (countEnd < tree.end && (isSpace(m_data[countEnd]) || isdigit(m_data[countEnd])))
            ++countEnd;
    }

    const Object &object(int id) const {
        if (id <= 0 || id >= int(objects.size()) || objects[id].begin < 0)
            fail("no object " + std::to_string(id));
        return objects[id];
    }
    std::string_view bytes(qint64 from, qint64 to) const {
        return std::string_view(m_data + from, std::size_t(to - from));
    }
    // The dictionary part of an object: what follows "N 0 obj" up to its stream's data.
    std::string_view dictionary(const Object &object) const {
        return bytes(object.body, object.stream >= 0 ? object.stream : object.end);
    }
    // What comes before the first object: the header.
    std::string_view header() const {
        qint64 first = m_size;
        for (const Object &object : objects) {
            if (object.begin >= 0)
                first = std::min(first, object.begin);
        }
        return bytes(0, first);
    }

    std::vector<Object> objects;  // by id
    int root = 0, info = 0, pagesId = 0;
    std::vector<int> pages;              // the page objects in page order
    qint64 kidsOpen = 0, kidsClose = 0;  // the page tree's "[" and "]" around its pages
    qint64 countAt = 0, countEnd = 0;    // its page count's number

private:
    [[noreturn]] static void fail(const std::string &what) {
        throw std::runtime_error("PDF part: " + what);
    }

    qint64 find(qint64 from, qint64 to, std::string_view what) const {
        if (from >= 0 && from < to) {
            const std::size_t at = bytes(from, to).find(what);
            if (at != std::string_view::npos)
                return from + qint64(at);
        }
        fail("no " + std::string(what));
    }

    void readTable() {
        const qint64 tail = std::max<qint64>(0, m_size - 64);
        const qint64 start = find(tail, m_size, "startxref") + 9;
        m_xref = std::atoll(std::string(bytes(start, std::min(m_size, start + 24))).c_str());
        qint64 at = find(m_xref, m_size, "xref") + 4;
        while (at < m_size && isSpace(m_data[at]))
            ++at;
        const qint64 line = find(at, m_size, "\n");
        const std::string counts(bytes(at, line));
        const int first = std::atoi(counts.c_str());
        const int count = std::atoi(counts.c_str() + counts.find(' '));
        if (first != 0 || count <= 0 || line + 1 + qint64(count) * 20 > m_size)
            fail("unexpected cross-reference table");
        objects.resize(count);
        std::vector<std::pair<qint64, int>> order;
        for (int i = 0; i < count; ++i) {
            const char *entry = m_data + line + 1 + qint64(i) * 20;
            if (entry[17] == 'n' && i > 0)
                order.emplace_back(std::atoll(std::string(entry, 10).c_str()), i);
        }
        std::sort(order.begin(), order.end());
        for (std::size_t k = 0; k < order.size(); ++k) {
            Object &object = objects[order[k].second];
            object.begin = order[k].first;
            object.end = k + 1 < order.size() ? order[k + 1].first : m_xref;
            object.body = find(object.begin, object.end, "obj") + 3;
        }
    }

    // The references of the object's dictionary, and where its stream's data begins.
    void scan(Object &object) const {
        struct Token {
            qint64 at = -1;
            long value = -1;  // a non-negative integer, else -1
        } prev2, prev1;
        qint64 i = object.body;
        const qint64 end = object.end;
        while (i < end) {
            const char c = m_data[i];
            if (isSpace(c)) {
                ++i;
                continue;
            }
            Token token{i, -1};
            if (c == '%') {
                while (i < end && m_data[i] != '\n' && m_data[i] != '\r')
                    ++i;
                continue;
            } else if (c == '(') {
                int depth = 0;
                for (; i < end; ++i) {
                    if (m_data[i] == '\\') {
                        ++i;
                    } else if (m_data[i] == '(') {
                        ++depth;
                    } else if (m_data[i] == ')' && --depth == 0) {
                        ++i;
                        break;
                    }
                }
            } else if (c == '<' && i + 1 < end && m_data[i + 1] != '<') {
                while (i < end && m_data[i] != '>')
                    ++i;
                ++i;
            } else if (c == '<' || c == '>') {
                i += (i + 1 < end && m_data[i + 1] == c) ? 2 : 1;
            } else if (std::strchr("[]{}", c)) {
                ++i;
            } else {
                const qint64 from = i;
                ++i;
                while (i < end && !isDelimiter(m_data[i]))
                    ++i;
                const std::string_view word = bytes(from, i);
                if (word == "R" && prev2.value > 0 && prev1.value >= 0) {
                    object.refs.push_back({prev2.at, i - prev2.at, int(prev2.value)});
                } else if (word == "stream") {
                    if (i < end && m_data[i] == '\r')
                        ++i;
                    if (i < end && m_data[i] == '\n')
                        ++i;
                    object.stream = i;
                    return;
                } else if (word == "endobj") {
                    return;
                } else if (std::all_of(word.begin(), word.end(), ::isdigit)) {
                    token.value = std::atol(std::string(word).c_str());
                }
            }
            prev2 = prev1;
            prev1 = token;
        }
    }

    int trailerRef(std::string_view key) const {
        const qint64 trailer = find(m_xref, m_size, "trailer");
        const qint64 at = find(trailer, m_size, key) + qint64(key.size());
        return std::atoi(std::string(bytes(at, std::min(m_size, at + 16))).c_str());
    }

    int refAfter(const Object &object, std::string_view key) const {
        const qint64 at = find(object.body, object.end, key);
        for (const Ref &ref : object.refs) {
            if (ref.at > at)
                return ref.id;
        }
        fail("no reference after " + std::string(key));
    }

    QFile m_file;
    const char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_xref = 0;
};

// The parts and the objects of each that go into the joined file, under their new numbers.
class Joiner {
public:
    explicit Joiner(const std::vector<PdfPartPages> &parts) {
        for (const PdfPartPages &part : parts) {
            m_pdfs.push_back(std::make_unique<WrittenPdf>(part.path));
            m_newId.emplace_back(m_pdfs.back()->objects.size(), 0);
            m_copied.emplace_back(m_pdfs.back()->objects.size(), false);
        }
        // The first part's catalog and information stand for the joined file, its page tree
        // holds every part's pages.
        const WrittenPdf &first = *m_pdfs.front();
        visit(0, first.root);
        visit(0, first.info);
        for (std::size_t k = 0; k < parts.size(); ++k) {
            for (const int page : parts[k].pages) {
                const int id = m_pdfs[k]->pages.at(std::size_t(page));
                visit(k, id);
                m_kids.push_back(m_newId[k][id]);
            }
        }
    }

    void write(QIODevice &out) {
        const WrittenPdf &first = *m_pdfs.front();
        std::vector<qint64> offsets(std::size_t(m_next), 0);
        qint64 at = 0;
        const auto put = [&](std::string_view bytes) {
            out.write(bytes.data(), qint64(bytes.size()));
            at += qint64(bytes.size());
        };
        put(first.header());
        for (std::size_t k = 0; k < m_pdfs.size(); ++k) {
            const WrittenPdf &pdf = *m_pdfs[k];
            std::vector<int> ids;
            for (int id = 0; id < int(pdf.objects.size()); ++id) {
                if (m_copied[k][id])
                    ids.push_back(id);
            }
            std::sort(ids.begin(), ids.end(),
                      [&](int a, int b) { return pdf.objects[a].begin < pdf.objects[b].begin; });
            for (const int id : ids) {
                const WrittenPdf::Object &object = pdf.objects[id];
                offsets[m_newId[k][id]] = at;
                put(std::to_string(m_newId[k][id]) + " 0 obj");
                if (k == 0 && id == pdf.pagesId) {
                    putPageTree(pdf, object, put);
                    continue;
                }
                qint64 from = object.body;
                for (const WrittenPdf::Ref &ref : object.refs) {
                    put(pdf.bytes(from, ref.at));
                    put(std::to_string(m_newId[k][ref.id]) + " 0 R");
                    from = ref.at + ref.length;
                }
                put(pdf.bytes(from, object.end));
            }
        }
        const qint64 xref = at;
        std::string table = "xref\n0 " + std::to_string(m_next) + "\n0000000000 65535 f \n";
        char entry[32];
        for (int id = 1; id < m_next; ++id) {
            std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", (long long)offsets[id]);
            table += entry;
        }
        table += "trailer\n<<\n/Size " + std::to_string(m_next) + "\n/Info " +
                 std::to_string(m_newId[0][first.info]) + " 0 R\n/Root " +
                 std::to_string(m_newId[0][first.root]) + " 0 R\n>>\nstartxref\n" +
                 std::to_string(xref) + "\n%%EOF\n";
        put(table);
    }

private:
    // The first part's page tree with every part's pages as its kids.
    template <class Put>
    void putPageTree(const WrittenPdf &pdf, const WrittenPdf::Object &tree, const Put &put) {
        put(pdf.bytes(tree.body, pdf.kidsOpen + 1));
        std::string kids = "\n";
        for (const int id : m_kids)
            kids += std::to_string(id) + " 0 R\n";
        put(kids);
        put(pdf.bytes(pdf.kidsClose, pdf.countAt));
        put(' ' + std::to_string(m_kids.size()) + '\n');
        put(pdf.bytes(pdf.countEnd, tree.end));
    }

    // Gives object `id` of part `k` its number in the joined file, with what it refers to.
    // Another part's page tree is the joined one; a font alike to one already taken is that
    // one.
    void visit(std::size_t k, int id) {
        const WrittenPdf &pdf = *m_pdfs[k];
        if (m_newId[k][id] != 0)
            return;
        if (k > 0 && id == pdf.pagesId) {
            m_newId[k][id] = m_newId[0][m_pdfs[0]->pagesId];
            return;
        }
        const WrittenPdf::Object &object = pdf.object(id);
        const bool font = pdf.dictionary(object).find("/Subtype /Type0") != std::string_view::npos;
        std::string key;
        if (font) {
            key = this->key(pdf, id, 0);
            const auto known = m_fonts.find(key);
            if (known != m_fonts.end()) {
                m_newId[k][id] = known->second;
                return;
            }
        }
        m_newId[k][id] = m_next++;
        m_copied[k][id] = true;
        if (font)
            m_fonts.emplace(std::move(key), m_newId[k][id]);
        if (id == pdf.pagesId)
            return;  // its kids are those of the joined file
        for (const WrittenPdf::Ref &ref : object.refs)
            visit(k, ref.id);
    }

    // What makes objects alike: their bytes with every reference replaced by what it refers
    // to, the subset tags the writer takes from object numbers ("/QABCDE+Name") left out.
    std::string key(const WrittenPdf &pdf, int id, int depth) const {
        if (depth > 8)
            throw std::runtime_error("PDF part: objects nested too deep");
        const WrittenPdf::Object &object = pdf.object(id);
        std::string out;
        qint64 from = object.body;
        const auto plain = [&](std::string_view bytes) {
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (bytes[i] == '/' && i + 8 <= bytes.size() && bytes[i + 7] == '+' &&
                    std::all_of(bytes.begin() + i + 1, bytes.begin() + i + 7, ::isupper)) {
                    out += "/+";
                    i += 7;
                } else {
                    out += bytes[i];
                }
            }
        };
        for (const WrittenPdf::Ref &ref : object.refs) {
            plain(pdf.bytes(from, ref.at));
            out += '{' + key(pdf, ref.id, depth + 1) + '}';
            from = ref.at + ref.length;
        }
        if (object.stream >= 0) {
            plain(pdf.bytes(from, object.stream));
            out += pdf.bytes(object.stream, object.end);
        } else {
            plain(pdf.bytes(from, object.end));
        }
        return out;
    }

    std::vector<std::unique_ptr<WrittenPdf>> m_pdfs;
    std::vector<std::vector<int>> m_newId;    // per part, per object: its number, 0 for none
    std::vector<std::vector<bool>> m_copied;  // per part, per object: written from this part
    std::map<std::string, int> m_fonts;       // the fonts taken, by key
    std::vector<int> m_kids;                  // the joined file's pages
    int m_next = 1;
};

}  // namespace

void joinPdfParts(const std::vector<PdfPartPages> &parts, QIODevice &out) {
    Joiner(parts).write(out);
}

}  // namespace tessel::print
