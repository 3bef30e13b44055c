#include "notes/SaveNotes.h"

#include "notes/UnencodableText.h"
#include "platform/AtomicFileWriter.h"
#include "platform/BusyCursor.h"
#include "platform/TextArea.h"
#include "platform/Windows1250.h"

namespace Notes {

void SaveNotes(const TextArea &Text1, const WorkingFolder &folder)
{
    AtomicFileWriter notes3(folder, QStringLiteral("notes3.txt"));
    SaveNotes(Text1, notes3);
}

void SaveNotes(const TextArea &Text1, AtomicFileWriter &notes3)
{
    const BusyCursor busy;
    const QString text = Text1.Text();
    const Windows1250::Encoding encoding = Windows1250::encode(text);
    refuseUnencodable(text, encoding, notes3.absoluteFilePath());
    notes3.write(encoding.bytes);
}

} // namespace Notes
