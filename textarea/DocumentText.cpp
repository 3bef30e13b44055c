// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/DocumentText.h"

#include "textarea/LineEndMarks.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t LineFeed = u'\n';
constexpr char16_t ParagraphSeparator = 0x2029;
constexpr char16_t ReplacementCharacter = 0xfffd;
// QTextDocument's own marks for the start and the end of a frame.
constexpr char16_t BeginningOfFrame = 0xfdd0;
constexpr char16_t EndOfFrame = 0xfdd1;

using LineEnd = LineEndMarks::Kind;
// Where a stand-in's character format keeps the character it stands for.
constexpr int OriginalCharacterProperty = QTextFormat::UserProperty + 1;

bool isFrameMark(QChar character)
{
    return character == BeginningOfFrame || character == EndOfFrame;
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

// The line ends of a text in order, the way QTextCursor::insertText turns them into blocks.
struct LineEndScan
{
    std::vector<LineEnd> lineEnds;
    bool hasFrameMarks = false;

    explicit LineEndScan(const QString &text)
    {
        const QChar *chars = text.constData();
        const qsizetype length = text.size();
        for (qsizetype index = 0; index < length; ++index) {
            switch (chars[index].unicode()) {
            case CarriageReturn:
                if (index + 1 < length && chars[index + 1] == LineFeed) {
                    lineEnds.push_back(LineEnd::CrLf);
                    ++index;
                } else {
                    lineEnds.push_back(LineEnd::Cr);
                }
                break;
            case LineFeed:
                lineEnds.push_back(LineEnd::Lf);
                break;
            case ParagraphSeparator:
                lineEnds.push_back(LineEnd::Paragraph);
                break;
            case BeginningOfFrame:
            case EndOfFrame:
                hasFrameMarks = true;
                break;
            default:
                break;
            }
        }
    }

    LineEnd mostCommon() const
    {
        std::array<qsizetype, 4> counts{};
        for (const LineEnd lineEnd : lineEnds)
            ++counts[size_t(lineEnd)];
        return LineEnd(std::max_element(counts.begin(), counts.end()) - counts.begin());
    }
};

// Inserts the text as QTextCursor::insertText does, but keeps frame marks as stand-ins.
void insertCharacters(QTextCursor &cursor, const QString &text, bool hasFrameMarks,
                      const QTextCharFormat &plain)
{
    if (!hasFrameMarks) {
        cursor.insertText(text, plain);
        return;
    }
    qsizetype runStart = 0;
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (!isFrameMark(text.at(index)))
            continue;
        if (index > runStart)
            cursor.insertText(text.mid(runStart, index - runStart), plain);
        cursor.insertText(QString(QChar(ReplacementCharacter)),
                          standInFormat(text.at(index).unicode()));
        runStart = index + 1;
    }
    if (runStart < text.size())
        cursor.insertText(text.mid(runStart), plain);
}

} // namespace

DocumentText::DocumentText(const QTextDocument &document)
    : m_document(document)
    , m_onlyCrLf(LineEndMarks::holdsOnlyCrLf(document))
{}

QString DocumentText::read() const
{
    return read(0, m_document.characterCount());
}

QString DocumentText::read(int documentFrom, int documentTo) const
{
    // The raw text holds one character per document position, without the final separator;
    // every U+2029 in it is the separator at the end of a block.
    const QString raw = m_document.toRawText();
    const int from = qBound(0, documentFrom, int(raw.size()));
    const int to = qBound(from, documentTo, int(raw.size()));

    // A separator grows into at most two characters, and there are fewer separators than blocks.
    QString text(to - from + m_document.blockCount(), Qt::Uninitialized);
    QChar *out = text.data();
    const QChar *in = raw.constData();
    LineEndMarks lineEnds;
    FormatWalker formats(m_document);
    QTextBlock block = m_document.findBlock(from);
    for (int position = from; position < to; ++position) {
        const QChar character = in[position];
        if (character == ParagraphSeparator) {
            LineEnd lineEnd = LineEnd::CrLf;
            if (!m_onlyCrLf) {
                block = block.next();
                lineEnd = lineEnds.before(block);
            }
            for (const QChar endCharacter : LineEndMarks::textOf(lineEnd))
                *out++ = endCharacter;
        } else if (character == ReplacementCharacter) {
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
    // Each CR LF before the position counts one more in the text than in the document.
    if (m_onlyCrLf) {
        const QTextBlock block = m_document.findBlock(documentPosition);
        return documentPosition
               + (block.isValid() ? block.blockNumber() : m_document.blockCount() - 1);
    }
    LineEndMarks lineEnds;
    int crLfCount = 0;
    for (QTextBlock block = m_document.begin().next();
         block.isValid() && block.position() <= documentPosition; block = block.next()) {
        if (lineEnds.before(block) == LineEnd::CrLf)
            ++crLfCount;
    }
    return documentPosition + crLfCount;
}

int DocumentText::toDocumentPosition(int textPosition, Rounding rounding) const
{
    if (m_onlyCrLf)
        return toDocumentPositionWithCrLfOnly(textPosition, rounding);
    LineEndMarks lineEnds;
    int textStart = 0;
    for (QTextBlock block = m_document.begin(); block.isValid();) {
        const int lineLength = block.length() - 1;
        const int lineEnd = textStart + lineLength;
        if (textPosition <= lineEnd)
            return block.position() + qMax(0, textPosition - textStart);
        const QTextBlock next = block.next();
        if (!next.isValid())
            return block.position() + lineLength;
        const int nextStart = lineEnd + int(LineEndMarks::textOf(lineEnds.before(next)).size());
        if (textPosition < nextStart)
            return rounding == Rounding::Down ? block.position() + lineLength : next.position();
        textStart = nextStart;
        block = next;
    }
    return 0;
}

// Block n starts at text position n past its document position, so a binary search over the
// blocks finds the one that holds a text position.
int DocumentText::toDocumentPositionWithCrLfOnly(int textPosition, Rounding rounding) const
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
    const LineEndScan scan(text);

    cursor.beginEditBlock();
    cursor.removeSelectedText();
    if (scan.lineEnds.empty()) {
        insertCharacters(cursor, text, scan.hasFrameMarks, QTextCharFormat());
        cursor.endEditBlock();
        return;
    }

    // Every separator takes the format the text is inserted with. Inserting with the most
    // common line end leaves only the others to mark one by one.
    const QTextBlock firstBlock = cursor.block();
    const LineEnd mostCommon = scan.mostCommon();
    insertCharacters(cursor, text, scan.hasFrameMarks, LineEndMarks::formatOf(mostCommon));
    QTextBlock block = firstBlock;
    for (const LineEnd lineEnd : scan.lineEnds) {
        block = block.next();
        if (lineEnd != mostCommon)
            LineEndMarks::markBefore(*cursor.document(), block, lineEnd);
    }
    cursor.endEditBlock();
}
