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

} // namespace

ScratchFile::ScratchFile(int folder, FileDescriptor file, QByteArray name)
    : m_folder(folder)
    , m_file(std::move(file))
    , m_name(std::move(name))
{}

ScratchFile ScratchFile::create(int folder, const QByteArray &prefix, mode_t mode)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const QByteArray name = prefix + randomSuffix();
        FileDescriptor file(::openat(folder, name.constData(),
                                     O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (file.isOpen())
            return ScratchFile(folder, std::move(file), name);
        if (errno != EEXIST)
            break;
    }
    return ScratchFile(folder, FileDescriptor(), {});
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
        if (!m_kept && m_file.isOpen())
            ::unlinkat(m_folder, m_name.constData(), 0);
        m_folder = other.m_folder;
        m_file = std::move(other.m_file);
        m_name = std::move(other.m_name);
        m_kept = std::exchange(other.m_kept, true);
    }
    return *this;
}

ScratchFile::~ScratchFile()
{
    if (!m_kept && m_file.isOpen())
        ::unlinkat(m_folder, m_name.constData(), 0);
}

void ScratchFile::remove()
{
    m_kept = true;
    ::unlinkat(m_folder, m_name.constData(), 0);
}
