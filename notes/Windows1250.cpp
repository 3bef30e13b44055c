// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/Windows1250.h"

#include "common/HugePages.h"

#include <QHash>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>

namespace {

// Bytes 0x00 to 0x7F are ASCII; this is the upper half.
constexpr std::array<char16_t, 128> UpperHalf = {
    0x20ac, 0x0081, 0x201a, 0x0083, 0x201e, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015a, 0x0164, 0x017d, 0x0179, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203a, 0x015b, 0x0165, 0x017e, 0x017a, 0x00a0, 0x02c7, 0x02d8, 0x0141,
    0x00a4, 0x0104, 0x00a6, 0x00a7, 0x00a8, 0x00a9, 0x015e, 0x00ab, 0x00ac, 0x00ad, 0x00ae, 0x017b,
    0x00b0, 0x00b1, 0x02db, 0x0142, 0x00b4, 0x00b5, 0x00b6, 0x00b7, 0x00b8, 0x0105, 0x015f, 0x00bb,
    0x013d, 0x02dd, 0x013e, 0x017c, 0x0154, 0x00c1, 0x00c2, 0x0102, 0x00c4, 0x0139, 0x0106, 0x00c7,
    0x010c, 0x00c9, 0x0118, 0x00cb, 0x011a, 0x00cd, 0x00ce, 0x010e, 0x0110, 0x0143, 0x0147, 0x00d3,
    0x00d4, 0x0150, 0x00d6, 0x00d7, 0x0158, 0x016e, 0x00da, 0x0170, 0x00dc, 0x00dd, 0x0162, 0x00df,
    0x0155, 0x00e1, 0x00e2, 0x0103, 0x00e4, 0x013a, 0x0107, 0x00e7, 0x010d, 0x00e9, 0x0119, 0x00eb,
    0x011b, 0x00ed, 0x00ee, 0x010f, 0x0111, 0x0144, 0x0148, 0x00f3, 0x00f4, 0x0151, 0x00f6, 0x00f7,
    0x0159, 0x016f, 0x00fa, 0x0171, 0x00fc, 0x00fd, 0x0163, 0x02d9,
};

constexpr std::array<char16_t, 256> makeDecodingTable()
{
    std::array<char16_t, 256> table{};
    for (int byte = 0; byte < 0x80; ++byte)
        table[byte] = char16_t(byte);
    for (int byte = 0x80; byte < 0x100; ++byte)
        table[byte] = UpperHalf[byte - 0x80];
    return table;
}

constexpr std::array<char16_t, 256> DecodingTable = makeDecodingTable();

// The inverse table, one entry per 16-bit character: a byte, or NoByte. A flat table keeps
// encoding to one look-up per character, which matters for texts of many megabytes.
constexpr quint16 NoByte = 0x100;

const std::array<quint16, 0x10000> &encodingTable()
{
    static const auto table = [] {
        std::array<quint16, 0x10000> inverse;
        inverse.fill(NoByte);
        for (int byte = 0; byte < 0x100; ++byte)
            inverse[DecodingTable[byte]] = quint16(byte);
        return inverse;
    }();
    return table;
}

quint32 pairKey(QChar base, QChar mark)
{
    return quint32(base.unicode()) << 16 | mark.unicode();
}

// The code page's letters that decompose into a base letter and one combining mark and are the
// composed form of that pair, by the pair. Looking the pair up spares normalising a string for
// each letter of decomposed Polish, which took most of the time spent on such a text.
const QHash<quint32, char> &composedLetters()
{
    static const auto letters = [] {
        QHash<quint32, char> bytes;
        for (int byte = 0x80; byte < 0x100; ++byte) {
            const QChar letter(DecodingTable[byte]);
            const QString parts = letter.decomposition();
            if (letter.decompositionTag() == QChar::Canonical && parts.size() == 2
                && parts.normalized(QString::NormalizationForm_C) == letter)
                bytes.insert(pairKey(parts[0], parts[1]), char(byte));
        }
        return bytes;
    }();
    return letters;
}

bool hasByte(QStringView text, qsizetype index)
{
    return encodingTable()[text[index].unicode()] != NoByte;
}

// The end of the stretch of characters without a byte that starts at index, with the character
// after it. Only characters without a byte join a letter to its neighbour (combining marks, the
// zero-width joiner, prepended marks), so a letter ends between two characters that have bytes,
// a CR LF aside. A single one with a byte between two without, like the © of an emoji sequence,
// is taken in with the stretch after it.
qsizetype stretchEnd(QStringView text, qsizetype index)
{
    qsizetype end = index;
    for (;;) {
        while (end < text.size() && !hasByte(text, end))
            ++end;
        if (end + 1 < text.size() && !hasByte(text, end + 1)) {
            ++end;
            continue;
        }
        return std::min(end + 1, text.size());
    }
}

// Writes a stretch letter by letter: characters with bytes as they are, and a letter with
// characters that have none in its composed form, when that form has bytes.
class StretchEncoder
{
public:
    StretchEncoder(QStringView text, Windows1250::Encoding &result, char *out)
        : m_text(text)
        , m_result(result)
        , m_out(out)
    {}

