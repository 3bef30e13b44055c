// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/UnencodableText.h"

#include "common/RuntimeFailure.h"

#include <QStringList>
#include <QTextBoundaryFinder>

namespace {

bool endsLine(QStringView text, qsizetype index)
{
    const bool lineFeedFollows = index + 1 < text.size() && text[index + 1] == u'\n';
    return (text[index] == u'\r' && !lineFeedFollows) || text[index] == u'\n';
}

// The letters that start in the text. Whether one starts at a place depends only on the
// characters up to it, so a text cut short at a place counts those that start before it.
qsizetype lettersIn(QStringView text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder letters(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (letters.toNextBoundary() != -1)
        ++count;
    return count;
}

// A lone surrogate is named by its own code: QStringView::toUcs4() would make it U+FFFD.
char32_t codePointAt(QStringView text, qsizetype index)
{
    const QChar first = text[index];
    if (first.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[index + 1]);
    return first.unicode();
}

bool isMark(char32_t codePoint)
{
    const QChar::Category category = QChar::category(codePoint);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
           || category == QChar::Mark_Enclosing;
}

// The letter itself when it can be seen, with all its U+ codes; a mark with no letter before it
// is shown on a dotted circle, as character tables show marks. An invisible one is named by its
// codes alone.
QString describe(QStringView letter)
{
    QStringList codes;
    bool visible = false;
    for (qsizetype at = 0; at < letter.size(); ++at) {
        const char32_t codePoint = codePointAt(letter, at);
        if (codePoint > 0xffff)
            ++at;
        codes += QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
        visible = visible || (QChar::isPrint(codePoint) && !QChar::isSpace(codePoint));
    }
    const QString allCodes = codes.join(u' ');
    if (!visible)
        return UnencodableText::tr("niewidoczny znak %1").arg(allCodes);
    QString glyph = letter.toString();
    if (isMark(codePointAt(letter, 0)))
        glyph.prepend(u'\u25CC');
    return UnencodableText::tr("znak „%1” (%2)").arg(glyph, allCodes);
}

} // namespace

UnencodableText::Place UnencodableText::placeOf(QStringView text, qsizetype index)
{
    Place place;
    qsizetype lineStart = 0;
    for (qsizetype at = 0; at < index; ++at) {
        if (endsLine(text, at)) {
            ++place.line;
            lineStart = at + 1;
        }
    }
    place.column = 1 + lettersIn(text.sliced(lineStart, index - lineStart));
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
            .arg(absoluteFilePath, describe(text.sliced(first, encoding.firstUnencodableLength)))
            .arg(place.line)
            .arg(place.column)
            .arg(encoding.unencodableCount));
}
