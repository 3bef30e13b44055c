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
    // Characters the code page has no byte for; a surrogate pair counts as one character.
    qsizetype unencodableCount = 0;
    // Index of the first such character in the text, -1 when there is none.
    qsizetype firstUnencodable = -1;

    bool isComplete() const { return unencodableCount == 0; }
};

// One byte per character. Bytes are given only when every character has one.
Encoding encode(QStringView text);

} // namespace Windows1250