    // Returns where the stretch ends.
    qsizetype encode(qsizetype start, qsizetype end)
    {
        // Most stretches are a letter and a mark or two; the buffer spares the finder an
        // allocation for each.
        std::array<unsigned char, 64> buffer;
        QTextBoundaryFinder letters(QTextBoundaryFinder::Grapheme,
                                    m_text.sliced(start, end - start), buffer.data(),
                                    buffer.size());
        qsizetype letterStart = 0;
        for (qsizetype letterEnd = letters.toNextBoundary(); letterEnd != -1;
             letterEnd = letters.toNextBoundary()) {
            encodeLetter(start + letterStart, letterEnd - letterStart);
            letterStart = letterEnd;
        }
        return end;
    }

    char *out() const { return m_out; }

private:
    void encodeLetter(qsizetype start, qsizetype length)
    {
        const QStringView letter = m_text.sliced(start, length);
        if (writeIfEncodable(letter) || writeIfComposedPair(letter))
            return;
        if (mayCompose(letter)) {
            const QString composed = letter.toString().normalized(QString::NormalizationForm_C);
            // Composing never lengthens a letter that has bytes; the check keeps the writes
            // inside the bytes made for the text.
            if (composed.size() <= letter.size() && writeIfEncodable(composed))
                return;
        }
        if (m_result.firstUnencodable < 0) {
            m_result.firstUnencodable = start;
            m_result.firstUnencodableLength = length;
        }
        ++m_result.unencodableCount;
    }

    bool writeIfComposedPair(QStringView letter)
    {
        if (letter.size() != 2)
            return false;
        const auto &letters = composedLetters();
        const auto composed = letters.constFind(pairKey(letter[0], letter[1]));
        if (composed == letters.constEnd())
            return false;
        *m_out++ = composed.value();
        return true;
    }

    bool writeIfEncodable(QStringView letter)
    {
        const auto &table = encodingTable();
        for (const QChar character : letter) {
            if (table[character.unicode()] == NoByte)
                return false;
        }
        for (const QChar character : letter)
            *m_out++ = char(table[character.unicode()]);
        return true;
    }

    // A letter of one character without a canonical decomposition is its own composed form:
    // other scripts and emoji skip the normalisation.
    static bool mayCompose(QStringView letter)
    {
        const bool surrogatePair
            = letter.size() == 2 && letter[0].isHighSurrogate() && letter[1].isLowSurrogate();
        if (letter.size() != 1 && !surrogatePair)
            return true;
        const char32_t codePoint
            = surrogatePair ? QChar::surrogateToUcs4(letter[0], letter[1]) : letter[0].unicode();
        return QChar::decompositionTag(codePoint) == QChar::Canonical;
    }

    QStringView m_text;
    Windows1250::Encoding &m_result;
    char *m_out;
};

// Where the fast loop goes on after a stretch, and where its bytes go.
struct Resumption
{
    qsizetype index;
    char *out;
};

// Encodes the letters around a character without a byte at index. The character before, written
// already, may be the base letter of its letter. Kept out of line, so that the loop over
// ordinary text keeps its values in registers.
Q_NEVER_INLINE Resumption encodeLettersAround(QStringView text, qsizetype index, char *out,
                                              Windows1250::Encoding &result)
{
    const qsizetype start = index > 0 ? index - 1 : 0;
    StretchEncoder stretch(text, result, out - (index - start));
    const qsizetype end = stretch.encode(start, stretchEnd(text, index));
    return {end, stretch.out()};
}

} // namespace

namespace Windows1250 {

const std::array<char16_t, 256> &decodingTable()
{
    return DecodingTable;
}

void decodeAppending(QByteArrayView bytes, QString &text)
{
    const qsizetype start = text.size();
    text.resize(start + bytes.size());
    char16_t *out = reinterpret_cast<char16_t *>(text.data()) + start;
    for (const char byte : bytes)
        *out++ = DecodingTable[uchar(byte)];
}

Encoding encode(QStringView text)
{
    const auto &table = encodingTable();
    Encoding result;
    result.bytes.resize(text.size());
    // A save of many megabytes writes them all into fresh memory.
    HugePages::prefer(result.bytes.data(), result.bytes.size());
    char *const begin = result.bytes.data();
    char *out = begin;
    const char16_t *chars = text.utf16();
    const qsizetype length = text.size();
    qsizetype index = 0;
    while (index < length) {
        const quint16 byte = table[chars[index]];
        if (byte != NoByte) {
            *out++ = char(byte);
            ++index;
            continue;
        }
        const Resumption resumption = encodeLettersAround(text, index, out, result);
        index = resumption.index;
        out = resumption.out;
    }
    if (result.isComplete())
        result.bytes.truncate(out - begin);
    else
        result.bytes.clear();
    return result;
}

} // namespace Windows1250
