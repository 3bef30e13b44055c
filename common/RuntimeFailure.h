// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// How every platform operation reports failure: an error number and a description in Polish.
// An operation stops at the step that throws; what it did before that step stays done.
class RuntimeFailure : public std::exception
{
public:
    // The run-time's error numbers, kept so that a failure can be told apart by its cause.
    enum Number : int {
        InvalidProcedureCall = 5,
        OutOfMemory = 7,
        FileNotFound = 53,
        DeviceIOError = 57,
        DiskFull = 61,
        PermissionDenied = 70,
        PathFileAccessError = 75,
        PathNotFound = 76,
        NoFontsExist = 24574,
        CancelSelected = 32755,
    };

    RuntimeFailure(int number, const QString &description);

    int number() const { return m_number; }
    QString description() const { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_utf8;
};
