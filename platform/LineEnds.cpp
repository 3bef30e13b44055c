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

QString toCrLf(const QString &text)
{
    QString converted;
    converted.reserve(text.size() + text.size() / 16);
    const qsizetype length = text.size();
    for (qsizetype index = 0; index < length; ++index) {
        const QChar character = text.at(index);
        if (character == u'\r') {
            if (index + 1 < length && text.at(index + 1) == u'\n')
                ++index;
            converted += u"\r\n";
        } else if (character == u'\n') {
            converted += u"\r\n";
        } else {
            converted += character;
        }
    }
    return converted;
}

} // namespace LineEnds
