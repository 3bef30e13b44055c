// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>

#include <vector>

class QChar;

// How far each character moves the pen in one font, each measured once and kept. Positions on a
// line are sums of these, without kerning, in double precision, so that they stay exact on lines
// of tens of millions of characters (QTextLayout keeps widths as 32-bit fixed point, which wraps
// at about 33 million pixels).
class CharacterAdvances
{
public:
    explicit CharacterAdvances(const QFont &font);

    // The font text is drawn with, so that glyphs stand where the sums say: no kerning, no
    // shaping that would join characters.
    const QFont &drawingFont() const { return m_font; }
    qreal tabStop() const { return m_tabStop; }

    // The pen position after character, from x, given its neighbours on the line (null at the
    // line's ends). A surrogate pair moves by its whole advance at its first half and not at all
    // at its second.
    qreal after(qreal x, QChar previous, QChar character, QChar next) const
    {
        // Most characters: measured already, and neither a tab nor half of a pair.
        const char16_t code = character.unicode();
        if (code != u'\t' && !QChar::isSurrogate(code) && m_basic[code] >= 0)
            return x + m_basic[code];
        return afterMeasuring(x, previous, character, next);
    }

    // What stands in for a character that has no glyph of its own on a line: controls and
    // separators show as a space, a lone surrogate as the replacement character.
    static QChar shownAs(QChar character, bool pairedSurrogate);

private:
    qreal afterMeasuring(qreal x, QChar previous, QChar character, QChar next) const;
    qreal advanceOf(char16_t character) const;
    qreal advanceOfPair(QChar high, QChar low) const;

    QFont m_font;
    QFontMetricsF m_metrics;
    qreal m_tabStop;
    // One entry per UTF-16 character; negative until measured.
    mutable std::vector<qreal> m_basic;
    mutable QHash<char32_t, qreal> m_supplementary;
};
