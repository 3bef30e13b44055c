#pragma once

class AtomicFileWriter;
class TextArea;
class WorkingFolder;

namespace Notes {

// Writes the whole text to notes3.txt in the folder, one Windows-1250 byte per character and
// nothing added. The earlier notes3.txt holds either its old text or the new one, never a mix,
// and stays the file it was (see AtomicFileWriter); a text with characters Windows-1250 cannot
// hold is refused before anything is written.
void SaveNotes(const TextArea &Text1, const WorkingFolder &folder);

// The same through a given writer.
void SaveNotes(const TextArea &Text1, AtomicFileWriter &notes3);

} // namespace Notes
