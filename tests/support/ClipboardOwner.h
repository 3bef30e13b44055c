// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Another program holding the X11 clipboard, or the primary selection: xclip, serving the bytes as
// one target for as long as it lives, or until it has handed them over a given number of times.
// Stopped with SIGSTOP, it holds the selection and never answers.

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <QThread>

#include <csignal>

class ClipboardOwner
{
public:
    // pastes: how many transfers xclip serves before it ends by itself; 0 for no end.
    explicit ClipboardOwner(const QByteArray &bytes,
                            const QString &target = QStringLiteral("UTF8_STRING"),
                            const QString &selection = QStringLiteral("clipboard"), int pastes = 0)
        : m_selection(selection)
    {
        if (!m_offer.open() || m_offer.write(bytes) != bytes.size() || !m_offer.flush())
            return;
        m_xclip.setStandardOutputFile(QProcess::nullDevice());
        m_xclip.setStandardErrorFile(QProcess::nullDevice());
        m_xclip.start(QStringLiteral("xclip"),
                      {QStringLiteral("-selection"), selection, QStringLiteral("-i"),
                       QStringLiteral("-quiet"), QStringLiteral("-loops"), QString::number(pastes),
                       QStringLiteral("-t"), target, m_offer.fileName()});
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
                          {QStringLiteral("-selection"), m_selection, QStringLiteral("-o"),
                           QStringLiteral("-t"), QStringLiteral("TARGETS")});
            if (targets.waitForFinished() && targets.exitCode() == 0
                && !targets.readAllStandardOutput().isEmpty())
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    // From now on the clipboard has an owner that never answers.
    void stopAnswering() { ::kill(pid_t(m_xclip.processId()), SIGSTOP); }

    // Whether xclip ended by itself within the time, having served all its transfers.
    bool endsWithin(int milliseconds) { return m_xclip.waitForFinished(milliseconds); }

private:
    const QString m_selection;
    QTemporaryFile m_offer;
    QProcess m_xclip;
};
