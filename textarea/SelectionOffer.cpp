// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/SelectionOffer.h"

#include "textarea/LineEnds.h"
#include "textarea/TextBox.h"

namespace {

const QString PlainText = QStringLiteral("text/plain");

} // namespace

SelectionOffer::SelectionOffer(const TextBox &area, qsizetype from, qsizetype to)
    : m_area(&area)
    , m_from(from)
    , m_to(to)
    , m_editCount(area.editCount())
{}

bool SelectionOffer::isOffered() const
{
    return !m_area.isNull() && m_area->editCount() == m_editCount;
}

QStringList SelectionOffer::formats() const
{
    if (!isOffered())
        return {};
    return {PlainText};
}

bool SelectionOffer::hasFormat(const QString &mimeType) const
{
    return formats().contains(mimeType);
}

QVariant SelectionOffer::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType != PlainText || !isOffered())
        return {};
    const QString text = LineEnds::toPlatform(m_area->buffer().mid(m_from, m_to - m_from));
    if (type.id() == QMetaType::QByteArray)
        return text.toUtf8();
    return text;
}
