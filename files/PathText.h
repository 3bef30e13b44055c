// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

// A file name or path as the system holds it, in bytes, made readable for a message.
//
// Linux names are bytes, and nothing makes them UTF-8. Decoding them the usual way turns every
// byte that is not part of a valid UTF-8 sequence into U+FFFD, so that two different names read
// the same and the user cannot find the one meant. Here such a byte is written out instead, as
// \xB1, and the rest of the name reads as the UTF-8 it is.
namespace PathText {

QString display(QByteArrayView path);

} // namespace PathText
