// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMimeData>
#include <QPointer>

class TextBox;

// The selected text of a text area, offered to other programs as plain text with the platform's
// line ends, as the X11 primary selection.
//
// The area offers it on every change of the selection, so nothing is read or converted until
// another program asks. Should the text change before that, the positions no longer hold what
// was selected, and nothing is offered, as when the selection is gone.
class SelectionOffer : public QMimeData
{
    Q_OBJECT

public:
    SelectionOffer(const TextBox &area, qsizetype from, qsizetype to);

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    bool isOffered() const;

    QPointer<const TextBox> m_area;
    qsizetype m_from;
    qsizetype m_to;
    quint64 m_editCount;
};
