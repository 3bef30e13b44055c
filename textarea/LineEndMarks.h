// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QStringView>
#include <QTextCharFormat>

class QTextBlock;
class QTextDocument;

// Which line end each block separator of a QTextDocument stands for.
//
// A QTextDocument ends a line with one block separator, whether the text had CR LF, a lone CR, a
// lone LF or U+2029 there. So the kind is kept in the separator's own character format, which is
// the character format of the block after it: a removal takes away exactly the separators inside
// it, with their formats, so the line ends that stay keep their kinds. CR LF, by far the most
// common, is a format without the mark, so that ordinary text carries none.
class LineEndMarks
{
public:
    enum class Kind : int { CrLf = 0, Cr, Lf, Paragraph };

    static QStringView textOf(Kind kind);
    // The format to insert a separator of that kind with.
    static QTextCharFormat formatOf(Kind kind);
    // Marks the separator that ends the line before the block.
    static void markBefore(QTextDocument &document, const QTextBlock &block, Kind kind);
    // Whether every separator of the document stands for CR LF: then no format has the mark,
    // and nothing needs to be looked up block by block.
    static bool holdsOnlyCrLf(const QTextDocument &document);

    // The kind of the separator before the block. A document holds only a few formats, so the
    // answer is kept per format, and reading a large text stays a single pass.
    Kind before(const QTextBlock &block);

private:
    QHash<int, Kind> m_byFormat;
};
