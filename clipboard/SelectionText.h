// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clipboard/DecodedLength.h"
#include "clipboard/GrowingBuffer.h"

#include <QString>
#include <QStringConverter>

#include <chrono>
#include <limits>

// What reading another program's selection gives, on X11 and on Wayland alike, and the bounded
// keeping of its bytes as they come in pieces.
namespace SelectionText {

enum class Outcome { Text, NoOwner, NoText, NoAnswer, TooLarge };

struct Result
{
    Outcome outcome;
    QString text;
    // For TooLarge: how many characters had arrived when the reading stopped, and whether
    // that was the whole text.
    qsizetype charactersRead = 0;
    bool wholeTextRead = false;
};

struct Patience
{
    // How long the owner may stay silent, on the first answer and between pieces.
    std::chrono::milliseconds silence;
    // How long the whole transfer may take, however steadily the pieces come.
    std::chrono::milliseconds total;
};

// The pieces of one text: counted as they come, kept only while the text fits, and decoded only
// once the whole text is known to fit. Past the limit the pieces are still counted, so that the
// refusal can say how large the text is. A reader that can ask for the text again may keep no
// more than keptBytes of it, and count the rest only.
class Pieces
{
public:
    Pieces(qsizetype characterLimit, QStringConverter::Encoding encoding,
           qsizetype keptBytes = std::numeric_limits<qsizetype>::max());

    void add(QByteArrayView bytes);
    // Whether the text counted so far is already over the limit, whatever is still to come.
    bool pastLimit() const { return m_length.settled() > m_characterLimit; }
    // Whether bytes have been counted without being kept, in a text not yet past the limit.
    bool countedOnly() const { return !m_keeping && !pastLimit(); }
    // After the last piece of a text that was kept, or was past the limit.
    Result whole();
    // When the owner went silent before the last piece.
    Result cutShort() const;

private:
    Result tooLarge(bool wholeTextRead) const;

    const qsizetype m_characterLimit;
    const QStringConverter::Encoding m_encoding;
    const qsizetype m_keptBytes;
    DecodedLength m_length;
    GrowingBuffer m_bytes;
    bool m_keeping = true;
};

} // namespace SelectionText
