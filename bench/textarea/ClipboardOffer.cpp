// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/textarea/ClipboardOffer.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

// xclip gives no sign once it holds the selection; asking for the selection's formats does.
bool offered(const QString &selection)
{
    const QDeadlineTimer deadline(20'000);
    while (!deadline.hasExpired()) {
        QProcess ask;
        ask.start(QStringLiteral("xclip"),
                  {QStringLiteral("-selection"), selection, QStringLiteral("-o"),
                   QStringLiteral("-t"), QStringLiteral("TARGETS")});
        if (ask.waitForFinished() && ask.exitStatus() == QProcess::NormalExit
            && ask.exitCode() == 0)
            return true;
        QThread::msleep(100);
    }
    return false;
}

} // namespace

ClipboardOffer::ClipboardOffer(const QString &path)
{
    for (const QString &selection : {QStringLiteral("clipboard"), QStringLiteral("primary")}) {
        auto owner = std::make_unique<QProcess>();
        owner->setStandardOutputFile(QProcess::nullDevice());
        owner->setStandardErrorFile(QProcess::nullDevice());
        owner->start(QStringLiteral("xclip"),
                     {QStringLiteral("-selection"), selection, QStringLiteral("-i"),
                      QStringLiteral("-quiet"), path});
        if (!owner->waitForStarted()) {
            m_failure = QStringLiteral("xclip did not start");
            return;
        }
        m_owners.push_back(std::move(owner));
        if (!offered(selection)) {
            m_failure = QStringLiteral("xclip did not take the %1 selection").arg(selection);
            return;
        }
    }
}

ClipboardOffer::~ClipboardOffer()
{
    for (const std::unique_ptr<QProcess> &owner : m_owners) {
        owner->kill();
        owner->waitForFinished();
    }
}
