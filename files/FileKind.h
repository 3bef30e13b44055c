// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

#include <sys/types.h>

class FileKind
{
    Q_DECLARE_TR_FUNCTIONS(FileKind)

public:
    // What a file that is not a regular one is, for a message: "to folder, a nie plik" and so on.
    static QString describe(mode_t mode);
};
