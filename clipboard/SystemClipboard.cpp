// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/SystemClipboard.h"

#include "clipboard/X11Selection.h"
#include "common/RuntimeFailure.h"
#include "textarea/LineEnds.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>

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

QString SystemClipboard::GetText(qsizetype characterLimit) const
{
    // What this program put there is at hand without asking anybody.
    const bool atHand = m_clipboard.ownsClipboard() || QGuiApplication::platformName() != u"xcb";
    return LineEnds::toCrLf(atHand ? textAtHand(characterLimit)
                                   : textFromAnotherProgram(characterLimit));
}

QString SystemClipboard::textAtHand(qsizetype characterLimit) const
{
    const QString text = m_clipboard.text(QClipboard::Clipboard);
    if (text.size() > characterLimit)
        refuseAsTooLarge(tr("ma %1 znaków").arg(QLocale().toString(text.size())), characterLimit);
    return text;
}

// The window keeps repainting while the other program takes its time, but takes no clicks or
// keys: the paste is still one operation that ends before the next begins.
QString SystemClipboard::textFromAnotherProgram(qsizetype characterLimit) const
{
    const auto selection = X11Selection::connect(qgetenv("DISPLAY"));
    if (!selection)
        return textAtHand(characterLimit);
    const X11Selection::Result result
        = selection->readClipboardText(characterLimit, {Silence, LongestTransfer}, [] {
              QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
          });
    switch (result.outcome) {
    case X11Selection::Outcome::Text:
        return result.text;
    case X11Selection::Outcome::NoOwner:
    case X11Selection::Outcome::NoText:
        return {};
    case X11Selection::Outcome::NoAnswer:
        refuseAsSilent();
    case X11Selection::Outcome::TooLarge:
        refuseAsTooLarge(tr("ma ponad %1 znaków").arg(QLocale().toString(result.charactersRead)),
                         characterLimit);
    }
    return {};
}

void SystemClipboard::refuseAsTooLarge(const QString &howLarge, qsizetype characterLimit)
{
    throw RuntimeFailure(RuntimeFailure::OutOfMemory,
                         tr("Tekst w schowku jest za duży: %1, a pole tekstowe przyjmuje teksty do "
                            "%2 znaków. Nic nie wklejono.")
                             .arg(howLarge, QLocale().toString(characterLimit)));
}

void SystemClipboard::refuseAsSilent()
{
    throw RuntimeFailure(
        RuntimeFailure::DeviceIOError,
        tr("Schowek nie odpowiada: program, który go trzyma, nie oddał tekstu w ciągu %1 s. Nic "
           "nie wklejono; można spróbować jeszcze raz albo skopiować tekst od nowa.")
            .arg(std::chrono::duration_cast<std::chrono::seconds>(Silence).count()));
}

SystemClipboard Clipboard()
{
    return SystemClipboard(*QGuiApplication::clipboard());
}
