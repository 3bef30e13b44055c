#pragma once

#include <QString>

// Line ends between the text area, which breaks lines with CR LF, and other programs.
namespace LineEnds {

// CR LF becomes the platform's own line end: LF on Linux and macOS, CR LF on Windows.
QString toPlatform(const QString &text);

// CR LF, a lone CR and a lone LF all become CR LF.
QString toCrLf(const QString &text);

} // namespace LineEnds
