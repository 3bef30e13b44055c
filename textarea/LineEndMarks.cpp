// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/LineEndMarks.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

namespace {

constexpr int KindProperty = QTextFormat::UserProperty + 2;

} // namespace

QStringView LineEndMarks::textOf(Kind kind)
{
    static const std::array<QString, 4> texts = {QStringLiteral("\r\n"), QStringLiteral("\r"),
                                                 QStringLiteral("\n"), QString(QChar(0x2029))};
    return texts[size_t(kind)];
}

QTextCharFormat LineEndMarks::formatOf(Kind kind)
{
    QTextCharFormat format;
    if (kind != Kind::CrLf)
        format.setProperty(KindProperty, int(kind));
    return format;
}

// The separator that ends the line before the block is the character just before it.
void LineEndMarks::markBefore(QTextDocument &document, const QTextBlock &block, Kind kind)
{
    QTextCursor separator(&document);
    separator.setPosition(block.position() - 1);
    separator.setPosition(block.position(), QTextCursor::KeepAnchor);
    separator.setCharFormat(formatOf(kind));
}

bool LineEndMarks::holdsOnlyCrLf(const QTextDocument &document)
{
    const QList<QTextFormat> formats = document.allFormats();
    return std::none_of(formats.cbegin(), formats.cend(),
                        [](const QTextFormat &format) { return format.hasProperty(KindProperty); });
}

LineEndMarks::Kind LineEndMarks::before(const QTextBlock &block)
{
    const int index = block.charFormatIndex();
    const auto known = m_byFormat.constFind(index);
    if (known != m_byFormat.cend())
        return *known;
    const auto kind = Kind(block.charFormat().intProperty(KindProperty));
    m_byFormat.insert(index, kind);
    return kind;
}
