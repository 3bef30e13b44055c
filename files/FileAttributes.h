// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

// What makes a file the user's besides its bytes: owner, group, mode, the extended attributes,
// access control lists among them (system.posix_acl_access is one), and the inode flags that
// chattr sets (no dump, no access times, ...).
//
// A new file that is to take another's place gets them in two steps: what keeps it private
// before its bytes are written (copyOwnership), and what may open it to others after (copy).
namespace FileAttributes {

// Whether the two files have the same inode flags. A new file gets its flags from its folder,
// and the save does not set them: a file whose flags differ is written in place instead.
bool haveSameFlags(int one, int other);

// Gives the new file the owner and group of the first one; its mode still lets only its owner
// at it. False when the owner cannot be given (only root may give a file away).
bool copyOwnership(const struct stat &fromStatus, int to);

// Puts the attributes of one open file on another, which the caller made and owns. False when
// any of them cannot be put there exactly: another owner without the right to give files away,
// an attribute the file system or the user may not set. A file replaced by the other would then
// lose something, so the caller must keep the first one and write into it instead.
bool copy(int from, const struct stat &fromStatus, int to);

} // namespace FileAttributes
