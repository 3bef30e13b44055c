// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What makes a file the one it is besides its bytes, read straight from the system, so that a
// test can tell that a save kept it: the inode and its names, owner, group, mode, and every
// extended attribute (an ACL is system.posix_acl_access) with its exact value.

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/stat.h>
#include <sys/xattr.h>

struct FileIdentity
{
    bool exists = false;
    ino_t inode = 0;
    nlink_t links = 0;
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    QMap<QByteArray, QByteArray> attributes;

    // The same file with the same attributes; the inode only when asked.
    bool sameAttributes(const FileIdentity &other) const
    {
        return exists == other.exists && links == other.links && owner == other.owner
               && group == other.group && mode == other.mode && attributes == other.attributes;
    }

    QString describe() const
    {
        QStringList names;
        for (auto it = attributes.begin(); it != attributes.end(); ++it)
            names += QString::fromLatin1(it.key() + '=' + it.value().toHex());
        return QStringLiteral("inode %1, %2 links, %3:%4, mode %5, attributes {%6}")
            .arg(inode)
            .arg(links)
            .arg(owner)
            .arg(group)
            .arg(mode, 0, 8)
            .arg(names.join(QStringLiteral(", ")));
    }
};

// Of the file a path leads to, following links.
inline FileIdentity identityOf(const QString &path)
{
    FileIdentity identity;
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0)
        return identity;
    identity.exists = true;
    identity.inode = status.st_ino;
    identity.links = status.st_nlink;
    identity.owner = status.st_uid;
    identity.group = status.st_gid;
    identity.mode = status.st_mode & 07777;
    QByteArray list(65536, '\0');
    const ssize_t size = ::listxattr(name.constData(), list.data(), size_t(list.size()));
    for (const QByteArray &attribute : list.left(size > 0 ? size : 0).split('\0')) {
        if (attribute.isEmpty())
            continue;
        QByteArray value(65536, '\0');
        const ssize_t length = ::getxattr(name.constData(), attribute.constData(), value.data(),
                                          size_t(value.size()));
        identity.attributes.insert(attribute, value.left(length > 0 ? length : 0));
    }
    return identity;
}

// Runs a tool such as setfacl or setfattr; false when it is missing or fails.
inline bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}
