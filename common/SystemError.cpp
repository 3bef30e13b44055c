// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SystemError.h"

#include "common/RuntimeFailure.h"

#include <cerrno>

namespace {

struct Reason
{
    int error;
    const char *text;
};

const Reason Reasons[] = {
    {ENOENT, QT_TRANSLATE_NOOP("SystemError", "nie ma takiego pliku ani folderu")},
    {ENOTDIR, QT_TRANSLATE_NOOP("SystemError", "część ścieżki nie jest folderem")},
    {EISDIR, QT_TRANSLATE_NOOP("SystemError", "to jest folder")},
    {EACCES, QT_TRANSLATE_NOOP("SystemError", "brak uprawnień")},
    {EPERM, QT_TRANSLATE_NOOP("SystemError", "operacja niedozwolona")},
    {EROFS, QT_TRANSLATE_NOOP("SystemError", "system plików jest tylko do odczytu")},
    {ENOSPC, QT_TRANSLATE_NOOP("SystemError", "brak miejsca na dysku")},
    {EDQUOT, QT_TRANSLATE_NOOP("SystemError", "przekroczono przydział miejsca na dysku")},
    {EFBIG, QT_TRANSLATE_NOOP("SystemError", "plik jest za duży")},
    {EIO, QT_TRANSLATE_NOOP("SystemError", "błąd wejścia-wyjścia urządzenia")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("SystemError", "nazwa pliku jest za długa")},
    {ELOOP, QT_TRANSLATE_NOOP("SystemError", "za dużo dowiązań symbolicznych w ścieżce")},
    {EMFILE, QT_TRANSLATE_NOOP("SystemError", "otwartych jest za dużo plików")},
    {ENFILE, QT_TRANSLATE_NOOP("SystemError", "otwartych jest za dużo plików")},
    {ENOMEM, QT_TRANSLATE_NOOP("SystemError", "za mało pamięci")},
    {EBUSY, QT_TRANSLATE_NOOP("SystemError", "plik lub urządzenie jest zajęte")},
    {ETXTBSY, QT_TRANSLATE_NOOP("SystemError", "plik lub urządzenie jest zajęte")},
    {ENXIO, QT_TRANSLATE_NOOP("SystemError", "nie ma takiego urządzenia")},
    {ENODEV, QT_TRANSLATE_NOOP("SystemError", "nie ma takiego urządzenia")},
    {EINVAL, QT_TRANSLATE_NOOP("SystemError", "nieprawidłowy argument")},
    {ECONNREFUSED, QT_TRANSLATE_NOOP("SystemError", "nikt nie przyjmuje połączeń")},
};

} // namespace

QString SystemError::describe(int error)
{
    for (const Reason &reason : Reasons) {
        if (reason.error == error)
            return tr(reason.text);
    }
    return qt_error_string(error);
}

// A file that must be there and is not is not found; a file to be written is made, so what is
// missing then is the folder on the way to it. Any other failure is one of the file system when
// reading, and of the device when writing.
int SystemError::failureNumber(int error, Access access)
{
    const bool reading = access == Access::Reading;
    switch (error) {
    case ENOENT:
        return reading ? RuntimeFailure::FileNotFound : RuntimeFailure::PathNotFound;
    case ENOTDIR:
        return RuntimeFailure::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return RuntimeFailure::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return RuntimeFailure::DiskFull;
    case EISDIR:
    case ELOOP:
        return RuntimeFailure::PathFileAccessError;
    default:
        return reading ? RuntimeFailure::PathFileAccessError : RuntimeFailure::DeviceIOError;
    }
}
