#pragma once

#include <QString>

namespace SystemError {

// The system's reason for a failed file or socket operation, in Polish. The C library speaks the
// language of the system's locale, which is English on most machines this runs on, so the
// reasons a user meets with notes files and displays are written out here; any other falls back
// to it.
QString describe(int error);

} // namespace SystemError
