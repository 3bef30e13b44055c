// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/CharacterAdvances.h"

#include <cmath>

namespace {

QFont withoutShaping(QFont font)
{
    font.setKerning(false);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

// What is measured for a character with no glyph of its own: a control or a separator as a
// space, a lone surrogate as the replacement character.
QChar measuredAs(QChar character, bool pairedSurrogate)
{
    if (character.isSurrogate() && !pairedSurrogate)
        return QChar(QChar::ReplacementCharacter);
    switch (character.category()) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return QChar(u' ');
    default:
        return character;
    }
}

} // namespace

CharacterAdvances::CharacterAdvances(const QFont &font)
    : m_font(withoutShaping(font))
    , m_metrics(m_font)
    // QPlainTextEdit's default tab stop, which the area always had.
    , m_tabStop(80)
    , m_basic(0x10000, -1)
{}

qreal CharacterAdvances::advanceOf(char16_t character) const
{
    qreal &advance = m_basic[character];
    if (advance < 0)
        advance = m_metrics.horizontalAdvance(measuredAs(QChar(character), false));
    return advance;
}

qreal CharacterAdvances::advanceOfPair(QChar high, QChar low) const
{
    const char32_t code = QChar::surrogateToUcs4(high, low);
    const auto found = m_supplementary.constFind(code);
    if (found != m_supplementary.constEnd())
        return *found;
    const QChar pair[] = {high, low};
    const qreal advance = m_metrics.horizontalAdvance(QString(pair, 2));
    m_supplementary.insert(code, advance);
    return advance;
}

qreal CharacterAdvances::afterMeasuring(qreal x, QChar previous, QChar character, QChar next) const
{
    if (character == u'\t')
        return (std::floor(x / m_tabStop) + 1) * m_tabStop;
    if (character.isHighSurrogate() && next.isLowSurrogate())
        return x + advanceOfPair(character, next);
    if (character.isLowSurrogate() && previous.isHighSurrogate())
        return x;
    return x + advanceOf(character.unicode());
}
