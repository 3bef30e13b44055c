// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/UserName.h"

#include "files/PathText.h"

#include <pwd.h>

namespace UserName {

QString describe(uid_t user)
{
    struct passwd entry = {};
    struct passwd *found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(user, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return QStringLiteral("%1 (UID %2)").arg(PathText::display(found->pw_name)).arg(user);
    return QStringLiteral("UID %1").arg(user);
}

} // namespace UserName
