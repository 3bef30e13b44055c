// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "notes/Windows1250.h"

#include <QCoreApplication>
#include <QString>

// Characters of a text that Windows-1250 has no byte for. Writing such a text would silently
// replace them and corrupt the file, so it is refused with a message that helps find them.
class UnencodableText
{
    Q_DECLARE_TR_FUNCTIONS(UnencodableText)

public:
    // Where a character stands in the text as the user sees it: lines and columns count from 1,
    // a CR LF, a lone CR or a lone LF ends a line, and each letter as the user sees it (grapheme
    // cluster: a base letter with its combining marks, a surrogate pair, an emoji sequence) is
    // one column.
    struct Place
    {
        qsizetype line = 1;
        qsizetype column = 1;
    };
    static Place placeOf(QStringView text, qsizetype index);

    // Throws a RuntimeFailure naming the first such letter (its glyph, its U+ codes, its line and
    // column) and how many there are, unless there are none.
    static void refuse(QStringView text, const Windows1250::Encoding &encoding,
                       const QString &absoluteFilePath);
};
