#include "notes/ReadNotes.h"

#include "platform/BusyCursor.h"
#include "platform/LineReader.h"
#include "platform/RuntimeFailure.h"
#include "platform/TextArea.h"

#include <QCoreApplication>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

QString tr(const char *text)
{
    return QCoreApplication::translate("Notes", text);
}

QString textKept()
{
    return tr("Tekst w oknie pozostał bez zmian.");
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

namespace Notes {

void ReadNotes(TextArea &Text1, const WorkingFolder &folder)
{
    LineReader notes = openNotes(folder);
    ReadNotes(Text1, notes);
}

// The text is built once and written to the area once: writing it back after every line would
// take time in the square of the file's size.
void ReadNotes(TextArea &Text1, LineReader &notes)
{
    const BusyCursor busy;
    QString text;
    qsizetype lineCount = 0;
    try {
        while (!notes.atEnd()) {
            text += notes.readLine();
            text += LineEnd;
            ++lineCount;
        }
    } catch (const LineReader::TooLarge &failure) {
        // Lines of a file that keeps growing would be a cut-off copy of it, not the notes.
        throw RuntimeFailure(failure.number(), failure.description() + u' ' + textKept());
    } catch (const RuntimeFailure &failure) {
        Text1.SetText(text);
        throw RuntimeFailure(
            failure.number(),
            failure.description() + u' '
                + tr("W oknie są wiersze wczytane przed błędem: %1.").arg(lineCount));
    }
    Text1.SetText(text);
}

} // namespace Notes
