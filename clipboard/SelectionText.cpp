// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/SelectionText.h"

namespace SelectionText {

Pieces::Pieces(qsizetype characterLimit, QStringConverter::Encoding encoding, qsizetype keptBytes)
    : m_characterLimit(characterLimit)
    , m_encoding(encoding)
    , m_keptBytes(keptBytes)
    , m_length(encoding)
{}

void Pieces::add(QByteArrayView bytes)
{
    m_length.add(bytes);
    if (!m_keeping)
        return;
    if (pastLimit() || m_bytes.size() + bytes.size() > m_keptBytes) {
        m_keeping = false;
        m_bytes.clear();
        return;
    }
    m_bytes.append(bytes);
}

// The counting followed the decoder, but the decoder has the last word.
Result Pieces::whole()
{
    if (!m_keeping || m_length.total() > m_characterLimit)
        return tooLarge(true);
    QString text = m_encoding == QStringConverter::Utf8 ? QString::fromUtf8(m_bytes.view())
                                                        : QString::fromLatin1(m_bytes.view());
    m_bytes.clear();
    if (text.size() > m_characterLimit)
        return {Outcome::TooLarge, {}, text.size(), true};
    return {Outcome::Text, std::move(text)};
}

Result Pieces::cutShort() const
{
    return pastLimit() ? tooLarge(false) : Result{Outcome::NoAnswer, {}};
}

Result Pieces::tooLarge(bool wholeTextRead) const
{
    return {Outcome::TooLarge, {}, m_length.total(), wholeTextRead};
}

} // namespace SelectionText
