// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Windows-1250 notes of at least the given size: Polish prose-like lines of 20 to 60 bytes,
// CR LF ended, about 40 bytes a line on average. The same seed gives the same notes every run.
inline QByteArray makeNotes(qint64 size)
{
    static const QByteArray letters = QByteArrayLiteral(
        "aaaaabcdeeeefghiiiijklmnooooprrssttuwyzz \xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf");
    QRandomGenerator random(1250);
    QByteArray bytes;
    bytes.reserve(size + 64);
    while (bytes.size() < size) {
        const int length = 20 + int(random.bounded(41));
        for (int index = 0; index < length; ++index)
            bytes += letters.at(int(random.bounded(letters.size())));
        bytes += "\r\n";
    }
    return bytes;
}

// Empty lines: CR LF pairs filling the given size.
inline QByteArray makeEmptyLines(qsizetype size)
{
    return QByteArray("\r\n").repeated(size / 2);
}

// One line of that many Windows-1250 characters and no line end: 'x', with an 'ł' every thousand,
// so that the line is not all one glyph.
inline QByteArray makeLongLine(qsizetype size)
{
    QByteArray line(size, 'x');
    for (qsizetype at = 0; at < line.size(); at += 1000)
        line[at] = '\xb3';
    return line;
}
