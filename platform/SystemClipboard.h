#pragma once

#include <QString>

class QClipboard;

// The clipboard formats the program asks for; only plain text passes.
enum class ClipboardFormat { Text = 1 };

// The system clipboard as plain Unicode text. Inside the program a line break is CR LF; on the
// clipboard it is the platform's own line end, so that other programs get the text they expect.
class SystemClipboard
{
public:
    explicit SystemClipboard(QClipboard &clipboard);

    // Afterwards the clipboard holds nothing, whatever another program had put there.
    void Clear();
    void SetText(const QString &text);
    // The clipboard's text with every line end as CR LF, or "" when it holds no text.
    QString GetText(ClipboardFormat format = ClipboardFormat::Text) const;

private:
    QClipboard &m_clipboard;
};

// The system clipboard, taken from the application at each use: the operations keep no hold on
// it between clicks.
SystemClipboard Clipboard();
