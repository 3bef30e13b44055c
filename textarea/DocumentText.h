// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QTextCursor;
class QTextDocument;

// Keeps a text's 16-bit characters exact inside a QTextDocument, and maps positions between
// the text and the document.
//
// A QTextDocument ends a line with one block separator, whether the text had CR LF, a lone CR,
// a lone LF or U+2029 there. So each block records in its format which of these ended the line
// before it, and reads back with it; a line end of the text counts 2 characters for CR LF and
// 1 for the others, where the document counts 1. QTextDocument's own frame marks, U+FDD0 and
// U+FDD1, would also become separators: they are stored as stand-in characters whose format
// records the original.
class DocumentText
{
public:
    enum class Rounding { Down, Up };

    explicit DocumentText(const QTextDocument &document);

    QString read() const;
    // The text between two document positions.
    QString read(int documentFrom, int documentTo) const;

    int toTextPosition(int documentPosition) const;
    // A text position between the CR and the LF of a line break has no document position of
    // its own; Rounding says whether it goes before or after the break.
    int toDocumentPosition(int textPosition, Rounding rounding) const;

    // Replaces the cursor's selection with the text, as one undo step.
    static void insert(QTextCursor &cursor, const QString &text);

private:
    int toDocumentPositionWithCrLfOnly(int textPosition, Rounding rounding) const;

    const QTextDocument &m_document;
    const bool m_onlyCrLf;
};
