// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clipboard/SelectionText.h"
#include "textarea/ClipboardText.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <optional>

// The system clipboard as plain Unicode text, the only format the program exchanges. Inside the
// program a line break is CR LF; on the clipboard it is the platform's own line end, so that
// other programs get the text they expect.
class SystemClipboard
{
    Q_DECLARE_TR_FUNCTIONS(SystemClipboard)

public:
    explicit SystemClipboard(QClipboard &clipboard);

    // Afterwards the clipboard holds nothing, whatever another program had put there.
    void Clear();
    void SetText(const QString &text);
    // The clipboard's text with every line end as CR LF, or "" when it holds no text. Throws
    // RuntimeFailure when the program that holds the clipboard does not hand the text over in
    // time, and when the text has more than characterLimit characters; then nothing is pasted.
    // QClipboard::Selection reads the primary selection the same way.
    QString GetText(qsizetype characterLimit, QClipboard::Mode mode = QClipboard::Clipboard) const;
    // The text of a drop from another program, read with the same bounds and patience; past
    // characterLimit only its length. Throws RuntimeFailure when the source does not answer.
    ClipboardText::DroppedText GetDroppedText(const QMimeData &offered,
                                              qsizetype characterLimit) const;

    // How long the program that holds the clipboard may stay silent before the clipboard counts
    // as not answering, and how long handing over a large text may take at most.
    static constexpr std::chrono::milliseconds Silence{5000};
    static constexpr std::chrono::milliseconds LongestTransfer{60000};

private:
    using Patience = SelectionText::Patience;

    QString textAtHand(qsizetype characterLimit, QClipboard::Mode mode) const;
    static std::optional<SelectionText::Result> readFromOwner(qsizetype characterLimit,
                                                              QClipboard::Mode mode);
    static QString textOf(const SelectionText::Result &read, qsizetype characterLimit);
    static std::optional<SelectionText::Result> readDropped(qsizetype characterLimit);
    static void keepRepainting();
    [[noreturn]] static void refuseAsTooLarge(qsizetype characterCount, bool wholeTextRead,
                                              qsizetype characterLimit);
    [[noreturn]] static void refuseAsSilent();

    QClipboard &m_clipboard;
};

// The system clipboard, taken from the application at each use: the operations keep no hold on
// it between clicks.
SystemClipboard Clipboard();
