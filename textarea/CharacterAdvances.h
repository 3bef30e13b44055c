// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>

#include <vector>

class QChar;

// How far each character moves the pen in one font, each measured once and kept, without
// kerning or shaping. Summing them gives the width of a stretch of a line at a thousandth of
// the cost of shaping it: the width of a long line's windows before they are laid out.
class CharacterAdvances
{
public:
    explicit CharacterAdvances(const QFont &font);

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
