// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/Windows1250.h"

#include "common/HugePages.h"

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
    char *out = result.bytes.data();
    const char16_t *chars = text.utf16();
    const qsizetype length = text.size();
    for (qsizetype index = 0; index < length; ++index) {
        const quint16 byte = table[chars[index]];
        if (byte != NoByte) {
            *out++ = char(byte);
            continue;
        }
        if (result.firstUnencodable < 0)
            result.firstUnencodable = index;
        ++result.unencodableCount;
        // A surrogate pair is one character.
        if (QChar::isHighSurrogate(chars[index]) && index + 1 < length
            && QChar::isLowSurrogate(chars[index + 1]))
            ++index;
    }
    if (!result.isComplete())
        result.bytes.clear();
    return result;
}

} // namespace Windows1250
