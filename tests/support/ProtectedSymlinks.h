// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The kernel's own protected-symlink rule (fs.protected_symlinks) switched off for one test and
// put back afterwards, so that what refuses a planted link is the program's check, not the
// kernel's. Only root may switch it; why it could not be is kept for the test's skip message.

#include <QByteArray>
#include <QFile>
#include <QString>

class ProtectedSymlinksOff
{
public:
    ProtectedSymlinksOff()
    {
        m_earlier = read();
        if (m_earlier.isEmpty()) {
            m_failure = QStringLiteral("/proc/sys/fs/protected_symlinks cannot be read");
            return;
        }
        m_off = m_earlier == "0" || write("0");
        if (!m_off)
            m_failure = QStringLiteral("fs.protected_symlinks cannot be set to 0 here "
                                       "(it needs root and a writable /proc/sys)");
    }
    ~ProtectedSymlinksOff()
    {
        if (m_off && m_earlier != "0")
            write(m_earlier);
    }
    ProtectedSymlinksOff(const ProtectedSymlinksOff &) = delete;
    ProtectedSymlinksOff &operator=(const ProtectedSymlinksOff &) = delete;

    bool isOff() const { return m_off; }
    QString failure() const { return m_failure; }

private:
    static QByteArray read()
    {
        QFile setting(QStringLiteral("/proc/sys/fs/protected_symlinks"));
        return setting.open(QIODevice::ReadOnly) ? setting.readAll().trimmed() : QByteArray();
    }
    static bool write(const QByteArray &value)
    {
        QFile setting(QStringLiteral("/proc/sys/fs/protected_symlinks"));
        if (!setting.open(QIODevice::WriteOnly) || setting.write(value + '\n') <= 0)
            return false;
        setting.close();
        return read() == value;
    }

    QByteArray m_earlier;
    bool m_off = false;
    QString m_failure;
};
