// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBuffer.h"

#include <algorithm>

TextBuffer::TextBuffer(qsizetype blockLength)
    : m_lines(blockLength)
{}

qsizetype TextBuffer::size() const
{
    return m_pieces.size();
}

QChar TextBuffer::at(qsizetype position) const
{
    return m_pieces.at(position);
}

QString TextBuffer::text() const
{
    return m_pieces.text();
}

QString TextBuffer::mid(qsizetype position, qsizetype length) const
{
    return m_pieces.mid(position, length);
}

void TextBuffer::setText(const QString &text)
{
    m_pieces.setText(text);
    m_lines.setText(m_pieces);
}

void TextBuffer::replace(qsizetype position, qsizetype length, QStringView text)
{
    position = std::clamp<qsizetype>(position, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - position);
    if (length == 0 && text.isEmpty())
        return;
    m_pieces.replace(position, length, text);
    m_lines.replace(m_pieces, position, length, text.size());
}

qsizetype TextBuffer::lineCount() const
{
    return m_lines.lineCount();
}

qsizetype TextBuffer::lineStart(qsizetype line) const
{
    return m_lines.lineStart(m_pieces, line);
}

qsizetype TextBuffer::lineEnd(qsizetype line) const
{
    return m_lines.lineEnd(m_pieces, line);
}

qsizetype TextBuffer::lineAt(qsizetype position) const
{
    return m_lines.lineAt(m_pieces, position);
}

qsizetype TextBuffer::longestLineLength() const
{
    return m_lines.longestLineLength();
}

qsizetype TextBuffer::longestLine() const
{
    return m_lines.longestLine(m_pieces);
}
