// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileDescriptor.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// The user's own folder for what the program keeps between its runs: $XDG_STATE_HOME/notatki,
// by default ~/.local/state/notatki. The copy of a file's old text goes there when it cannot go
// beside the file.
//
// It is made and opened one folder at a time (mkdirat, then openat with O_NOFOLLOW), never
// through a link, and used only when each folder below the home folder (or, for a state home
// elsewhere, that folder and the ones below it) belongs to the user and nobody else may write
// to it. Root running with another user's HOME (sudo -E, su -m) would otherwise make folders and
// write copies wherever that user's links lead.
class StateFolder
{
    Q_DECLARE_TR_FUNCTIONS(StateFolder)

public:
    // Makes what is missing, private to the user.
    static StateFolder open();

    // No folder.
    StateFolder() = default;

    bool isOpen() const { return m_folder.isOpen(); }
    int descriptor() const { return m_folder.get(); }
    // Its full path, as the system spells it.
    QByteArray path() const { return m_path; }

    // Why there is none: an errno value and the reason, in Polish, naming the folder at fault.
    int error() const { return m_error; }
    QString reason() const { return m_reason; }

private:
    explicit StateFolder(QByteArray path);
    bool enter(FileDescriptor folder, const QByteArray &path, int error);
    bool isUsersOwn(const QByteArray &path);
    void refuse(int error, const QString &reason);

    QByteArray m_path;
    FileDescriptor m_folder;
    int m_error = 0;
    QString m_reason;
};
