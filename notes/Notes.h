// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/TextArea.h"

#include <QCoreApplication>
#include <QtGlobal>

class AtomicFileWriter;
class LineReader;
class WorkingFolder;

// The two note files: notes.txt, which Czytaj reads, and notes3.txt, which Zapisz writes.
class Notes
{
    Q_DECLARE_TR_FUNCTIONS(Notes)

public:
    // The largest notes.txt the text area is given: each byte of the file is one character.
    static constexpr qint64 LargestNotesFile = TextArea::LargestText;

    // Replaces the text with the lines of notes.txt in the folder, each followed by CR LF. When
    // the file cannot be opened, or turns out larger than the limit while it is read, the text
    // stays as it was; when reading fails part-way, the lines read before the failure are in the
    // text area.
    static void ReadNotes(TextArea &Text1, const WorkingFolder &folder);
    // The same from a reader that is already open.
    static void ReadNotes(TextArea &Text1, LineReader &notes);

    // Writes the whole text to notes3.txt in the folder, one Windows-1250 byte per character and
    // nothing added; a letter written as a base letter and combining marks is written composed,
    // while the text area keeps it as it is. The earlier notes3.txt holds either its old text or
    // the new one, never a mix, and stays the file it was (see AtomicFileWriter); a text with
    // letters Windows-1250 cannot hold is refused before anything is written.
    static void SaveNotes(const TextArea &Text1, const WorkingFolder &folder);
    // The same through a given writer.
    static void SaveNotes(const TextArea &Text1, AtomicFileWriter &notes3);
};
