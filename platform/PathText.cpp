#include "platform/PathText.h"

namespace {

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of the bytes, 0 when there is none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
qsizetype sequenceLength(QByteArrayView bytes)
{
    const auto byteAt = [&bytes](qsizetype index) {
        return uchar(bytes[index]);
    };
    const uchar lead = byteAt(0);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    uchar lowestSecond = 0x80;
    uchar highestSecond = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            lowestSecond = 0xA0;
        else if (lead == 0xED)
            highestSecond = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            lowestSecond = 0x90;
        else if (lead == 0xF4)
            highestSecond = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length || byteAt(1) < lowestSecond || byteAt(1) > highestSecond)
        return 0;
    for (qsizetype index = 2; index < length; ++index) {
        if (!isContinuation(byteAt(index)))
            return 0;
    }
    return length;
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
