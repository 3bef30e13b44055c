#include "platform/LineEnds.h"

namespace LineEnds {

QString toPlatform(const QString &text)
{
#ifdef Q_OS_WIN
    return text;
#else
    QString converted = text;
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return converted;
#endif
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
