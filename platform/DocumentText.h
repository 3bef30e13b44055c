#pragma once

#include <QString>

class QTextCursor;
class QTextDocument;

// Keeps a text's 16-bit characters exact inside a QTextDocument, and maps positions between
// the text and the document.
//
// A QTextDocument holds a line break as one block separator, and it turns a lone CR, a lone LF,
// U+2029 and its own frame marks into block separators too. Here only CR LF becomes a block
// separator. Each of the others is stored as a stand-in character whose format records the
// original, so that it reads back unchanged: the lone line ends and U+2029 stand in as U+2028,
// which the widget shows as a line break within the line.
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
    const QTextDocument &m_document;
};
