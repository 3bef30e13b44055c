// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ScratchFile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Attempts = 100;

QByteArray randomSuffix()
{
    static const char characters[]
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(6, Qt::Uninitialized);
    for (char &character : suffix)
        character = characters[QRandomGenerator::global()->bounded(int(sizeof characters) - 1)];
    return suffix;
}

// Tries fresh names until one is free; the name made, or an empty one with errno set.
template<typename Make>
QByteArray makeUnderFreshName(const QByteArray &prefix, const Make &make)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const QByteArray name = prefix + randomSuffix();
        if (make(name))
            return name;
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Links an open file without a name into a folder. Through /proc any user may; AT_EMPTY_PATH,
// where /proc is missing, needs the right to read any file (CAP_DAC_READ_SEARCH).
bool linkInto(int file, int folder, const QByteArray &name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file);
    if (::linkat(AT_FDCWD, self.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    return errno == ENOENT && ::linkat(file, "", folder, name.constData(), AT_EMPTY_PATH) == 0;
}

} // namespace

ScratchFile::ScratchFile(int folder, FileDescriptor file, QByteArray name)
    : m_folder(folder)
    , m_file(std::move(file))
    , m_name(std::move(name))
{}

ScratchFile ScratchFile::create(int folder, const QByteArray &prefix, mode_t mode)
{
    FileDescriptor file;
    const QByteArray name = makeUnderFreshName(prefix, [&](const QByteArray &candidate) {
        file = FileDescriptor(::openat(folder, candidate.constData(),
                                       O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        return file.isOpen();
    });
    return ScratchFile(folder, std::move(file), name);
}

ScratchFile ScratchFile::createUnnamed(int folder, mode_t mode)
{
    return ScratchFile(
        folder, FileDescriptor(::openat(folder, ".", O_RDWR | O_TMPFILE | O_CLOEXEC, mode)), {});
}

bool ScratchFile::giveName(const QByteArray &prefix)
{
    if (!m_name.isEmpty())
        return true;
    m_name = makeUnderFreshName(prefix, [this](const QByteArray &candidate) {
        return linkInto(m_file.get(), m_folder, candidate);
    });
    return !m_name.isEmpty();
}

ScratchFile::ScratchFile(ScratchFile &&other) noexcept
    : m_folder(other.m_folder)
    , m_file(std::move(other.m_file))
    , m_name(std::move(other.m_name))
    , m_kept(std::exchange(other.m_kept, true))
{}

ScratchFile &ScratchFile::operator=(ScratchFile &&other) noexcept
{
    if (this != &other) {
        removeUnlessKept();
        m_folder = other.m_folder;
        m_file = std::move(other.m_file);
        m_name = std::move(other.m_name);
        m_kept = std::exchange(other.m_kept, true);
    }
    return *this;
}

ScratchFile::~ScratchFile()
{
    removeUnlessKept();
}

void ScratchFile::removeUnlessKept()
{
    if (!m_kept && m_file.isOpen() && !m_name.isEmpty())
        ::unlinkat(m_folder, m_name.constData(), 0);
}

bool ScratchFile::remove()
{
    m_kept = true;
    return m_name.isEmpty() || ::unlinkat(m_folder, m_name.constData(), 0) == 0;
}
