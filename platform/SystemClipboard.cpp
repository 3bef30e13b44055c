#include "platform/SystemClipboard.h"

#include "platform/LineEnds.h"

#include <QClipboard>
#include <QGuiApplication>

SystemClipboard::SystemClipboard(QClipboard &clipboard)
    : m_clipboard(clipboard)
{}

void SystemClipboard::Clear()
{
    m_clipboard.clear(QClipboard::Clipboard);
}

void SystemClipboard::SetText(const QString &text)
{
    m_clipboard.setText(LineEnds::toPlatform(text), QClipboard::Clipboard);
}

QString SystemClipboard::GetText(ClipboardFormat format) const
{
    Q_ASSERT(format == ClipboardFormat::Text);
    return LineEnds::toCrLf(m_clipboard.text(QClipboard::Clipboard));
}

SystemClipboard Clipboard()
{
    return SystemClipboard(*QGuiApplication::clipboard());
}
