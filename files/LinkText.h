// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// What a symbolic link says, in the bytes the system holds, read with readlinkat. QFile's
// symLinkTarget resolves the text against the current folder and gives it as a QString, which
// cannot hold a name that is not UTF-8; the save needs the raw text, relative to the link's own
// folder.
namespace LinkText {

// The text of the link with the name in the folder (AT_FDCWD: the current folder); empty, with
// errno set, when the name is no link or cannot be read.
QByteArray read(int folder, const QByteArray &name);

// Where an open file or folder is now, as the kernel tells through /proc; empty when it cannot.
QByteArray pathOf(int descriptor);

} // namespace LinkText
