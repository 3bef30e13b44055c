// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMimeData>
#include <QPointer>
#include <QTextDocument>

// The selected text of a text area, offered to other programs as plain text with the platform's
// line ends.
//
// On X11 the area offers its selection as the primary selection on every change of it, so that
// extending the selection of a large text by a key would convert the whole selection each time.
// Here nothing is converted until the text is asked for. Should the document change before that,
// the positions no longer hold the text that was selected, and nothing is offered, as when the
// selection is gone.
//
// What goes onto the clipboard must outlive later edits, so the text is taken at once when this
// becomes the clipboard's data, or when take() is called.
class SelectionMimeData : public QMimeData
{
    Q_OBJECT

public:
    SelectionMimeData(const QTextDocument &document, int documentFrom, int documentTo);

    // Converts the selection now, so that it no longer depends on the document.
    void take() const;

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    // Whether the text can still be had: taken already, or the document unchanged.
    bool isOffered() const { return m_taken || !m_document.isNull(); }
    void forget();

    QPointer<const QTextDocument> m_document;
    int m_documentFrom;
    int m_documentTo;
    // Taken on the first request, which comes through the const interface of QMimeData.
    mutable QString m_text;
    mutable bool m_taken = false;
};
