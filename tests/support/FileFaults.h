// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files that misbehave, shared by the suites that read and write notes.

#include "tests/support/Watchdog.h"

#include <QByteArray>
#include <QDir>
#include <QIODevice>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// A file's bytes as a sequential device, at most a given number of them per read, as a pipe or a
// slow disk may give them. After the last byte it ends, or, when it is to fail, fails the next
// read the way a failing disk does. It notes whether it was closed.
class ChunkedDevice : public QIODevice
{
public:
    enum class Last { End, Failure };

    ChunkedDevice(QByteArray bytes, Last last,
                  qint64 chunkSize = std::numeric_limits<qint64>::max())
        : m_bytes(std::move(bytes))
        , m_last(last)
        , m_chunkSize(chunkSize)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    bool wasClosed() const { return m_closed; }

    void close() override
    {
        m_closed = true;
        QIODevice::close();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_position == m_bytes.size() && m_last == Last::Failure) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 count = qMin(qMin(maxSize, m_chunkSize), qint64(m_bytes.size()) - m_position);
        memcpy(data, m_bytes.constData() + m_position, size_t(count));
        m_position += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    Last m_last;
    qint64 m_chunkSize;
    qint64 m_position = 0;
    bool m_closed = false;
};

// Gives its bytes, then fails the next read the way a failing disk does.
class FailingDevice : public ChunkedDevice
{
public:
    explicit FailingDevice(const QByteArray &bytesBeforeFailure)
        : ChunkedDevice(bytesBeforeFailure, Last::Failure)
    {}
};

// A file that another program keeps writing to faster than it is read: every read gives lines,
// and the end never comes. It counts what was handed out.
class EndlessDevice : public QIODevice
{
public:
    EndlessDevice() { open(QIODevice::ReadOnly); }

    bool isSequential() const override { return true; }
    qint64 bytesHandedOut() const { return m_handedOut; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        static constexpr char line[] = "linia\r\n";
        for (qint64 index = 0; index < maxSize; ++index)
            data[index] = line[(m_handedOut + index) % (sizeof line - 1)];
        m_handedOut += maxSize;
        return maxSize;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 m_handedOut = 0;
};

// A FIFO with nobody writing to it. Should the code under test block on it, the guard opens the
// write end after a few seconds, which frees the reader, and records that it had to: the test
// then fails instead of hanging.
class UnattendedFifo
{
public:
    explicit UnattendedFifo(const QString &path)
        : m_path(QFile::encodeName(path))
        , m_created(::mkfifo(m_path.constData(), 0600) == 0)
        , m_guard(std::chrono::seconds(3), [this] { freeTheReader(); })
    {}

    bool created() const { return m_created; }
    bool hadToFreeTheReader() const { return m_freed; }

private:
    void freeTheReader()
    {
        m_freed = true;
        const int writer = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }

    QByteArray m_path;
    bool m_created;
    std::atomic<bool> m_freed = false;
    // Last, so that it is gone before what its action uses.
    Watchdog m_guard;
};

// The names in a folder, to see that nothing (such as a temporary file) was left behind.
inline QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                  | QDir::NoDotAndDotDot);
}

// A small tmpfs mounted over a folder, which only root can do; unmounted on every way out.
class TmpfsMount
{
public:
    TmpfsMount(const QString &folder, const char *options)
        : m_folder(QFile::encodeName(folder))
        , m_mounted(::geteuid() == 0
                    && ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options) == 0)
    {}
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount(m_folder.constData());
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted;
};
