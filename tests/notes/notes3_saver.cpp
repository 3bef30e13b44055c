// Saves the Windows-1250 text of the file given as its argument to notes3.txt in the current
// folder, through the program's own save. The kill test runs it and kills it part-way.
//
// It prints "saving" just before the save starts and "saved" when it has ended, so that the test
// can time its kill from the start of the save.

#include "notes/SaveNotes.h"
#include "platform/RuntimeFailure.h"
#include "platform/Windows1250.h"
#include "tests/support/PlainTextArea.h"

#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: notes3_saver FILE\n");
        return 2;
    }
    QFile source(QFile::decodeName(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    PlainTextArea Text1(Windows1250::decode(source.readAll()));
    std::printf("saving\n");
    std::fflush(stdout);
    try {
        Notes::SaveNotes(Text1);
    } catch (const RuntimeFailure &failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    std::printf("saved\n");
    std::fflush(stdout);
    return 0;
}
