#include "platform/DocumentText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t LineFeed = u'\n';
constexpr char16_t LineSeparator = 0x2028;
constexpr char16_t ParagraphSeparator = 0x2029;
constexpr char16_t ReplacementCharacter = 0xfffd;
// QTextDocument's own marks for the start and the end of a frame.
constexpr char16_t BeginningOfFrame = 0xfdd0;
constexpr char16_t EndOfFrame = 0xfdd1;

// Where a stand-in's format keeps the character it stands for.
constexpr int OriginalCharacterProperty = QTextFormat::UserProperty + 1;

bool needsStandIn(const QChar *chars, qsizetype length, qsizetype index)
{
    switch (chars[index].unicode()) {
    case CarriageReturn:
        return index + 1 == length || chars[index + 1] != LineFeed;
    case LineFeed:
        return index == 0 || chars[index - 1] != CarriageReturn;
    case ParagraphSeparator:
    case BeginningOfFrame:
    case EndOfFrame:
        return true;
    default:
        return false;
    }
}

char16_t standInFor(char16_t original)
{
    return original == BeginningOfFrame || original == EndOfFrame ? ReplacementCharacter
                                                                  : LineSeparator;
}

bool isStandIn(QChar character)
{
    return character == LineSeparator || character == ReplacementCharacter;
}

QTextCharFormat standInFormat(char16_t original)
{
    QTextCharFormat format;
    format.setProperty(OriginalCharacterProperty, int(original));
    return format;
}

// Walks forward through a document's fragments, so that looking up the formats of characters
// in increasing order costs one pass over the fragments, however many there are in a block.
class FormatWalker
{
public:
    explicit FormatWalker(const QTextDocument &document)
        : m_document(document)
    {}

    QTextCharFormat formatAt(int position)
    {
        if (!m_block.isValid() || position >= m_block.position() + m_block.length()) {
            m_block = m_document.findBlock(position);
            m_fragment = m_block.begin();
        }
        while (!m_fragment.atEnd()) {
            const QTextFragment fragment = m_fragment.fragment();
            if (position < fragment.position() + fragment.length())
                return fragment.charFormat();
            ++m_fragment;
        }
        return {};
    }

private:
    const QTextDocument &m_document;
    QTextBlock m_block;
    QTextBlock::iterator m_fragment;
};

} // namespace

DocumentText::DocumentText(const QTextDocument &document)
    : m_document(document)
{}

QString DocumentText::read() const
{
    return read(0, m_document.characterCount());
}

QString DocumentText::read(int documentFrom, int documentTo) const
{
    // The raw text holds one character per document position, without the final separator.
    const QString raw = m_document.toRawText();
    const int from = qBound(0, documentFrom, int(raw.size()));
    const int to = qBound(from, documentTo, int(raw.size()));

    // Each separator grows into two characters, and there are fewer separators than blocks.
    QString text(to - from + m_document.blockCount(), Qt::Uninitialized);
    QChar *out = text.data();
    const QChar *in = raw.constData();
    FormatWalker formats(m_document);
    for (int position = from; position < to; ++position) {
        const QChar character = in[position];
        if (character == ParagraphSeparator) {
            *out++ = QChar(CarriageReturn);
            *out++ = QChar(LineFeed);
        } else if (isStandIn(character)) {
            const QVariant original
                = formats.formatAt(position).property(OriginalCharacterProperty);
            *out++ = original.isValid() ? QChar(char16_t(original.toInt())) : character;
        } else {
            *out++ = character;
        }
    }
    text.truncate(out - text.constData());
    return text;
}

int DocumentText::toTextPosition(int documentPosition) const
{
    // Every block before this one ends in a CR LF that the document holds as one character.
    const QTextBlock block = m_document.findBlock(documentPosition);
    const int blocksBefore = block.isValid() ? block.blockNumber() : m_document.blockCount() - 1;
    return documentPosition + blocksBefore;
}

int DocumentText::toDocumentPosition(int textPosition, Rounding rounding) const
{
    if (textPosition <= 0)
        return 0;

    const auto textStartOf = [this](int blockNumber) {
        return m_document.findBlockByNumber(blockNumber).position() + blockNumber;
    };
    int low = 0;
    int high = m_document.blockCount() - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (textStartOf(middle) <= textPosition)
            low = middle;
        else
            high = middle - 1;
    }

    const QTextBlock block = m_document.findBlockByNumber(low);
    const int lineLength = block.length() - 1;
    const int offset = textPosition - (block.position() + low);
    if (offset <= lineLength)
        return block.position() + offset;
    if (!block.next().isValid())
        return block.position() + lineLength;
    return rounding == Rounding::Down ? block.position() + lineLength : block.next().position();
}

void DocumentText::insert(QTextCursor &cursor, const QString &text)
{
    const QTextCharFormat plain;
    const QChar *chars = text.constData();
    const qsizetype length = text.size();

    cursor.beginEditBlock();
    cursor.removeSelectedText();
    qsizetype runStart = 0;
    for (qsizetype index = 0; index < length; ++index) {
        if (!needsStandIn(chars, length, index))
            continue;
        if (index > runStart)
            cursor.insertText(text.mid(runStart, index - runStart), plain);
        const char16_t original = chars[index].unicode();
        cursor.insertText(QString(QChar(standInFor(original))), standInFormat(original));
        runStart = index + 1;
    }
    if (runStart == 0)
        cursor.insertText(text, plain);
    else if (runStart < length)
        cursor.insertText(text.mid(runStart), plain);
    cursor.endEditBlock();
}
