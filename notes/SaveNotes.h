#pragma once

class AtomicFileWriter;
class TextArea;

namespace Notes {

// Writes the whole text to notes3.txt in the current folder, one Windows-1250 byte per character
// and nothing added. The earlier notes3.txt is replaced all at once or not at all: a text with
// characters Windows-1250 cannot hold is refused before anything is written.
void SaveNotes(const TextArea &Text1);

// The same through a given writer.
void SaveNotes(const TextArea &Text1, AtomicFileWriter &notes3);

} // namespace Notes
