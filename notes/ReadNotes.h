#pragma once

#include "platform/TextArea.h"

#include <QtGlobal>

class LineReader;
class WorkingFolder;

namespace Notes {

// The largest notes.txt the text area is given: each byte of the file is one character.
inline constexpr qint64 LargestNotesFile = TextArea::LargestText;

// Replaces the text with the lines of notes.txt in the folder, each followed by CR LF. When
// the file cannot be opened, or turns out larger than the limit while it is read, the text
// stays as it was; when reading fails part-way, the lines read before the failure are in the
// text area.
void ReadNotes(TextArea &Text1, const WorkingFolder &folder);

// The same from a reader that is already open.
void ReadNotes(TextArea &Text1, LineReader &notes);

} // namespace Notes
