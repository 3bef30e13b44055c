// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>

// The Windows-1250 (Central European) code page as a table of its 256 bytes.
//
// Qt's own converters for legacy code pages exist only when Qt was built with ICU or iconv, and
// their encoder writes 0x1A for a character it cannot hold; the table is always there, and it
// tells the caller about such characters instead.
//
// The five bytes the code page leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) decode to the
// control characters of the same number, so that every byte survives a read and a save.
namespace Windows1250 {

// The character each byte stands for, for loops that decode as they go.
const std::array<char16_t, 256> &decodingTable();

// Appends one character per byte to the text.
void decodeAppending(QByteArrayView bytes, QString &text);

struct Encoding
{
    QByteArray bytes;
    // Letters as the user sees them (grapheme clusters) that have no bytes, composed or not.
    qsizetype unencodableCount = 0;
    // Where the first such letter starts in the text, -1 when there is none, and its length in
    // UTF-16 units: a base letter with its marks, a surrogate pair, an emoji sequence.
    qsizetype firstUnencodable = -1;
    qsizetype firstUnencodableLength = 0;

    bool isComplete() const { return unencodableCount == 0; }
};

// One byte per character. A letter written as a base letter and combining marks (as PDFs, macOS
// file names and some web pages give Polish) is written composed, when its composed form (NFC)
// has bytes; the text itself is left as it is. Bytes are given only when every letter has them.
Encoding encode(QStringView text);

} // namespace Windows1250
