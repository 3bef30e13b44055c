// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/UnencodableText.h"

#include "common/RuntimeFailure.h"

namespace {

char32_t codePointAt(QStringView text, qsizetype index)
{
    const QChar first = text[index];
    if (first.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[index + 1]);
    return first.unicode();
}

// The character itself when it can be seen; an invisible one is named by its code alone.
QString describe(char32_t codePoint)
{
    const QString code
        = QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
    if (!QChar::isPrint(codePoint) || QChar::isSpace(codePoint))
        return UnencodableText::tr("niewidoczny znak %1").arg(code);
    return UnencodableText::tr("znak „%1” (%2)").arg(QString::fromUcs4(&codePoint, 1), code);
}

} // namespace

UnencodableText::Place UnencodableText::placeOf(QStringView text, qsizetype index)
{
    Place place;
    for (qsizetype at = 0; at < index; ++at) {
        const QChar character = text[at];
        const bool lineFeedFollows = at + 1 < text.size() && text[at + 1] == u'\n';
        if ((character == u'\r' && !lineFeedFollows) || character == u'\n') {
            ++place.line;
            place.column = 1;
        } else if (!character.isLowSurrogate() || at == 0 || !text[at - 1].isHighSurrogate()) {
            ++place.column;
        }
    }
    return place;
}

void UnencodableText::refuse(QStringView text, const Windows1250::Encoding &encoding,
                             const QString &absoluteFilePath)
{
    if (encoding.isComplete())
        return;
    const qsizetype first = encoding.firstUnencodable;
    const Place place = placeOf(text, first);
    throw RuntimeFailure(
        RuntimeFailure::InvalidProcedureCall,
        tr("Nie zapisano pliku „%1”: kodowanie Windows-1250 nie ma miejsca na %2 z wiersza %3, "
           "kolumny %4. Takich znaków w tekście: %5. Zamień je albo usuń; plik pozostał bez "
           "zmian.")
            .arg(absoluteFilePath, describe(codePointAt(text, first)))
            .arg(place.line)
            .arg(place.column)
            .arg(encoding.unencodableCount));
}
