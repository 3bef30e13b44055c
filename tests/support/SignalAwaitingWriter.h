// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A save that stops in the middle of writing the file until a termination signal has been
// handled, so that a test's signal lands inside the writing every time, however busy the machine.
// Once the bytes before the given offset are written it prints "holding", waits for SIGTERM,
// SIGINT or SIGHUP to be handled, and writes on.

#include "files/AtomicFileWriter.h"

#include <csignal>
#include <cstdio>
#include <signal.h>

class SignalAwaitingWriter : public AtomicFileWriter
{
public:
    SignalAwaitingWriter(const WorkingFolder &folder, const QString &fileName, qint64 holdOffset)
        : AtomicFileWriter(folder, fileName)
        , m_holdOffset(holdOffset)
    {}

protected:
    // The bytes before the offset go first, as a short write (which pwrite may also make), so
    // that the file is part-written while the signal comes.
    qint64 writeBytes(int descriptor, QByteArrayView bytes, qint64 offset) override
    {
        if (!m_held && offset >= m_holdOffset) {
            m_held = true;
            awaitSignal();
        } else if (!m_held && offset + bytes.size() > m_holdOffset) {
            bytes = bytes.first(m_holdOffset - offset);
        }
        return AtomicFileWriter::writeBytes(descriptor, bytes, offset);
    }

private:
    // The signals stay blocked in this thread until sigsuspend(), which unblocks them and returns
    // only once a handler has run here. A signal sent to the process goes to its main thread
    // first when that thread does not block it, so no other thread can take it meanwhile.
    static void awaitSignal()
    {
        sigset_t termination;
        sigemptyset(&termination);
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
            sigaddset(&termination, signalNumber);
        sigset_t previous;
        pthread_sigmask(SIG_BLOCK, &termination, &previous);
        std::printf("holding\n");
        std::fflush(stdout);
        sigset_t waiting = previous;
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
            sigdelset(&waiting, signalNumber);
        sigsuspend(&waiting);
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }

    const qint64 m_holdOffset;
    bool m_held = false;
};
