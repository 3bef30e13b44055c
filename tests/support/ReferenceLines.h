// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The simplest code that finds the lines of a text, and a check of what a line finder says
// against it: the text area's buffer and its line index are both held to it.

#include <QList>
#include <QString>
#include <QTest>

#include <algorithm>

using Positions = QList<qsizetype>;

struct ReferenceLines
{
    Positions starts;
    Positions ends;
};

// One character at a time, looking one ahead for the LF of a CR LF.
inline ReferenceLines referenceLines(const QString &text)
{
    ReferenceLines lines;
    lines.starts.append(0);
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text.at(index);
        if (character != u'\r' && character != u'\n')
            continue;
        lines.ends.append(index);
        if (character == u'\r' && index + 1 < text.size() && text.at(index + 1) == u'\n')
            ++index;
        lines.starts.append(index + 1);
    }
    lines.ends.append(text.size());
    return lines;
}

// The first of the longest lines.
inline qsizetype referenceLongestLine(const ReferenceLines &lines)
{
    qsizetype longest = 0;
    for (qsizetype line = 1; line < lines.starts.size(); ++line) {
        if (lines.ends.at(line) - lines.starts.at(line)
            > lines.ends.at(longest) - lines.starts.at(longest))
            longest = line;
    }
    return longest;
}

// What lines (with lineCount, lineStart, lineEnd, lineAt, longestLineLength and longestLine) says
// of text against the reference; the first difference fails. Every line and position of a short
// text; of a long one a spread of lines, and the positions next to line ends and a spread of
// others, since each look-up scans up to a block.
template<typename Lines>
void compareLinesWithReference(const Lines &lines, const QString &text)
{
    const ReferenceLines reference = referenceLines(text);
    QCOMPARE(lines.lineCount(), reference.starts.size());
    const bool everyPosition = text.size() <= 400;
    for (qsizetype line = 0; line < reference.starts.size(); ++line) {
        if (!everyPosition && line % 5 != 0 && line + 1 != reference.starts.size())
            continue;
        QCOMPARE(lines.lineStart(line), reference.starts.at(line));
        QCOMPARE(lines.lineEnd(line), reference.ends.at(line));
    }
    qsizetype line = 0;
    for (qsizetype position = 0; position <= text.size(); ++position) {
        while (line + 1 < reference.starts.size() && reference.starts.at(line + 1) <= position)
            ++line;
        const bool nearLineEnd
            = position - reference.starts.at(line) < 2 || reference.ends.at(line) - position < 2;
        if (everyPosition || nearLineEnd || position % 97 == 0)
            QCOMPARE(lines.lineAt(position), line);
    }
    const qsizetype longest = referenceLongestLine(reference);
    QCOMPARE(lines.longestLineLength(), reference.ends.at(longest) - reference.starts.at(longest));
    QCOMPARE(lines.longestLine(), longest);
}
