// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Another program holding the X11 clipboard: xclip, serving the bytes as one target for as long
// as it lives. Stopped with SIGSTOP, it holds the clipboard and never answers.

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <QThread>

#include <csignal>

class ClipboardOwner
{
public:
    explicit ClipboardOwner(const QByteArray &bytes,
                            const QString &target = QStringLiteral("UTF8_STRING"))
    {
        if (!m_offer.open() || m_offer.write(bytes) != bytes.size() || !m_offer.flush())
            return;
        m_xclip.setStandardOutputFile(QProcess::nullDevice());
        m_xclip.setStandardErrorFile(QProcess::nullDevice());
        m_xclip.start(QStringLiteral("xclip"),
                      {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                       QStringLiteral("-i"), QStringLiteral("-quiet"), QStringLiteral("-t"), target,
                       m_offer.fileName()});
    }

    ~ClipboardOwner()
    {
        if (m_xclip.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_xclip.processId()), SIGCONT);
        m_xclip.kill();
        m_xclip.waitForFinished();
    }

    ClipboardOwner(const ClipboardOwner &) = delete;
    ClipboardOwner &operator=(const ClipboardOwner &) = delete;

    // Whether xclip holds the clipboard and answers, within a few seconds.
    bool holdsTheClipboard()
    {
        if (!m_xclip.waitForStarted())
            return false;
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QProcess targets;
            targets.start(QStringLiteral("xclip"),
                          {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                           QStringLiteral("-o"), QStringLiteral("-t"), QStringLiteral("TARGETS")});
            if (targets.waitForFinished() && targets.exitCode() == 0
                && !targets.readAllStandardOutput().isEmpty())
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    // From now on the clipboard has an owner that never answers.
    void stopAnswering() { ::kill(pid_t(m_xclip.processId()), SIGSTOP); }

private:
    QTemporaryFile m_offer;
    QProcess m_xclip;
};
