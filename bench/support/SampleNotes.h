// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/support/Windows1250Text.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

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

// What one line in ten of mixed notes adds to a Polish line: a family emoji (joined by U+200D),
// a flag, Arabic, and Polish written as base letters with combining marks, as text copied from
// a PDF often is.
inline QString mixedScripts()
{
    return QString::fromUtf8(" \xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91"
                             "\xa7 \xf0\x9f\x87\xb5\xf0\x9f\x87\xb1 "
                             "\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 "
                             "\xd8\xa8\xd8\xa7\xd9\x84\xd8\xb9\xd8\xa7\xd9\x84\xd9\x85 "
                             "z\xcc\x87o\xcc\x81\xc5\x82w "
                             "ga\xcc\xa8s\xcc\x81");
}

// UTF-8 notes of at least the given size, as another program offers them: makeNotes' Polish
// lines, LF ended, one in ten with mixedScripts() added.
inline QByteArray makeMixedNotes(qint64 size)
{
    const QStringList lines = windows1250Text(makeNotes(size)).split(u"\r\n"_qs);
    const QByteArray mixed = mixedScripts().toUtf8();
    QByteArray bytes;
    bytes.reserve(size + size / 4);
    for (qsizetype index = 0; index < lines.size() && bytes.size() < size; ++index) {
        bytes += lines.at(index).toUtf8();
        if (index % 10 == 5)
            bytes += mixed;
        bytes += '\n';
    }
    return bytes;
}

// One line of that many UTF-16 characters of Polish words and mixedScripts(), in UTF-8.
inline QByteArray makeMixedLine(qsizetype characters)
{
    const QString piece = QString::fromUtf8("Notatka na dzi\xc5\x9b:") + mixedScripts();
    QString line;
    line.reserve(characters + piece.size());
    while (line.size() < characters)
        line += piece;
    line.truncate(characters);
    // Not cut inside a pair.
    if (line.back().isHighSurrogate())
        line.back() = u'x';
    return line.toUtf8();
}
