// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/GrowingBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr qsizetype SmallestCapacity = 64 * 1024;

} // namespace

void GrowingBuffer::append(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_size + bytes.size() > m_capacity) {
        const qsizetype capacity
            = std::max({m_capacity * 2, m_size + bytes.size(), SmallestCapacity});
        auto *grown = static_cast<char *>(std::realloc(m_data.get(), size_t(capacity)));
        if (!grown)
            throw std::bad_alloc();
        (void)m_data.release();
        m_data.reset(grown);
        m_capacity = capacity;
    }
    std::memcpy(m_data.get() + m_size, bytes.data(), size_t(bytes.size()));
    m_size += bytes.size();
}

void GrowingBuffer::clear()
{
    m_data.reset();
    m_size = 0;
    m_capacity = 0;
}
