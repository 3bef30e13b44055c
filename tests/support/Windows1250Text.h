// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Bytes of a Windows-1250 file as the text they stand for, for programs that make or check such
// files; the program itself only ever decodes piece by piece onto a text it is reading.

#include "notes/Windows1250.h"

#include <QByteArrayView>
#include <QString>

inline QString windows1250Text(QByteArrayView bytes)
{
    QString text;
    Windows1250::decodeAppending(bytes, text);
    return text;
}
