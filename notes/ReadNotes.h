#pragma once

#include <QtGlobal>

class LineReader;
class TextArea;
class WorkingFolder;

namespace Notes {

// The largest notes.txt the text area is given. Measured with bench/notes on the offscreen
// platform: a 64 MiB file (1.6 million lines) already takes about 15 s and 1.5 GiB to show,
// 128 MiB takes 3 GiB; beyond this the window would seem hung and could run out of memory.
inline constexpr qint64 LargestNotesFile = qint64(64) << 20;

// Replaces the text with the lines of notes.txt in the folder, each followed by CR LF. When the
// file cannot be opened the text stays as it was; when reading fails part-way, the lines read
// before the failure are in the text area.
void ReadNotes(TextArea &Text1, const WorkingFolder &folder);

// The same from a reader that is already open.
void ReadNotes(TextArea &Text1, LineReader &notes);

} // namespace Notes
