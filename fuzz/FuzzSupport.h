// What every fuzz target shares: decoding the input and stopping on a broken property.
#pragma once

#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Stops the run when `cond` is false. The abort makes libFuzzer report the failure and keep
// the input that caused it; `what` says which property broke, with the values involved.
#define FUZZ_REQUIRE(cond, what)                                                  \
    do {                                                                          \
        if (!(cond))                                                              \
            ::tessel::fuzz::fail(#cond, (what), __FILE__, __LINE__); /* NOLINT */ \
    } while (0)

namespace tessel::fuzz {

// `s` with control characters other than line breaks written as \uXXXX, so a message shows every
// character.
inline QString visible(const QString &s) {
    QString out;
    for (QChar c : s) {
        if ((c.unicode() < 0x20 && c != u'\n') || c.unicode() == 0x7f)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

[[noreturn]] inline void fail(const char *cond, const QString &what, const char *file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n%s\n", file, line, cond,
                 qUtf8Printable(visible(what)));
    std::abort();
}

// The input read as UTF-8 text (invalid sequences become replacement characters).
inline QString utf8(const uint8_t *data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Reads an input byte by byte; past the end every byte reads as 0, so a decoder built on it
// always terminates and never fails.
class ByteReader {
public:
    ByteReader(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    // `n` bytes (fewer at the end) as UTF-8 text.
    QString text(size_t n) {
        const size_t take = m_pos < m_size ? std::min(n, m_size - m_pos) : 0;
        const QString s =
            QString::fromUtf8(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(take));
        m_pos += take;
        return s;
    }

    // A value of trivially copyable type from the next sizeof(T) bytes (zero-filled).
    template <typename T>
    T value() {
        unsigned char raw[sizeof(T)] = {};
        for (unsigned char &b : raw)
            b = byte();
        T v;
        std::memcpy(&v, raw, sizeof(T));
        return v;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

}  // namespace tessel::fuzz
