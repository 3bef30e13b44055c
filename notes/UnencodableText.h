#pragma once

#include "platform/Windows1250.h"

#include <QString>

namespace Notes {

// Where a character stands in the text as the user sees it: lines and columns count from 1, a
// CR LF, a lone CR or a lone LF ends a line, and a surrogate pair is one column.
struct TextPlace
{
    qsizetype line = 1;
    qsizetype column = 1;
};
TextPlace placeOf(QStringView text, qsizetype index);

// Throws a RuntimeFailure naming the first character that Windows-1250 cannot hold (its glyph,
// its U+ code, its line and column) and how many such characters there are, unless there are
// none. Writing such a text would silently replace them and corrupt the file.
void refuseUnencodable(QStringView text, const Windows1250::Encoding &encoding,
                       const QString &absoluteFilePath);

} // namespace Notes
