#pragma once

#include <QString>

#include <sys/types.h>

namespace FileKind {

// What a file that is not a regular one is, for a message: "to folder, a nie plik" and so on.
QString describe(mode_t mode);

} // namespace FileKind
