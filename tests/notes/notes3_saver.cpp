// SPDX-License-Identifier: GPL-3.0-or-later
// Saves the Windows-1250 text of the file given as its argument to notes3.txt in the current
// folder, through the program's own save, with the program's own handling of SIGTERM, SIGINT and
// SIGHUP. The kill and signal tests run it and stop it part-way; the permission tests run it as
// another user.
//
// It prints "saving" just before the save starts and "saved" when it has ended, so that the test
// can time its signal from the start of the save. With --wait-after it then waits for its
// standard input to close, so that a signal can be sent between saves. With --hold-at OFFSET it
// prints "holding" before writing the byte at OFFSET of notes3.txt's new text, and writes on
// only once a signal has been handled (SignalAwaitingWriter).

#include "common/RuntimeFailure.h"
#include "files/TerminationSignals.h"
#include "files/WorkingFolder.h"
#include "notes/Notes.h"
#include "tests/support/PlainTextArea.h"
#include "tests/support/SignalAwaitingWriter.h"
#include "tests/support/Windows1250Text.h"

#include <QFile>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    const bool waitAfter = argc == 3 && std::strcmp(argv[2], "--wait-after") == 0;
    const bool hold = argc == 4 && std::strcmp(argv[2], "--hold-at") == 0;
    if (argc != 2 && !waitAfter && !hold) {
        std::fprintf(stderr, "usage: notes3_saver FILE [--wait-after | --hold-at OFFSET]\n");
        return 2;
    }
    TerminationSignals::install();
    const WorkingFolder folder = WorkingFolder::current();
    QFile source(QFile::decodeName(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    PlainTextArea Text1(windows1250Text(source.readAll()));
    std::printf("saving\n");
    std::fflush(stdout);
    try {
        if (hold) {
            SignalAwaitingWriter notes3(folder, QStringLiteral("notes3.txt"),
                                        QByteArray(argv[3]).toLongLong());
            Notes::SaveNotes(Text1, notes3);
        } else {
            Notes::SaveNotes(Text1, folder);
        }
    } catch (const RuntimeFailure &failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    std::printf("saved\n");
    std::fflush(stdout);
    if (waitAfter) {
        while (std::fgetc(stdin) != EOF) {
        }
    }
    return 0;
}
