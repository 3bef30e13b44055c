// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

#include <cstdlib>
#include <memory>

// Bytes appended piece by piece, for a text whose size nobody announced. Not a QByteArray:
// growing one copies the whole into a new block, so for a moment it takes the old size and the
// new one together, about twice the text. std::realloc moves a large block by remapping its pages
// instead, so memory never holds much more than the bytes themselves.
class GrowingBuffer
{
public:
    // Throws std::bad_alloc when no more memory can be had.
    void append(QByteArrayView bytes);
    // Gives the memory back.
    void clear();

    QByteArrayView view() const { return {m_data.get(), m_size}; }
    qsizetype size() const { return m_size; }

private:
    struct Release
    {
        void operator()(char *data) const { std::free(data); }
    };

    std::unique_ptr<char, Release> m_data;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};
