// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/SelectionMimeData.h"

#include "textarea/DocumentText.h"
#include "textarea/LineEnds.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

const QString PlainText = QStringLiteral("text/plain");

} // namespace

SelectionMimeData::SelectionMimeData(const QTextDocument &document, int documentFrom,
                                     int documentTo)
    : m_document(&document)
    , m_documentFrom(documentFrom)
    , m_documentTo(documentTo)
{
    connect(&document, &QTextDocument::contentsChange, this, &SelectionMimeData::forget);
    if (auto *clipboard = QGuiApplication::clipboard()) {
        connect(clipboard, &QClipboard::changed, this, [this, clipboard](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard && clipboard->mimeData(mode) == this)
                take();
        });
    }
}

void SelectionMimeData::take() const
{
    if (m_taken || m_document.isNull())
        return;
    m_text = LineEnds::toPlatform(DocumentText(*m_document).read(m_documentFrom, m_documentTo));
    m_taken = true;
}

void SelectionMimeData::forget()
{
    if (!m_taken)
        m_document.clear();
}

QStringList SelectionMimeData::formats() const
{
    if (!isOffered())
        return {};
    return {PlainText};
}

bool SelectionMimeData::hasFormat(const QString &mimeType) const
{
    return formats().contains(mimeType);
}

QVariant SelectionMimeData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType != PlainText || !isOffered())
        return {};
    take();
    if (type.id() == QMetaType::QByteArray)
        return m_text.toUtf8();
    return m_text;
}
