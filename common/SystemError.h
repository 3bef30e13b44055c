// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

// A failed system call's error number (errno) in the program's own terms: the reason in Polish,
// and the number of the RuntimeFailure that reports it.
class SystemError
{
    Q_DECLARE_TR_FUNCTIONS(SystemError)

public:
    // What the failed call was for: reaching a file that must be there, or writing one.
    enum class Access { Reading, Writing };

    // The system's reason for a failed file or socket operation, in Polish. The C library speaks
    // the language of the system's locale, which is English on most machines this runs on, so the
    // reasons a user meets with notes files and displays are written out here; any other falls
    // back to it.
    static QString describe(int error);

    // The RuntimeFailure number to report the error with.
    static int failureNumber(int error, Access access);
};
