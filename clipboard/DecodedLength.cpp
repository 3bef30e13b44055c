// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/DecodedLength.h"

#include <cstring>

namespace {

constexpr unsigned char LowestContinuation = 0x80;
constexpr unsigned char HighestContinuation = 0xbf;

// The lead bytes of well-formed UTF-8, with the range of the byte after them; the bytes after
// that are any continuation byte. Leads that can only start an overlong form, a surrogate or a
// code point beyond U+10FFFF are not here.
struct Lead
{
    unsigned char lowest;
    unsigned char highest;
    int length;
    unsigned char secondLowest;
    unsigned char secondHighest;
    // The bits of the lead that belong to the code point.
    unsigned char payload;
};

constexpr Lead Leads[] = {
    {0xc2, 0xdf, 2, LowestContinuation, HighestContinuation, 0x1f},
    {0xe0, 0xe0, 3, 0xa0, HighestContinuation, 0x0f},
    {0xe1, 0xec, 3, LowestContinuation, HighestContinuation, 0x0f},
    {0xed, 0xed, 3, LowestContinuation, 0x9f, 0x0f},
    {0xee, 0xef, 3, LowestContinuation, HighestContinuation, 0x0f},
    {0xf0, 0xf0, 4, 0x90, HighestContinuation, 0x07},
    {0xf1, 0xf3, 4, LowestContinuation, HighestContinuation, 0x07},
    {0xf4, 0xf4, 4, LowestContinuation, 0x8f, 0x07},
};

constexpr char32_t ByteOrderMark = 0xfeff;
constexpr char32_t LargestSingleUnit = 0xffff;

// Where the run of ASCII bytes from `from` ends, looked at eight bytes at a time: texts are mostly
// ASCII, and one byte at a time through the checks below is several times slower.
const char *asciiRunEnd(const char *from, const char *end)
{
    constexpr quint64 HighBits = 0x8080808080808080;
    while (end - from >= qsizetype(sizeof(quint64))) {
        quint64 word;
        std::memcpy(&word, from, sizeof word);
        if (word & HighBits)
            break;
        from += sizeof word;
    }
    while (from < end && static_cast<unsigned char>(*from) < LowestContinuation)
        ++from;
    return from;
}

} // namespace

DecodedLength::DecodedLength(QStringConverter::Encoding encoding)
    : m_utf8(encoding == QStringConverter::Utf8)
{}

void DecodedLength::add(QByteArrayView bytes)
{
    if (!m_utf8) {
        m_settled += bytes.size();
        return;
    }
    const char *const end = bytes.data() + bytes.size();
    for (const char *position = bytes.data(); position < end; ++position) {
        if (m_bytesNeeded == 0) {
            const char *const asciiEnd = asciiRunEnd(position, end);
            if (asciiEnd != position) {
                m_settled += asciiEnd - position;
                m_atStart = false;
                position = asciiEnd - 1;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(*position);
        if (m_bytesNeeded == 0) {
            start(byte);
        } else if (byte >= m_nextLowest && byte <= m_nextHighest) {
            ++m_pendingBytes;
            m_codePoint = (m_codePoint << 6) | (byte & 0x3f);
            m_nextLowest = LowestContinuation;
            m_nextHighest = HighestContinuation;
            if (--m_bytesNeeded == 0) {
                const bool byteOrderMark = m_atStart && m_codePoint == ByteOrderMark;
                settle(byteOrderMark ? 0 : m_codePoint > LargestSingleUnit ? 2 : 1);
            }
        } else {
            // A sequence broken off: each of its bytes is a replacement character, and this byte
            // starts afresh.
            settle(m_pendingBytes);
            m_bytesNeeded = 0;
            start(byte);
        }
    }
}

void DecodedLength::start(unsigned char byte)
{
    m_pendingBytes = 1;
    if (byte < LowestContinuation) {
        settle(1);
        return;
    }
    for (const Lead &lead : Leads) {
        if (byte >= lead.lowest && byte <= lead.highest) {
            m_bytesNeeded = lead.length - 1;
            m_codePoint = byte & lead.payload;
            m_nextLowest = lead.secondLowest;
            m_nextHighest = lead.secondHighest;
            return;
        }
    }
    // A byte no well-formed sequence starts with: a replacement character.
    settle(1);
}

void DecodedLength::settle(qsizetype characters)
{
    m_atStart = false;
    m_settled += characters;
    m_pendingBytes = 0;
}
