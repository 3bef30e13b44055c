// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An inode flag set with chattr (package e2fsprogs) for one test and cleared again on every way
// out, so that the scratch folder can be removed. Not every file system has such flags: why it
// could not be set is kept for the test's skip message.

#include <QFile>
#include <QProcess>
#include <QString>

class ChattrFlag
{
public:
    // flag: a chattr letter, such as 'a' (append only) or 'd' (no dump).
    ChattrFlag(const QString &path, char flag)
        : m_path(path)
        , m_flag(QLatin1Char(flag))
    {
        m_set = run(u'+', m_failure);
    }
    ~ChattrFlag()
    {
        QString ignored;
        if (m_set)
            run(u'-', ignored);
    }
    ChattrFlag(const ChattrFlag &) = delete;
    ChattrFlag &operator=(const ChattrFlag &) = delete;

    bool isSet() const { return m_set; }
    QString failure() const { return m_failure; }

private:
    bool run(QChar sign, QString &failure)
    {
        QProcess chattr;
        chattr.start(QStringLiteral("chattr"), {sign + m_flag, m_path});
        if (!chattr.waitForFinished(10000)) {
            failure = QStringLiteral("chattr (package e2fsprogs) cannot be run: ")
                      + chattr.errorString();
            return false;
        }
        failure = QStringLiteral("chattr %1%2 is not supported here: %3")
                      .arg(sign)
                      .arg(m_flag)
                      .arg(QString::fromLocal8Bit(chattr.readAllStandardError()).trimmed());
        return chattr.exitStatus() == QProcess::NormalExit && chattr.exitCode() == 0;
    }

    QString m_path;
    QString m_flag;
    bool m_set = false;
    QString m_failure;
};
