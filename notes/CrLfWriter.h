// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Writes characters at the end of a string with every line end made CR LF: an LF goes after each
// CR, and the LF of a CR LF is left out, being there already. A CR LF split between two stretches
// of input is still one line end.
class CrLfWriter
{
public:
    // afterCarriageReturn: the input before, written elsewhere, ended with a CR.
    CrLfWriter(QString &text, bool afterCarriageReturn)
        : m_text(text)
        , m_lastLineEnd(text.size())
        , m_afterCarriageReturn(afterCarriageReturn)
    {}

    // Appends a stretch of input, decoding each element to a character. One loop over plain
    // values, without a string per line: files of millions of lines go through here.
    template<typename Element, typename Decode>
    void append(const Element *from, const Element *to, const Decode &decode)
    {
        const qsizetype start = m_text.size();
        // At most two characters for each one read.
        m_text.resize(start + 2 * (to - from));
        char16_t *const begin = reinterpret_cast<char16_t *>(m_text.data());
        char16_t *out = begin + start;
        const char16_t *lineEnd = nullptr;
        qsizetype lineEnds = 0;
        const Element *next = from;
        // The LF of a CR LF whose CR ended the stretch before.
        if (next != to && m_afterCarriageReturn && decode(*next) == LineFeed)
            ++next;
        while (next != to) {
            const char16_t character = decode(*next++);
            *out++ = character;
            if (character != CarriageReturn)
                continue;
            *out++ = LineFeed;
            lineEnd = out;
            ++lineEnds;
            if (next != to && decode(*next) == LineFeed)
                ++next;
        }
        if (lineEnd)
            m_lastLineEnd = lineEnd - begin;
        if (from != to)
            m_afterCarriageReturn = decode(to[-1]) == CarriageReturn;
        m_lineEnds += lineEnds;
        m_text.resize(out - begin);
    }

    // A last line without a line end gets one.
    void endOpenLine()
    {
        if (m_text.size() == m_lastLineEnd)
            return;
        m_text.append(u"\r\n");
        m_lastLineEnd = m_text.size();
        ++m_lineEnds;
    }
    // Takes away the characters after the last line end.
    void dropOpenLine() { m_text.truncate(m_lastLineEnd); }

    qsizetype lineEnds() const { return m_lineEnds; }
    bool afterCarriageReturn() const { return m_afterCarriageReturn; }

private:
    static constexpr char16_t CarriageReturn = u'\r';
    static constexpr char16_t LineFeed = u'\n';

    QString &m_text;
    qsizetype m_lastLineEnd;
    qsizetype m_lineEnds = 0;
    bool m_afterCarriageReturn;
};
