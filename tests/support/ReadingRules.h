// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a read of notes.txt followed by a save gives, worked out on the raw bytes, apart from the
// reader: shared by the suites and the fuzzer that check the reader against it.

#include <QByteArray>
#include <QByteArrayView>

// The file's lines, each followed by CR LF. A line ends at each CR LF and at each CR not followed
// by LF; an LF not after a CR is an ordinary character. A line end at the very end starts no
// further line, and an empty file has no lines.
inline QByteArray withCrLfLineEnds(QByteArrayView file)
{
    QByteArray lines;
    lines.reserve(file.size() + 2);
    bool lineOpen = false;
    for (qsizetype at = 0; at < file.size(); ++at) {
        if (file[at] == '\r') {
            lines += "\r\n";
            if (at + 1 < file.size() && file[at + 1] == '\n')
                ++at;
            lineOpen = false;
        } else {
            lines += file[at];
            lineOpen = true;
        }
    }
    if (lineOpen)
        lines += "\r\n";
    return lines;
}
