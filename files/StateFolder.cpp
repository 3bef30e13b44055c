// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/StateFolder.h"

#include "common/SystemError.h"
#include "files/PathText.h"
#include "files/UserName.h"

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray homeFolder()
{
    const QByteArray home = qgetenv("HOME");
    if (home.startsWith('/'))
        return home;
    const struct passwd *user = ::getpwuid(::geteuid());
    return user != nullptr ? QByteArray(user->pw_dir) : QByteArray();
}

// Qt names the state folder only from 6.7 on (QStandardPaths::GenericStateLocation), and gives
// it as a QString, which cannot hold a path that is not UTF-8: it is worked out here, in bytes.
QByteArray stateHome(const QByteArray &home)
{
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    return state.startsWith('/') ? state : home + "/.local/state";
}

bool isLink(int folder, const QByteArray &name)
{
    struct stat status = {};
    return ::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
           && S_ISLNK(status.st_mode);
}

} // namespace

StateFolder::StateFolder(QByteArray path)
    : m_path(std::move(path))
{}

StateFolder StateFolder::open()
{
    const QByteArray home = homeFolder();
    const QByteArray state = stateHome(home);
    StateFolder folder(state + "/notatki");
    if (!state.startsWith('/')) {
        folder.refuse(ENOENT, tr("nie wiadomo, gdzie jest folder domowy użytkownika"));
        return folder;
    }
    // The walk starts at the home folder, which is taken as it is, links and all; a state home
    // elsewhere is the user's choice, and is itself checked.
    const bool underHome = home.startsWith('/') && state.startsWith(home + '/');
    QByteArray walked = underHome ? home : state;
    const QByteArray below = folder.m_path.mid(walked.size());
    FileDescriptor start(::open(walked.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int error = errno;
    if (!folder.enter(std::move(start), walked, error)
        || (!underHome && !folder.isUsersOwn(walked)))
        return folder;
    for (const QByteArray &component : below.split('/')) {
        if (component.isEmpty())
            continue;
        walked += '/' + component;
        const int madeError
            = ::mkdirat(folder.descriptor(), component.constData(), 0700) == 0 ? 0 : errno;
        if (isLink(folder.descriptor(), component)) {
            folder.refuse(EACCES, tr("„%1” jest dowiązaniem symbolicznym, a nie folderem")
                                      .arg(PathText::display(walked)));
            return folder;
        }
        FileDescriptor next(::openat(folder.descriptor(), component.constData(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        // A folder that could not be made is not there, and why it could not be made says more.
        const int openError = errno == ENOENT && madeError != 0 ? madeError : errno;
        if (!folder.enter(std::move(next), walked, openError) || !folder.isUsersOwn(walked))
            return folder;
    }
    return folder;
}

bool StateFolder::enter(FileDescriptor folder, const QByteArray &path, int error)
{
    m_folder = std::move(folder);
    if (!m_folder.isOpen()) {
        refuse(
            error,
            QStringLiteral("„%1”: %2").arg(PathText::display(path), SystemError::describe(error)));
    }
    return m_folder.isOpen();
}

bool StateFolder::isUsersOwn(const QByteArray &path)
{
    struct stat status = {};
    if (::fstat(m_folder.get(), &status) != 0) {
        const int error = errno;
        refuse(
            error,
            QStringLiteral("„%1”: %2").arg(PathText::display(path), SystemError::describe(error)));
        return false;
    }
    if (status.st_uid != ::geteuid()) {
        refuse(EACCES, tr("folder „%1” należy do innego użytkownika, %2")
                           .arg(PathText::display(path), UserName::describe(status.st_uid)));
        return false;
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        refuse(
            EACCES,
            tr("do folderu „%1” mogą pisać także inni użytkownicy").arg(PathText::display(path)));
        return false;
    }
    return true;
}

void StateFolder::refuse(int error, const QString &reason)
{
    m_folder = FileDescriptor();
    m_error = error;
    m_reason = reason;
}
