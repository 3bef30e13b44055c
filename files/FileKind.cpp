// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileKind.h"

#include <sys/stat.h>

QString FileKind::describe(mode_t mode)
{
    if (S_ISDIR(mode))
        return tr("to folder, a nie plik");
    if (S_ISFIFO(mode))
        return tr("to potok (FIFO), a nie zwykły plik");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return tr("to urządzenie, a nie zwykły plik");
    if (S_ISSOCK(mode))
        return tr("to gniazdo, a nie zwykły plik");
    return tr("to nie jest zwykły plik");
}
