// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Answering a modal dialog in place of the user, without a test that can hang in its loop.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

// Runs the action on the modal dialog once it is open; the action should close it. Should the
// action leave the dialog open, it is rejected, so that a failing test cannot hang in the modal
// loop. Sets ran once the action has run.
inline void whenDialogOpens(const std::function<void(QDialog &)> &action, bool &ran)
{
    ran = false;
    auto *poll = new QTimer;
    poll->setInterval(10);
    auto attempts = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, action, attempts, &ran] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog && ++*attempts < 500)
            return;
        poll->stop();
        poll->deleteLater();
        if (!dialog)
            return;
        ran = true;
        action(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start();
}
