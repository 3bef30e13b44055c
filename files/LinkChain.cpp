// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/LinkChain.h"

#include "files/LinkText.h"

#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// As many links as the kernel follows on one path (MAXSYMLINKS) before it gives ELOOP.
constexpr int MostLinks = 40;

// The names on a path; a path that ends in a slash asks for a folder, as one ending in "/." does.
QList<QByteArray> componentsOf(const QByteArray &path)
{
    QList<QByteArray> components;
    for (const QByteArray &component : path.split('/')) {
        if (!component.isEmpty())
            components.append(component);
    }
    if (path.endsWith('/') || components.isEmpty())
        components.append(".");
    return components;
}

} // namespace

LinkChain::LinkChain(int folder)
    : m_folder(folder)
{}

LinkChain LinkChain::follow(int folder, const QByteArray &name)
{
    LinkChain chain(folder);
    chain.walk(componentsOf(name));
    return chain;
}

void LinkChain::walk(QList<QByteArray> pending)
{
    int links = 0;
    while (!pending.isEmpty()) {
        const QByteArray component = pending.takeFirst();
        const bool last = pending.isEmpty();
        struct stat entry = {};
        if (::fstatat(m_folder, component.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || !last)
                return fail(errno);
            m_name = component;
            return;
        }
        if (S_ISLNK(entry.st_mode)) {
            if (++links > MostLinks)
                return fail(ELOOP);
            if (!mayFollow(component, entry))
                return;
            const QByteArray text = LinkText::read(m_folder, component);
            if (text.isEmpty())
                return fail(errno);
            if (links == 1)
                m_firstLinkText = text;
            if (text.startsWith('/'))
                enter(FileDescriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)));
            pending = componentsOf(text) + pending;
            continue;
        }
        if (last) {
            m_name = component;
            m_exists = true;
            m_status = entry;
            return;
        }
        if (!S_ISDIR(entry.st_mode))
            return fail(ENOTDIR);
        // Held only as a place: it is passed through, not read, and may be searchable only.
        enter(FileDescriptor(::openat(m_folder, component.constData(),
                                      O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
        if (m_folder < 0)
            return fail(errno);
    }
}

void LinkChain::enter(FileDescriptor folder)
{
    m_heldFolder = std::move(folder);
    m_folder = m_heldFolder.get();
}

bool LinkChain::mayFollow(const QByteArray &link, const struct stat &status)
{
    struct stat folder = {};
    if (::fstat(m_folder, &folder) != 0) {
        fail(errno);
        return false;
    }
    const bool sharedSticky = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (!sharedSticky || status.st_uid == folder.st_uid || status.st_uid == ::geteuid())
        return true;
    const QByteArray folderPath = LinkText::pathOf(m_folder);
    m_outcome = Outcome::Refused;
    m_refusedLinkPath = folderPath.isEmpty()       ? link
                        : folderPath.endsWith('/') ? folderPath + link
                                                   : folderPath + '/' + link;
    m_refusedLinkOwner = status.st_uid;
    return false;
}

void LinkChain::fail(int error)
{
    m_outcome = Outcome::Failed;
    m_error = error;
}
