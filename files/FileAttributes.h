// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

// What makes a file the user's besides its bytes: owner, group, mode, and the extended
// attributes, access control lists among them (system.posix_acl_access is one).
namespace FileAttributes {

// Puts the attributes of one open file on another, which the caller made and owns. False when
// any of them cannot be put there exactly: another owner without the right to give files away,
// an attribute the file system or the user may not set. A file replaced by the other would then
// lose something, so the caller must keep the first one and write into it instead.
bool copy(int from, const struct stat &fromStatus, int to);

} // namespace FileAttributes
