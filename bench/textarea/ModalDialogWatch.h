// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Keeps the text of every modal dialog that opens while it lives, and closes the dialog: a
// message shown some other way than through the window's reporter is neither missed nor left
// waiting for a user who is not there.
class ModalDialogWatch
{
public:
    ModalDialogWatch()
    {
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] { closeModalDialog(); });
        m_poll.start(50);
    }

    QStringList texts() const { return m_texts; }

private:
    void closeModalDialog()
    {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        const auto *box = qobject_cast<QMessageBox *>(dialog);
        m_texts.append(box ? box->text() : dialog->windowTitle());
        dialog->close();
    }

    QTimer m_poll;
    QStringList m_texts;
};
