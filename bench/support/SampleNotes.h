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
