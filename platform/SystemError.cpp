#include "platform/SystemError.h"

#include <QCoreApplication>

#include <cerrno>

namespace SystemError {

QString describe(int error)
{
    const auto tr = [](const char *text) {
        return QCoreApplication::translate("SystemError", text);
    };
    switch (error) {
    case ENOENT:
        return tr("nie ma takiego pliku ani folderu");
    case ENOTDIR:
        return tr("część ścieżki nie jest folderem");
    case EISDIR:
        return tr("to jest folder");
    case EACCES:
        return tr("brak uprawnień");
    case EPERM:
        return tr("operacja niedozwolona");
    case EROFS:
        return tr("system plików jest tylko do odczytu");
    case ENOSPC:
        return tr("brak miejsca na dysku");
    case EDQUOT:
        return tr("przekroczono przydział miejsca na dysku");
    case EFBIG:
        return tr("plik jest za duży");
    case EIO:
        return tr("błąd wejścia-wyjścia urządzenia");
    case ENAMETOOLONG:
        return tr("nazwa pliku jest za długa");
    case ELOOP:
        return tr("za dużo dowiązań symbolicznych w ścieżce");
    case EMFILE:
    case ENFILE:
        return tr("otwartych jest za dużo plików");
    case ENOMEM:
        return tr("za mało pamięci");
    case EBUSY:
    case ETXTBSY:
        return tr("plik lub urządzenie jest zajęte");
    case ENXIO:
    case ENODEV:
        return tr("nie ma takiego urządzenia");
    case EINVAL:
        return tr("nieprawidłowy argument");
    case ECONNREFUSED:
        return tr("nikt nie przyjmuje połączeń");
    default:
        return qt_error_string(error);
    }
}

} // namespace SystemError
