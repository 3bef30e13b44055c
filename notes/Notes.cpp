// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/Notes.h"

#include "common/BusyCursor.h"
#include "common/RuntimeFailure.h"
#include "files/AtomicFileWriter.h"
#include "notes/LineReader.h"
#include "notes/UnencodableText.h"
#include "notes/Windows1250.h"

namespace {

QString textKept()
{
    return Notes::tr("Tekst w oknie pozostał bez zmian.");
}

LineReader openNotes(const WorkingFolder &folder)
{
    try {
        return LineReader::open(folder, QStringLiteral("notes.txt"), Notes::LargestNotesFile);
    } catch (const RuntimeFailure &failure) {
        throw RuntimeFailure(failure.number(), failure.description() + u' ' + textKept());
    }
}

} // namespace

void Notes::ReadNotes(TextArea &Text1, const WorkingFolder &folder)
{
    LineReader notes = openNotes(folder);
    ReadNotes(Text1, notes);
}

// The text is built once and written to the area once: writing it back after every line would
// take time in the square of the file's size.
void Notes::ReadNotes(TextArea &Text1, LineReader &notes)
{
    const BusyCursor busy;
    QString text;
    const qsizetype linesBefore = notes.linesRead();
    try {
        notes.appendLinesWithCrLf(text);
    } catch (const LineReader::TooLarge &failure) {
        // Lines of a file that keeps growing would be a cut-off copy of it, not the notes.
        throw RuntimeFailure(failure.number(), failure.description() + u' ' + textKept());
    } catch (const RuntimeFailure &failure) {
        Text1.SetText(text);
        throw RuntimeFailure(failure.number(),
                             failure.description() + u' '
                                 + tr("W oknie są wiersze wczytane przed błędem: %1.")
                                       .arg(notes.linesRead() - linesBefore));
    }
    Text1.SetText(text);
}

void Notes::SaveNotes(const TextArea &Text1, const WorkingFolder &folder)
{
    AtomicFileWriter notes3(folder, QStringLiteral("notes3.txt"));
    SaveNotes(Text1, notes3);
}

void Notes::SaveNotes(const TextArea &Text1, AtomicFileWriter &notes3)
{
    const BusyCursor busy;
    const QString text = Text1.Text();
    const Windows1250::Encoding encoding = Windows1250::encode(text);
    UnencodableText::refuse(text, encoding, notes3.absoluteFilePath());
    notes3.write(encoding.bytes);
}
