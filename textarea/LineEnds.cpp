// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/LineEnds.h"

#include <algorithm>

namespace LineEnds {

// One pass that only shortens: QString::replace of a two-character pattern by one character
// moves the rest of the text for every match, which takes minutes on a text of tens of megabytes.
QString toPlatform(const QString &text)
{
    const qsizetype firstPair = text.indexOf(QStringLiteral("\r\n"));
    if (firstPair < 0)
        return text;
    QString converted(text.size(), Qt::Uninitialized);
    const QChar *in = text.constData();
    const QChar *const end = in + text.size();
    QChar *out = std::copy(in, in + firstPair, converted.data());
    for (in += firstPair; in != end; ++in) {
        if (*in == u'\r' && in + 1 != end && in[1] == u'\n')
            continue;
        *out++ = *in;
    }
    converted.truncate(out - converted.constData());
    return converted;
}

// Counts first and fills once: a pasted text can be tens of megabytes, and appending it character
// by character takes several times as long.
QString toCrLf(const QString &text)
{
    const QChar *in = text.constData();
    const qsizetype length = text.size();
    const auto loneCarriageReturn = [in, length](qsizetype index) {
        return in[index] == u'\r' && (index + 1 == length || in[index + 1] != u'\n');
    };
    const auto loneLineFeed = [in](qsizetype index) {
        return in[index] == u'\n' && (index == 0 || in[index - 1] != u'\r');
    };

    qsizetype missing = 0;
    for (qsizetype index = 0; index < length; ++index) {
        if (loneCarriageReturn(index) || loneLineFeed(index))
            ++missing;
    }
    if (missing == 0)
        return text;

    QString converted(length + missing, Qt::Uninitialized);
    QChar *out = converted.data();
    for (qsizetype index = 0; index < length; ++index) {
        if (loneCarriageReturn(index) || loneLineFeed(index)) {
            *out++ = u'\r';
            *out++ = u'\n';
        } else {
            *out++ = in[index];
        }
    }
    return converted;
}

} // namespace LineEnds
