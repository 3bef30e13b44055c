// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <utility>

#include <fcntl.h>
#include <unistd.h>

// A POSIX file descriptor, closed when it goes. The file work that needs what Qt's file classes
// do not offer (opening relative to a folder that is held open, not following links, knowing a
// file's identity) is done on descriptors, and this keeps each one released on every path.
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor)
    {}
    ~FileDescriptor() { reset(); }

    FileDescriptor(FileDescriptor &&other) noexcept
        : m_descriptor(other.release())
    {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_descriptor = other.release();
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    bool isOpen() const { return m_descriptor >= 0; }
    int get() const { return m_descriptor; }
    int release() { return std::exchange(m_descriptor, -1); }

    // Files that might turn out to be a FIFO or a device are opened without blocking
    // (O_NONBLOCK) until their kind is checked; a regular file then goes back to the ordinary
    // reads and writes.
    void makeBlocking() const
    {
        ::fcntl(m_descriptor, F_SETFL, ::fcntl(m_descriptor, F_GETFL) & ~O_NONBLOCK);
    }

private:
    void reset()
    {
        if (m_descriptor >= 0)
            ::close(std::exchange(m_descriptor, -1));
    }

    int m_descriptor = -1;
};
