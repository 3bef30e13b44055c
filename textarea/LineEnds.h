// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Line ends between the text area, which breaks lines with CR LF, and other programs.
namespace LineEnds {

// CR LF becomes LF, the line end of the platform's other programs.
QString toPlatform(const QString &text);

// CR LF, a lone CR and a lone LF all become CR LF.
QString toCrLf(const QString &text);

// CR or LF: a character that ends a line alone or as half of a CR LF.
constexpr bool isLineEndCharacter(QChar character)
{
    return character == u'\r' || character == u'\n';
}

} // namespace LineEnds
