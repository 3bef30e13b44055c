// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QStringConverter>

// How many characters (UTF-16 units, as QString counts them) a UTF-8 or Latin-1 text decodes to,
// counted as its bytes arrive in pieces, without decoding them. A large text can then be refused
// holding only its bytes, never the characters that would be twice their size.
//
// UTF-8 is counted as QString::fromUtf8() decodes it: a well-formed sequence gives one unit (two
// for characters beyond U+FFFF), every byte of a malformed one gives a replacement character,
// and a byte order mark at the very start gives nothing.
class DecodedLength
{
public:
    explicit DecodedLength(QStringConverter::Encoding encoding);

    void add(QByteArrayView bytes);

    // The characters of the complete sequences so far: the text has at least this many.
    qsizetype settled() const { return m_settled; }
    // The characters of the text if it ended here: a sequence cut short counts byte by byte.
    qsizetype total() const { return m_settled + m_pendingBytes; }

private:
    void start(unsigned char byte);
    void settle(qsizetype characters);

    const bool m_utf8;
    bool m_atStart = true;
    qsizetype m_settled = 0;
    // The sequence under way: its bytes so far, how many more it needs, its code point so far,
    // and the range the next byte must fall in to keep it well formed.
    int m_pendingBytes = 0;
    int m_bytesNeeded = 0;
    char32_t m_codePoint = 0;
    unsigned char m_nextLowest = 0x80;
    unsigned char m_nextHighest = 0xbf;
};
