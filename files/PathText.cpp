// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/PathText.h"

namespace {

// The length of the well-formed UTF-8 sequence at the start of the bytes, 0 when there is none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
qsizetype sequenceLength(QByteArrayView bytes)
{
    const uchar lead = uchar(bytes.front());
    const qsizetype length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return bytes.size() >= length && bytes.first(length).isValidUtf8() ? length : 0;
}

} // namespace

namespace PathText {

QString display(QByteArrayView path)
{
    QString text;
    text.reserve(path.size());
    qsizetype validFrom = 0;
    qsizetype at = 0;
    while (at < path.size()) {
        const qsizetype length = sequenceLength(path.sliced(at));
        if (length > 0) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(path.sliced(validFrom, at - validFrom));
        text += QStringLiteral("\\x")
                + QString::number(uchar(path[at]), 16).rightJustified(2, u'0').toUpper();
        validFrom = ++at;
    }
    text += QString::fromUtf8(path.sliced(validFrom));
    return text;
}

} // namespace PathText
