// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <sys/types.h>

// A user as a message names them: "nobody (UID 65534)", or "UID 1234" for a number that has no
// account.
namespace UserName {

QString describe(uid_t user);

} // namespace UserName
